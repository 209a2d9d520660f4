#include "cli/command_table.h"

#include "cli/change_commands.h"
#include "cli/cli_arguments.h"
#include "cli/clip_command.h"
#include "cli/export_command.h"
#include "cli/generate_command.h"
#include "cli/import_command.h"
#include "cli/merge_command.h"
#include "cli/read_commands.h"
#include "cli/report_command.h"
#include "cli/settings_command.h"
#include "cli/totp_command.h"
#include "cli/user_commands.h"
#include "crypto/password_generator.h"

namespace {

enum OptionBit : unsigned {
  kForce = 1u << 0,
  kLegacy = 1u << 1,
  kYes = 1u << 2,
  kDescription = 1u << 3,
  kAccountUser = 1u << 4,
  kPassword = 1u << 5,
  kFormat = 1u << 6,
  kSkipInvalid = 1u << 7,
  kDryRun = 1u << 8,
  kLength = 1u << 9,
  kCount = 1u << 10,
  kNoSymbols = 1u << 11,
  kNoLookalikes = 1u << 12,
  kUserName = 1u << 13,
  kUrl = 1u << 14,
  kTag = 1u << 15,
  kUntag = 1u << 16,
  kNotes = 1u << 17,
  kTotp = 1u << 18,
  kProtected = 1u << 19,
  kDelete = 1u << 20,
  kReveal = 1u << 21,
  kLong = 1u << 22,
  kKeyFile = 1u << 23,
  kHibp = 1u << 24,
};

// A count that still fits a terminal's scroll-back.
constexpr int kMaxCount = 1000;

bool ParseNumber(std::string_view text, int min, int max, int* number) {
  if (text.empty() || text.size() > 4) return false;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (value < min || value > max) return false;
  *number = value;
  return true;
}

template <bool CliArguments::*flag>
bool Set(CliArguments& arguments, std::string_view, std::string*) {
  arguments.*flag = true;
  return true;
}

template <std::string CliArguments::*text>
bool Store(CliArguments& arguments, std::string_view value, std::string*) {
  arguments.*text = value;
  return true;
}

template <std::string CliArguments::*text, bool CliArguments::*flag>
bool StoreAndSet(CliArguments& arguments, std::string_view value, std::string*) {
  arguments.*flag = true;
  arguments.*text = value;
  return true;
}

template <std::vector<std::string> CliArguments::*list>
bool StoreTag(CliArguments& arguments, std::string_view value, std::string* error) {
  if (value.empty()) {
    *error = "a tag cannot be empty";
    return false;
  }
  (arguments.*list).emplace_back(value);
  return true;
}

bool StoreLength(CliArguments& arguments, std::string_view value, std::string* error) {
  if (ParseNumber(value, kGeneratedLengthMin, kGeneratedLengthMax, &arguments.length)) return true;
  *error = "--length takes a number from 8 to 128";
  return false;
}

bool StoreCount(CliArguments& arguments, std::string_view value, std::string* error) {
  if (ParseNumber(value, 1, kMaxCount, &arguments.count)) return true;
  *error = "--count takes a number from 1 to 1000";
  return false;
}

constexpr CliOption kOptions[] = {
    {"--dir", "", "DIR", 0, Store<&CliArguments::dir>, "use the safes in DIR instead of the usual safe folder"},
    {"--password-stdin", "", "", 0, Set<&CliArguments::password_stdin>,
     "read passwords from standard input, one per line, in the order they would be asked: the safe's password "
     "first, then (add, edit --password) the entry's, (passwd, create) the new one, which is not asked twice "
     "as on a terminal, or (import, export) the file's"},
    {"--help", "-h", "", 0, Set<&CliArguments::help>, "show how to use quillbox-cli"},
    {"--force", "", "", kForce, Set<&CliArguments::force>, ""},
    {"--legacy", "", "", kLegacy, Set<&CliArguments::legacy>, ""},
    {"--yes", "-y", "", kYes, Set<&CliArguments::yes>, ""},
    {"--description", "", "D", kDescription, StoreAndSet<&CliArguments::description, &CliArguments::edit_description>,
     ""},
    {"--user", "", "U", kAccountUser, StoreAndSet<&CliArguments::account_user, &CliArguments::edit_account_user>, ""},
    {"--password", "", "", kPassword, Set<&CliArguments::edit_password>, ""},
    {"--hibp", "", "FILE", kHibp, Store<&CliArguments::hibp_file>, ""},
    {"--format", "", "NAME", kFormat, Store<&CliArguments::format>, ""},
    {"--key-file", "", "PATH", kKeyFile, Store<&CliArguments::key_file>, ""},
    {"--skip-invalid", "", "", kSkipInvalid, Set<&CliArguments::skip_invalid>, ""},
    {"--dry-run", "", "", kDryRun, Set<&CliArguments::dry_run>, ""},
    {"--length", "", "N", kLength, StoreLength, ""},
    {"--count", "", "K", kCount, StoreCount, ""},
    {"--no-symbols", "", "", kNoSymbols, Set<&CliArguments::no_symbols>, ""},
    {"--no-lookalikes", "", "", kNoLookalikes, Set<&CliArguments::no_lookalikes>, ""},
    {"--user-name", "", "", kUserName, Set<&CliArguments::clip_user_name>, ""},
    {"--url", "", "URL", kUrl, StoreAndSet<&CliArguments::url, &CliArguments::edit_url>, ""},
    {"--tag", "", "TAG", kTag, StoreTag<&CliArguments::tags>, ""},
    {"--untag", "", "TAG", kUntag, StoreTag<&CliArguments::untags>, ""},
    {"--notes", "", "", kNotes, Set<&CliArguments::read_notes>, ""},
    {"--totp", "", "", kTotp, Set<&CliArguments::read_totp>, ""},
    {"--protected", "", "", kProtected, Set<&CliArguments::field_protected>, ""},
    {"--delete", "", "", kDelete, Set<&CliArguments::field_delete>, ""},
    {"--reveal", "", "", kReveal, Set<&CliArguments::reveal>, ""},
    {"--long", "", "", kLong, Set<&CliArguments::long_listing>, ""},
};

constexpr CliCommandRow kCommands[] = {
    {"help", nullptr, "", 0, false, "show how to use quillbox-cli"},
    {"create", RunCreate, "USER", kForce | kLegacy, false,
     "make a new, empty safe; --force replaces an existing one (the way out of a forgotten password), --legacy "
     "uses the format older copies of Quillbox can open"},
    {"list", RunList, "USER", kTag | kLong, false,
     "print the index, description and account user name of each entry; --tag lists only the entries with that "
     "tag (given again: with all of them) under their indexes in the whole list, --long adds the web address, the "
     "tags and the time of the last change"},
    {"show", RunShow, "USER INDEX", kReveal, false,
     "print one entry, its password included, and in a strong safe its other fields; protected fields and the "
     "one-time-code secret show as (hidden) unless --reveal is given"},
    {"totp", RunTotp, "USER INDEX", 0, false,
     "print the entry's current one-time code and, after a tab, the seconds it stays valid"},
    {"clip", RunClip, "USER INDEX", kUserName, false,
     "put the entry's password (or with --user-name its user name) on the clipboard with the password-manager "
     "hint (X11, or wl-copy on Wayland) and clear it after Clipboard_Clear_Seconds if it is still there"},
    {"add", RunAdd, "USER DESCRIPTION ACCOUNT_USER", kUrl | kTag | kNotes | kTotp, false,
     "add an entry; its password is asked for, --url sets its web address, --tag gives it a tag (repeatable), "
     "--totp reads its one-time-code secret and --notes its notes from standard input"},
    {"edit", RunEdit, "USER INDEX", kDescription | kAccountUser | kPassword | kUrl | kTag | kUntag | kNotes | kTotp,
     true,
     "change an entry; --password asks for the new one, --untag takes a tag away, the other options as for add "
     "(--notes and --totp replace what the entry held; empty input removes it)"},
    {"field", RunField, "USER INDEX NAME", kProtected | kDelete, false,
     "set the entry's custom field NAME to the value read from standard input, shown only with show --reveal "
     "when --protected; --delete removes the field instead"},
    {"rm", RunRemove, "USER INDEX...", kYes, false,
     "delete entries after a confirmation; --yes (-y) answers it with Yes, and without it the question is asked "
     "only when standard input is a terminal, else nothing is deleted"},
    {"passwd", RunPasswd, "USER", 0, false, "change the safe's password"},
    {"upgrade", RunUpgrade, "USER", 0, false,
     "re-encrypt a legacy safe in the strong format (older copies of Quillbox cannot open the result)"},
    {"info", RunInfo, "USER", 0, false, "print the safe's format and its parameters (no password is asked)"},
    {"export", RunExport, "USER [FILE]", kFormat | kForce | kKeyFile, false,
     "write the entries in a format other programs import (default quillbox-csv) to a new 0600 FILE, or to "
     "standard output; --force replaces FILE; kdbx writes a KeePass database locked by a new password, asked "
     "twice after the safe's, and with --key-file by that key file too (the password may then be empty)"},
    {"import", RunImport, "USER FILE", kFormat | kSkipInvalid | kDryRun | kKeyFile, false,
     "add the entries of an export (\"-\": standard input), its format recognised unless --format names it; "
     "entries already in the safe are skipped, --skip-invalid imports the entries that can be stored, "
     "--dry-run only tells what would be imported; a KeePass database (kdbx) or a password-protected Bitwarden "
     "JSON export asks for its password after the safe's, and --key-file adds a KeePass key file"},
    {"settings", RunSettings, "", 0, false,
     "show the settings the application uses, their values and where each comes from, and the safe folder in use"},
    {"merge", RunMerge, "USER", 0, false, "fold sync programs' conflict copies of the safe into it"},
    {"generate", RunGenerate, "", kLength | kCount | kNoSymbols | kNoLookalikes, false,
     "print K new passwords (default 1) of N characters (8 to 128, default 20); --no-lookalikes leaves out "
     "0 O o I l 1 |"},
    {"report", RunReport, "USER", kHibp | kFormat, false,
     "print each entry's password health, worst first: strength (bad, poor, weak, good or excellent, with the "
     "estimated bits), how many other entries share the password, its age in days and, with --hibp, how often "
     "it appears in a Have I Been Pwned SHA-1 file (sorted HASH:COUNT lines, searched in place, nothing sent); "
     "--format csv prints CSV instead of tab-separated text; entries whose custom field KnownBad is true are left "
     "out; exit status 0 when no entry is breached, reused, below good or a year old, else 1"},
};

}  // namespace

std::span<const CliOption> CliOptions() { return kOptions; }
std::span<const CliCommandRow> CliCommands() { return kCommands; }

const CliCommandRow* FindCliCommand(std::string_view name) {
  for (const CliCommandRow& command : kCommands) {
    if (command.name == name) return &command;
  }
  return nullptr;
}

const CliOption* FindCliOption(std::string_view name) {
  for (const CliOption& option : kOptions) {
    if (option.name == name || (!option.alias.empty() && option.alias == name)) return &option;
  }
  return nullptr;
}

std::string CliSynopsis(const CliCommandRow& command) {
  std::string text(command.name);
  if (!command.operands.empty()) text += " " + std::string(command.operands);
  for (const CliOption& option : kOptions) {
    if ((option.bit & command.options) == 0) continue;
    text += " [" + std::string(option.name);
    if (!option.value.empty()) text += " " + std::string(option.value);
    text += "]";
  }
  return text;
}
