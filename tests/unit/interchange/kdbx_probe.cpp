// Quillbox's side of the KDBX peer tests, for a shell script to set beside
// keepassxc-cli's output:
//   kdbx_probe paths FILE [--key-file K]      each entry's group/title, sorted
//   kdbx_probe show FILE PATH [--key-file K]  one entry as keepassxc-cli show -s --all prints it
//   kdbx_probe dump FILE [--key-file K]       every field of every entry, by path
//   kdbx_probe code FILE PATH [--key-file K]  the entry's one-time code now
//   kdbx_probe summary FILE [--key-file K]    the import's summary
//   kdbx_probe write FILE [--key-file K]      the test entries as a KDBX file, cheap to open
//   kdbx_probe dump-written                   the test entries' dump, as written
// FILE is read as an import reads it (a KDBX file or KeePass XML, by its
// content); a KDBX file's password is the first line of standard input.
#include <sodium.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "interchange/import_file.h"
#include "interchange/kdbx.h"
#include "interchange/utc_time.h"
#include "safe/one_time_code.h"

namespace {

// The plan, with the group each planned entry came from.
class GroupedPlan : public ImportPlan {
 public:
  GroupedPlan() : ImportPlan(SafeFormat::kStrong) {}
  void Take(const ForeignEntry& entry, const ForeignFile& file) override {
    size_t before = Entries().size();
    ImportPlan::Take(entry, file);
    if (Entries().size() > before) groups.push_back(entry.group);
  }
  std::vector<std::string> groups;
};

struct Located {
  std::string path;
  std::string group;
  const Entry* entry;
};

std::string PathOf(const std::string& group, const Entry& entry) {
  return group.empty() ? std::string(entry.title.view()) : group + "/" + std::string(entry.title.view());
}

std::vector<Located> ByPath(const std::vector<Entry>& entries, const std::vector<std::string>& groups) {
  std::vector<Located> located;
  for (size_t i = 0; i < entries.size(); ++i)
    located.push_back({PathOf(groups[i], entries[i]), groups[i], &entries[i]});
  std::sort(located.begin(), located.end(), [](const Located& a, const Located& b) { return a.path < b.path; });
  return located;
}

bool ReadFileBytes(const std::string& name, std::string* bytes) {
  std::ifstream in(name, std::ios::binary);
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return in.good() || in.eof();
}

FileKey KeyFromInput(const std::string& key_file) {
  FileKey key;
  std::string password;
  std::getline(std::cin, password);
  key.password = password;
  if (!key_file.empty()) {
    std::string bytes;
    ReadFileBytes(key_file, &bytes);
    key.key_file.emplace(bytes.begin(), bytes.end());
  }
  return key;
}

bool Plan(const std::string& file, const std::string& key_file, GroupedPlan* plan, std::string* error) {
  std::string bytes;
  if (!ReadFileBytes(file, &bytes)) {
    *error = "cannot read " + file;
    return false;
  }
  if (!IsKdbx(bytes)) return PlanImportText(bytes, "", plan, error);
  FileKey key = KeyFromInput(key_file);
  return PlanImportText(bytes, "", plan, error, &key);
}

// KeePass's UUID in the form KeePassXC shows it.
std::string UuidOf(const Entry& entry) {
  const CustomField* source = entry.FindField(kSourceIdField);
  std::string_view text = source == nullptr ? std::string_view() : source->value.view();
  if (!text.starts_with("keepass:")) return "";
  text.remove_prefix(8);
  unsigned char bytes[18];
  size_t size = 0;
  if (sodium_base642bin(bytes, sizeof bytes, text.data(), text.size(), nullptr, &size, nullptr,
                        sodium_base64_VARIANT_ORIGINAL) != 0 ||
      size != 16) {
    return "";
  }
  std::string uuid = "{";
  for (size_t i = 0; i < 16; ++i) {
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02x", bytes[i]);
    uuid += hex;
    if (i == 3 || i == 5 || i == 7 || i == 9) uuid += '-';
  }
  return uuid + "}";
}

std::string Escaped(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

void Show(const Located& at) {
  const Entry& entry = *at.entry;
  std::cout << "Title: " << entry.title.view() << "\nUserName: " << entry.userName.view()
            << "\nPassword: " << entry.password.view() << "\nURL: " << entry.url.view()
            << "\nNotes: " << entry.notes.view() << "\nUuid: " << UuidOf(entry) << "\nTags: ";
  bool first = true;
  for (const SecretText& tag : entry.tags) {
    if (tag == at.group) continue;
    std::cout << (first ? "" : ",") << tag.view();
    first = false;
  }
  std::cout << "\n";
  std::map<std::string, std::string> attributes;
  for (const CustomField& field : entry.fields) {
    if (field.name != kSourceIdField) attributes[std::string(field.name.view())] = field.value.view();
  }
  if (!entry.totp.empty()) attributes["otp"] = entry.totp.view();
  for (const auto& [name, value] : attributes) std::cout << name << ": " << value << "\n";
}

void Dump(const Located& at) {
  const Entry& entry = *at.entry;
  std::cout << "Path: " << at.path << "\nTitle: " << Escaped(entry.title.view())
            << "\nUserName: " << Escaped(entry.userName.view()) << "\nPassword: " << Escaped(entry.password.view())
            << "\nURL: " << Escaped(entry.url.view()) << "\nNotes: " << Escaped(entry.notes.view()) << "\nTags:";
  for (const SecretText& tag : entry.tags) std::cout << " [" << tag.view() << "]";
  std::cout << "\nTOTP: " << entry.totp.view() << "\n";
  for (const CustomField& field : entry.fields) {
    if (field.name == kSourceIdField) continue;
    std::cout << "Field " << field.name.view() << (field.isProtected ? " (protected)" : "") << ": "
              << Escaped(field.value.view()) << "\n";
  }
  std::cout << "Uuid: " << UuidOf(entry) << "\nCreated: " << FormatUtcTime(entry.created)
            << "\nModified: " << FormatUtcTime(entry.modified) << "\n";
  for (const PasswordHistoryItem& item : entry.history) {
    std::cout << "History: " << Escaped(item.password.view()) << " replaced " << FormatUtcTime(item.replacedAt) << "\n";
  }
}

// Every field keepassxc-cli shows, in the forms that are hard to carry: a
// group path, a quote, a comma, XML's own characters, non-ASCII letters,
// lines, an empty user name, a SHA-256 code of 8 digits.
std::vector<Entry> WrittenEntries() {
  std::vector<Entry> entries(3);
  Entry& gateway = entries[0];
  gateway.title = "Gateway";
  gateway.userName = "jdoe";
  gateway.password = "v9n, \"x\" <&>";
  gateway.url = "https://vpn.example.com/login?a=1&b=2";
  gateway.notes = "Recovery codes:\n1111 2222\n3333 4444";
  NormalizeOneTimeCodeInput("otpauth://totp/Gateway:jdoe?secret=JBSWY3DPEHPK3PXPJBSWY3DP&algorithm=SHA256&digits=8",
                            gateway.totp);
  gateway.AddTag("Work/VPN");
  gateway.AddTag("office");
  gateway.AddTag("remote");
  gateway.SetField("PIN", "9876", true);
  gateway.SetField("Site", "Main Street", false);
  gateway.created = 1704164645;   // 2024-01-02T03:04:05Z
  gateway.modified = 1738555506;  // 2025-02-03T04:05:06Z
  gateway.history.push_back({SecretText("older"), 1704164745});
  gateway.history.push_back({SecretText("old"), gateway.modified});
  Entry& cafe = entries[1];
  cafe.title = "Café";
  cafe.password = "crème brûlée";
  cafe.created = cafe.modified = 1704164645;
  Entry& bank = entries[2];
  bank.title = "Bänk, main";
  bank.userName = "jdoe";
  bank.password = "say \"hi\", ok";
  bank.url = "https://bank.example.com/login";
  bank.notes = "line one\nline two";
  bank.AddTag("Email");
  bank.created = bank.modified = 1704164645;
  return entries;
}

int Fail(const std::string& reason) {
  std::cerr << "kdbx_probe: " << reason << "\n";
  return 1;
}

int Write(const std::string& file, const std::string& key_file) {
  // As cheap to open as Argon2id allows, for the many keepassxc-cli runs.
  KdbxWriteSettings settings;
  settings.argon2_memory_bytes = 1 << 20;
  settings.argon2_iterations = 2;
  SetKdbxWriteSettings(settings);
  const InterchangeFormat* format = FindInterchangeFormat("kdbx");
  if (format == nullptr || format->write_protected == nullptr) return Fail("no kdbx format to write");
  FileKey key = KeyFromInput(key_file);
  std::string bytes, error;
  if (!format->write_protected(WrittenEntries(), key, &bytes, &error)) return Fail(error);
  std::ofstream out(file, std::ios::binary);
  out << bytes;
  return out.good() ? 0 : Fail("cannot write " + file);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string key_file;
  if (args.size() >= 2 && args[args.size() - 2] == "--key-file") {
    key_file = args.back();
    args.resize(args.size() - 2);
  }
  if (sodium_init() < 0) return Fail("libsodium cannot start");
  if (args.size() == 1 && args[0] == "dump-written") {
    std::vector<Entry> entries = WrittenEntries();
    std::vector<std::string> groups;
    for (const Entry& entry : entries) groups.emplace_back(entry.tags.empty() ? "" : entry.tags[0].view());
    for (const Located& at : ByPath(entries, groups)) Dump(at);
    return 0;
  }
  if (args.size() == 2 && args[0] == "write") return Write(args[1], key_file);
  if (args.size() < 2) return Fail("usage: see the head of kdbx_probe.cpp");
  GroupedPlan plan;
  std::string error;
  if (!Plan(args[1], key_file, &plan, &error)) return Fail(error);
  if (!plan.Problems().empty()) return Fail(plan.Problems()[0]);
  std::vector<Located> located = ByPath(plan.Entries(), plan.groups);
  if (args[0] == "summary") {
    std::cout << FormatImportSummary(plan.Summary(), ImportStage::kPreview);
    return 0;
  }
  if (args[0] == "paths" || args[0] == "dump") {
    for (const Located& at : located) {
      if (args[0] == "paths") {
        std::cout << at.path << "\n";
      } else {
        Dump(at);
      }
    }
    return 0;
  }
  if (args.size() != 3) return Fail("usage: see the head of kdbx_probe.cpp");
  auto at = std::find_if(located.begin(), located.end(), [&](const Located& l) { return l.path == args[2]; });
  if (at == located.end()) return Fail("no entry " + args[2]);
  if (args[0] == "show") {
    Show(*at);
    return 0;
  }
  if (args[0] == "code") {
    TotpCode code;
    if (const char* problem = CurrentOneTimeCode(at->entry->totp.view(), time(nullptr), code)) return Fail(problem);
    std::cout << code.text << "\n";
    return 0;
  }
  return Fail("unknown command " + args[0]);
}
