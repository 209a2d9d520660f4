#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "crypto/password_generator.h"

// The command line, checked for shape only: the user-name and field rules are
// the model's and are applied when the command runs.
struct CliArguments {
  std::string command = "help";  // a name from the command table
  bool help = false;             // --help
  std::string dir;               // --dir; empty: beside the executable
  bool password_stdin = false;   // --password-stdin
  bool force = false;            // --force (create or export over an existing file)
  bool legacy = false;           // --legacy (create in the format older copies read)
  bool yes = false;              // --yes (answer questions with Yes)
  std::string user;
  std::vector<size_t> indexes;  // 1-based, as list prints them
  std::string description;      // add; edit with --description
  std::string account_user;     // add; edit with --user
  bool edit_description = false;
  bool edit_account_user = false;
  bool edit_password = false;  // edit --password
  std::string url;             // add, edit: --url
  bool edit_url = false;
  std::vector<std::string> tags;         // add, edit: --tag; list: only entries with these
  std::vector<std::string> untags;       // edit --untag
  bool read_notes = false;               // add, edit: --notes
  bool read_totp = false;                // add, edit: --totp
  std::string field_name;                // field
  bool field_protected = false;          // field --protected
  bool field_delete = false;             // field --delete
  bool reveal = false;                   // show --reveal
  bool long_listing = false;             // list --long
  std::string file;                      // import; export (empty: standard output)
  std::string format;                    // import, export, report: --format NAME
  std::string key_file;                  // import, export: --key-file PATH
  std::string hibp_file;                 // report --hibp FILE
  bool skip_invalid = false;             // import --skip-invalid
  bool dry_run = false;                  // import --dry-run
  bool clip_user_name = false;           // clip --user-name
  int length = kGeneratedLengthDefault;  // generate --length
  int count = 1;                         // generate --count
  bool no_symbols = false;               // generate --no-symbols
  bool no_lookalikes = false;            // generate --no-lookalikes
};

// False with a one-line reason in error when the command line is malformed.
bool ParseCliArguments(int argc, const char* const* argv, CliArguments* arguments, std::string* error);
