#include "cli/cli_arguments.h"

#include <cstdint>
#include <string_view>

#include "crypto/password_generator.h"

namespace {

enum OptionFlag : unsigned {
  kForceFlag = 1,
  kYesFlag = 2,
  kEditFlags = 4,
  kFormatFlag = 8,
  kImportFlags = 16,
  kGenerateFlags = 32,
  kClipFlags = 64,
  kLegacyFlag = 128,
};

struct CommandShape {
  std::string_view name;
  CliCommand command;
  size_t min_operands;  // after the command name
  size_t max_operands;
  unsigned options;  // command-specific options it accepts
  std::string_view usage;
};

constexpr size_t kMany = SIZE_MAX;

constexpr CommandShape kCommands[] = {
    {"help", CliCommand::kHelp, 0, 0, 0, "help"},
    {"create", CliCommand::kCreate, 1, 1, kForceFlag | kLegacyFlag, "create USER [--force] [--legacy]"},
    {"list", CliCommand::kList, 1, 1, 0, "list USER"},
    {"show", CliCommand::kShow, 2, 2, 0, "show USER INDEX"},
    {"add", CliCommand::kAdd, 3, 3, 0, "add USER DESCRIPTION ACCOUNT_USER"},
    {"edit", CliCommand::kEdit, 2, 2, kEditFlags, "edit USER INDEX [--description D] [--user U] [--password]"},
    {"rm", CliCommand::kRemove, 2, kMany, kYesFlag, "rm USER INDEX..."},
    {"passwd", CliCommand::kPasswd, 1, 1, 0, "passwd USER"},
    {"export", CliCommand::kExport, 1, 2, kFormatFlag | kForceFlag, "export [--format NAME] [--force] USER [FILE]"},
    {"import", CliCommand::kImport, 2, 2, kFormatFlag | kImportFlags,
     "import [--format NAME] [--skip-invalid] [--dry-run] USER FILE"},
    {"settings", CliCommand::kSettings, 0, 0, 0, "settings"},
    {"merge", CliCommand::kMerge, 1, 1, 0, "merge USER"},
    {"generate", CliCommand::kGenerate, 0, 0, kGenerateFlags,
     "generate [--length N] [--no-symbols] [--no-lookalikes] [--count K]"},
    {"clip", CliCommand::kClip, 2, 2, kClipFlags, "clip USER INDEX [--user-name]"},
    {"upgrade", CliCommand::kUpgrade, 1, 1, 0, "upgrade USER"},
    {"info", CliCommand::kInfo, 1, 1, 0, "info USER"},
};

// A count that still fits a terminal's scroll-back.
constexpr int kMaxCount = 1000;

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

bool ParseNumber(std::string_view text, int min, int max, int* number) {
  size_t value = 0;
  if (!ParseIndex(text, &value) || value < static_cast<size_t>(min) || value > static_cast<size_t>(max)) return false;
  *number = static_cast<int>(value);
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
    return help_requested_ ? true : AssignOperands();
  }

 private:
  bool Fail(std::string message) {
    *error_ = std::move(message);
    return false;
  }

  bool TakeValue(std::string_view option, bool has_value, std::string_view inline_value, std::string* out) {
    if (has_value) {
      *out = inline_value;
      return true;
    }
    if (next_ >= argc_) return Fail("option " + std::string(option) + " needs a value");
    *out = argv_[next_++];
    return true;
  }

