#include "auto_type/auto_type_sequence.h"

#include <charconv>
#include <string.h>
#include <strings.h>

#include "safe/one_time_code.h"

namespace {

// Longer pauses are surely a typing mistake, and would hold the keyboard.
constexpr int kMaxDelayMs = 10000;
constexpr int kMaxRepeat = 100;

struct NamedKey {
  const char* name;
  AutoTypeKey key;
};

constexpr NamedKey kKeys[] = {
    {"TAB", AutoTypeKey::kTab},       {"ENTER", AutoTypeKey::kEnter},
    {"SPACE", AutoTypeKey::kSpace},   {"BACKSPACE", AutoTypeKey::kBackspace},
    {"DELETE", AutoTypeKey::kDelete}, {"UP", AutoTypeKey::kUp},
    {"DOWN", AutoTypeKey::kDown},     {"LEFT", AutoTypeKey::kLeft},
    {"RIGHT", AutoTypeKey::kRight},   {"HOME", AutoTypeKey::kHome},
    {"END", AutoTypeKey::kEnd},
};

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

bool ParseCount(std::string_view text, int max, int* value) {
  const char* end = text.data() + text.size();
  auto [stop, fault] = std::from_chars(text.data(), end, *value);
  return fault == std::errc() && stop == end && *value >= 0 && *value <= max;
}

class SequenceParser {
 public:
  SequenceParser(const Entry& entry, int64_t unixTime, std::vector<AutoTypeAction>* actions, std::string* error)
      : entry_(entry), unixTime_(unixTime), actions_(actions), error_(error) {}

  bool Parse(std::string_view sequence) {
    size_t at = 0;
    while (at < sequence.size()) {
      size_t brace = sequence.find_first_of("{}", at);
      AddText(sequence.substr(at, brace == std::string_view::npos ? std::string_view::npos : brace - at));
      if (brace == std::string_view::npos) break;
      if (sequence[brace] == '}') return Fail("The auto-type sequence has an unbalanced brace: \"}\".");
      // "{}}" types a closing brace; any other placeholder ends at its first "}".
      size_t close = sequence.compare(brace, 3, "{}}") == 0 ? brace + 2 : sequence.find('}', brace + 1);
      if (close == std::string_view::npos) return Fail("The auto-type sequence has an unbalanced brace: \"{\".");
      if (!Placeholder(sequence.substr(brace + 1, close - brace - 1))) return false;
      at = close + 1;
    }
    return true;
  }

 private:
  bool Fail(std::string message) {
    *error_ = std::move(message);
    actions_->clear();
    return false;
  }

  bool Unknown(std::string_view inside) {
    return Fail("The auto-type sequence has an unknown placeholder {" + std::string(inside) + "}.");
  }

  void AddText(std::string_view text) {
    if (text.empty()) return;
    if (actions_->empty() || actions_->back().kind != AutoTypeAction::Kind::kText) {
      actions_->emplace_back();
    }
    actions_->back().text.Append(text);
  }

  void Add(AutoTypeAction::Kind kind, int milliseconds) {
    AutoTypeAction& action = actions_->emplace_back();
    action.kind = kind;
    action.milliseconds = milliseconds;
  }

  bool Placeholder(std::string_view inside) {
    if (inside == "{" || inside == "}") {
      AddText(inside);
      return true;
    }
    if (inside.size() > 2 && SameName(inside.substr(0, 2), "S:")) return FieldValue(inside.substr(2));
    if (inside.size() > 6 && SameName(inside.substr(0, 6), "DELAY=")) {
      int milliseconds = 0;
      if (!ParseCount(inside.substr(6), kMaxDelayMs, &milliseconds)) return BadDelay(inside);
      Add(AutoTypeAction::Kind::kKeyDelay, milliseconds);
      return true;
    }
    std::string_view name = inside.substr(0, inside.find(' '));
    std::string_view argument = name.size() < inside.size() ? inside.substr(name.size() + 1) : std::string_view();
    if (SameName(name, "DELAY")) {
      int milliseconds = 0;
      if (!ParseCount(argument, kMaxDelayMs, &milliseconds)) return BadDelay(inside);
      Add(AutoTypeAction::Kind::kDelay, milliseconds);
      return true;
    }
    for (const NamedKey& named : kKeys) {
      if (!SameName(name, named.name)) continue;
      int repeat = 1;
      if (!argument.empty() && !ParseCount(argument, kMaxRepeat, &repeat)) return Unknown(inside);
      for (int i = 0; i < repeat; ++i) {
        AutoTypeAction& action = actions_->emplace_back();
        action.kind = AutoTypeAction::Kind::kKey;
        action.key = named.key;
      }
      return true;
    }
    if (!argument.empty()) return Unknown(inside);
    if (SameName(name, "USERNAME"))
      AddText(entry_.userName.view());
    else if (SameName(name, "PASSWORD"))
      AddText(entry_.password.view());
    else if (SameName(name, "TITLE"))
      AddText(entry_.title.view());
    else if (SameName(name, "URL"))
      AddText(entry_.url.view());
    else if (SameName(name, "TOTP"))
      return OneTimeCode();
    else
      return Unknown(inside);
    return true;
  }

  bool BadDelay(std::string_view inside) {
    return Fail("The auto-type sequence's {" + std::string(inside) + "} needs a delay of 0 to " +
                std::to_string(kMaxDelayMs) + " milliseconds.");
  }

  bool FieldValue(std::string_view name) {
    const CustomField* field = entry_.FindField(name);
    if (field == nullptr) {
      return Fail("The auto-type sequence names {S:" + std::string(name) + "}, a field the entry does not have.");
    }
    AddText(field->value.view());
    return true;
  }

  bool OneTimeCode() {
    if (entry_.totp.empty()) return Fail("The auto-type sequence types {TOTP}, but the entry has no one-time code.");
    TotpCode code;
    const char* fault = CurrentOneTimeCode(entry_.totp.view(), unixTime_, code);
    if (fault != nullptr) return Fail(fault);
    AddText(code.text);
    explicit_bzero(code.text, sizeof code.text);
    return true;
  }

  const Entry& entry_;
  int64_t unixTime_;
  std::vector<AutoTypeAction>* actions_;
  std::string* error_;
};

}  // namespace

std::string_view AutoTypeSequenceOf(const Entry& entry) {
  const CustomField* field = entry.FindField(kAutoTypeSequenceField);
  return field != nullptr && !field->value.empty() ? field->value.view() : kDefaultAutoTypeSequence;
}

bool ParseAutoTypeSequence(std::string_view sequence, const Entry& entry, int64_t unixTime,
                           std::vector<AutoTypeAction>* actions, std::string* error) {
  actions->clear();
  return SequenceParser(entry, unixTime, actions, error).Parse(sequence);
}
