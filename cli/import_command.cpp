#include "cli/import_command.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "cli/csv_table.h"
#include "cli/read_commands.h"
#include "cli/safe_diagnosis.h"
#include "core/heapstring.h"
#include "safe/safe_lock.h"
#include "safe/safe_store.h"

namespace {

// Far beyond any real safe; a bound so a wrong file cannot exhaust memory.
constexpr size_t kMaxImportBytes = size_t{256} << 20;

// The file's bytes (may hold passwords): wiped when done.
struct ImportText {
  std::string bytes;
  ~ImportText() { explicit_bzero(bytes.data(), bytes.size()); }
};

bool ReadImportFile(const std::string& name, ImportText* text, std::string* error) {
  bool from_stdin = name == "-";
  int fd = from_stdin ? STDIN_FILENO : open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    *error = name + ": " + strerror(errno);
    return false;
  }
  struct stat info;
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
    text->bytes.reserve(static_cast<size_t>(info.st_size) + 1);
  }
  char chunk[65536];
  ssize_t n;
  while ((n = read(fd, chunk, sizeof chunk)) != 0) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 || text->bytes.size() + static_cast<size_t>(n) > kMaxImportBytes) break;
    text->bytes.append(chunk, static_cast<size_t>(n));
  }
  int read_errno = errno;
  explicit_bzero(chunk, sizeof chunk);
  if (!from_stdin) close(fd);
  if (n == 0) return true;
  *error = n < 0 ? name + ": " + strerror(read_errno) : name + ": the file is too large to import";
  return false;
}

// Every row must be an entry the safe can hold; the first names the columns.
ExitStatus CheckRows(CliSession& session, const CsvTable& table) {
  const std::string& name = session.arguments().file;
  auto at_line = [&](size_t record) { return name + ": line " + std::to_string(table.RecordLine(record)) + ": "; };
  if (table.RecordCount() == 0 || table.FieldCount(0) != 3 ||
      table.Field(0, 0) != "Description" || table.Field(0, 1) != "Username" || table.Field(0, 2) != "Password") {
    return session.Fail(kExitBadArguments, name + ": the first line must be " + kCsvHeader);
  }
  for (size_t r = 1; r < table.RecordCount(); ++r) {
    if (table.FieldCount(r) != 3) return session.Fail(kExitBadArguments, at_line(r) + "a row needs 3 fields");
    std::string fields[3];
    for (size_t f = 0; f < 3; ++f) fields[f] = table.Field(r, f);
    ExitStatus status = session.CheckEntry(fields[0].c_str(), fields[1].c_str(), fields[2].c_str(), at_line(r));
    for (std::string& field : fields) explicit_bzero(field.data(), field.size());
    if (status != kExitOk) return status;
  }
  return kExitOk;
}

bool AppendRows(const CsvTable& table, cpStringArray& entries) {
  for (size_t r = 1; r < table.RecordCount(); ++r) {
    std::string_view d = table.Field(r, 0), u = table.Field(r, 1), p = table.Field(r, 2);
    char* line = FormatString("%.*s\t%.*s\t%.*s", static_cast<int>(d.size()), d.data(),
                              static_cast<int>(u.size()), u.data(), static_cast<int>(p.size()), p.data());
    if (line == nullptr) return false;
    if (entries.AddOwned(line) == nullptr) {
      WipeAndFree(line);
      return false;
    }
  }
  return true;
}

}  // namespace

ExitStatus RunImport(CliSession& session) {
  const CliArguments& arguments = session.arguments();
  if (arguments.file == "-" && arguments.password_stdin) {
    return session.Fail(kExitBadArguments, "import from standard input cannot be combined with --password-stdin");
  }
  ExitStatus status = session.CheckUserName();
  if (status != kExitOk) return status;
  ImportText text;
  std::string error;
  if (!ReadImportFile(arguments.file, &text, &error)) return session.Fail(kExitBadArguments, error);
  CsvTable table;
  CsvTable::Error csv_error;
  if (!table.Parse(text.bytes, &csv_error)) {
    return session.Fail(kExitBadArguments,
                        arguments.file + ": line " + std::to_string(csv_error.line) + ": " + csv_error.message);
  }
  status = CheckRows(session, table);
  if (status == kExitOk) status = session.CheckSafeExists();
  if (status != kExitOk) return status;
  // Held from before the load until after the save, so no change made
  // elsewhere in between is lost.
  SafeLock lock;
  if (lock.Acquire(session.user()) == SafeLock::Result::kHeldElsewhere) return session.FailLocked();
  SecretText password;
  status = session.ReadSafePassword(kSafePasswordPrompt, &password);
  cpStringArray entries;
  if (status == kExitOk) {
    SafeOpenResult loaded = LoadSafeForCli(session.user(), password.c_str(), entries);
    if (loaded.status != kExitOk) status = session.Fail(loaded.status, loaded.message);
  }
  if (status != kExitOk) return status;
  if (!AppendRows(table, entries)) return session.Fail(kExitFailure, "out of memory; nothing was imported");
  if (!SaveSafe(session.user(), password.c_str(), entries)) {
    return session.Fail(kExitFailure, "The safe could not be saved; the file keeps its previous contents");
  }
  return kExitOk;
}