  bool ParseOption(std::string_view option) {
    bool has_value = false;
    std::string_view value = SplitValue(&option, &has_value);
    bool takes_value = option == "--dir" || option == "--description" || option == "--user" || option == "--format" ||
                       option == "--length" || option == "--count";
    if (has_value && !takes_value) return Fail("option " + std::string(option) + " takes no value");
    if (option == "--help" || option == "-h") {
      help_requested_ = true;
    } else if (option == "--dir") {
      return TakeValue(option, has_value, value, &arguments_->dir);
    } else if (option == "--password-stdin") {
      arguments_->password_stdin = true;
    } else if (option == "--force") {
      arguments_->force = true;
      used_options_ |= kForceFlag;
    } else if (option == "--legacy") {
      arguments_->legacy = true;
      used_options_ |= kLegacyFlag;
    } else if (option == "--yes" || option == "-y") {
      arguments_->yes = true;
      used_options_ |= kYesFlag;
    } else if (option == "--description") {
      arguments_->edit_description = true;
      used_options_ |= kEditFlags;
      return TakeValue(option, has_value, value, &arguments_->description);
    } else if (option == "--user") {
      arguments_->edit_account_user = true;
      used_options_ |= kEditFlags;
      return TakeValue(option, has_value, value, &arguments_->account_user);
    } else if (option == "--format") {
      used_options_ |= kFormatFlag;
      return TakeValue(option, has_value, value, &arguments_->format);
    } else if (option == "--skip-invalid") {
      arguments_->skip_invalid = true;
      used_options_ |= kImportFlags;
    } else if (option == "--dry-run") {
      arguments_->dry_run = true;
      used_options_ |= kImportFlags;
    } else if (option == "--password") {
      arguments_->edit_password = true;
      used_options_ |= kEditFlags;
    } else if (option == "--length" || option == "--count") {
      used_options_ |= kGenerateFlags;
      std::string text;
      if (!TakeValue(option, has_value, value, &text)) return false;
      const bool is_length = option == "--length";
      int* number = is_length ? &arguments_->length : &arguments_->count;
      if (!ParseNumber(text, is_length ? kGeneratedLengthMin : 1, is_length ? kGeneratedLengthMax : kMaxCount,
                       number)) {
        return Fail(is_length ? "--length takes a number from 8 to 128" : "--count takes a number from 1 to 1000");
      }
    } else if (option == "--no-symbols") {
      arguments_->no_symbols = true;
      used_options_ |= kGenerateFlags;
    } else if (option == "--no-lookalikes") {
      arguments_->no_lookalikes = true;
      used_options_ |= kGenerateFlags;
    } else if (option == "--user-name") {
      arguments_->clip_user_name = true;
      used_options_ |= kClipFlags;
    } else {
      return Fail("unknown option " + std::string(option));
    }
    return true;
  }

  bool AssignOperands() {
    if (operands_.empty()) return Fail("no command given");
    const CommandShape* shape = nullptr;
    for (const CommandShape& candidate : kCommands) {
      if (candidate.name == operands_[0]) shape = &candidate;
    }
    if (shape == nullptr) return Fail("unknown command " + operands_[0]);
    size_t count = operands_.size() - 1;
    std::string usage = "usage: quillbox-cli " + std::string(shape->usage);
    if (count < shape->min_operands || count > shape->max_operands) return Fail(usage);
    if ((used_options_ & ~shape->options) != 0) return Fail("option not used by " + operands_[0] + "; " + usage);
    arguments_->command = shape->command;
    if (count == 0) return true;
    arguments_->user = operands_[1];
    switch (shape->command) {
      case CliCommand::kAdd:
        arguments_->description = operands_[2];
        arguments_->account_user = operands_[3];
        return true;
      case CliCommand::kImport:
      case CliCommand::kExport:
        if (count == 2) arguments_->file = operands_[2];
        return true;
      case CliCommand::kShow:
      case CliCommand::kClip:
      case CliCommand::kEdit:
      case CliCommand::kRemove:
        return AssignIndexes(shape->command == CliCommand::kEdit, usage);
      default:
        return true;
    }
  }

  bool AssignIndexes(bool is_edit, const std::string& usage) {
    for (size_t i = 2; i < operands_.size(); ++i) {
      size_t index = 0;
      if (!ParseIndex(operands_[i], &index)) {
        return Fail("invalid index " + operands_[i] + "; indexes count from 1 as list shows them");
      }
      arguments_->indexes.push_back(index);
    }
    if (is_edit && used_options_ == 0) return Fail("nothing to change; " + usage);
    return true;
  }

  int argc_;
  const char* const* argv_;
  CliArguments* arguments_;
  std::string* error_;
  int next_ = 1;
  bool help_requested_ = false;
  unsigned used_options_ = 0;
  std::vector<std::string> operands_;
};

}  // namespace

bool ParseCliArguments(int argc, const char* const* argv, CliArguments* arguments, std::string* error) {
  *arguments = CliArguments();
  return ArgumentParser(argc, argv, arguments, error).Parse();
}
