#include "cli/cli_arguments.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "cli/command_table.h"

namespace {

bool ParseIndex(std::string_view text, size_t* index) {
  if (text.empty() || text.size() > 9) return false;
  size_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<size_t>(c - '0');
  }
  if (value == 0) return false;
  *index = value;
  return true;
}

// Splits "--name=value" into its two halves; value stays empty without '='.
std::string_view SplitValue(std::string_view* option, bool* has_value) {
  size_t equals = option->find('=');
  *has_value = equals != std::string_view::npos;
  if (!*has_value) return {};
  std::string_view value = option->substr(equals + 1);
  *option = option->substr(0, equals);
  return value;
}

// The operand names of a command's row, in order; *repeats when the last
// one may be given again, *optional counts the bracketed ones.
std::vector<std::string_view> OperandNames(std::string_view operands, bool* repeats, size_t* optional) {
  std::vector<std::string_view> names;
  *repeats = false;
  *optional = 0;
  while (!operands.empty()) {
    size_t space = operands.find(' ');
    std::string_view name = operands.substr(0, space);
    operands = space == std::string_view::npos ? std::string_view() : operands.substr(space + 1);
    if (name.starts_with('[')) {
      ++*optional;
      name = name.substr(1, name.size() - 2);
    }
    if (name.ends_with("...")) {
      *repeats = true;
      name.remove_suffix(3);
    }
    names.push_back(name);
  }
  return names;
}

class ArgumentParser {
 public:
  ArgumentParser(int argc, const char* const* argv, CliArguments* arguments, std::string* error)
      : argc_(argc), argv_(argv), arguments_(arguments), error_(error) {}

  bool Parse() {
    bool options_ended = false;
    for (next_ = 1; next_ < argc_;) {
      std::string_view arg = argv_[next_++];
      if (!options_ended && arg == "--") {
        options_ended = true;
      } else if (!options_ended && arg.size() > 1 && arg[0] == '-') {
        if (!ParseOption(arg)) return false;
      } else {
        operands_.emplace_back(arg);
      }
    }
    if (arguments_->help) {
      arguments_->command = "help";
      return true;
    }
    return AssignOperands();
  }

 private:
  bool Fail(std::string message) {
    *error_ = std::move(message);
    return false;
  }

  bool ParseOption(std::string_view name) {
    bool has_value = false;
    std::string_view value = SplitValue(&name, &has_value);
    const CliOption* option = FindCliOption(name);
    if (option == nullptr) return Fail("unknown option " + std::string(name));
    if (has_value && option->value.empty()) return Fail("option " + std::string(name) + " takes no value");
    if (!option->value.empty() && !has_value) {
      if (next_ >= argc_) return Fail("option " + std::string(name) + " needs a value");
      value = argv_[next_++];
    }
    used_options_ |= option->bit;
    return option->apply(*arguments_, value, error_);
  }

  bool AssignOperands() {
    if (operands_.empty()) return Fail("no command given");
    const CliCommandRow* command = FindCliCommand(operands_[0]);
    if (command == nullptr) return Fail("unknown command " + operands_[0]);
    arguments_->command = command->name;
    std::string usage = "usage: quillbox-cli " + CliSynopsis(*command);
    bool repeats = false;
    size_t optional = 0;
    std::vector<std::string_view> names = OperandNames(command->operands, &repeats, &optional);
    size_t count = operands_.size() - 1;
    if (count < names.size() - optional || (!repeats && count > names.size())) return Fail(usage);
    if ((used_options_ & ~command->options) != 0) return Fail("option not used by " + operands_[0] + "; " + usage);
    if (command->needs_option && used_options_ == 0) return Fail("nothing to change; " + usage);
    for (size_t i = 1; i < operands_.size(); ++i) {
      if (!Assign(names[std::min(i - 1, names.size() - 1)], operands_[i])) return false;
    }
    return true;
  }

  bool Assign(std::string_view name, const std::string& operand) {
    if (name == "USER") {
      arguments_->user = operand;
    } else if (name == "DESCRIPTION") {
      arguments_->description = operand;
    } else if (name == "ACCOUNT_USER") {
      arguments_->account_user = operand;
    } else if (name == "FILE") {
      arguments_->file = operand;
    } else if (name == "NAME") {
      arguments_->field_name = operand;
    } else {
      size_t index = 0;
      if (!ParseIndex(operand, &index)) {
        return Fail("invalid index " + operand + "; indexes count from 1 as list shows them");
      }
      arguments_->indexes.push_back(index);
    }
    return true;
  }

  int argc_;
  const char* const* argv_;
  CliArguments* arguments_;
  std::string* error_;
  int next_ = 1;
  unsigned used_options_ = 0;
  std::vector<std::string> operands_;
};

}  // namespace

bool ParseCliArguments(int argc, const char* const* argv, CliArguments* arguments, std::string* error) {
  *arguments = CliArguments();
  return ArgumentParser(argc, argv, arguments, error).Parse();
}
