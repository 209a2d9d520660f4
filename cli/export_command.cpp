#include "cli/export_command.h"

#include <unistd.h>

#include "cli/file_key_input.h"
#include "interchange/export_file.h"
#include "interchange/foreign_entry.h"
#include "interchange/import_file.h"

namespace {

// The exported bytes hold every password: wiped when done.
struct ExportText {
  std::string bytes;
  ~ExportText() { WipeString(&bytes); }
};

}  // namespace

ExitStatus RunExport(CliSession& session) {
  const CliArguments& arguments = session.arguments();
  std::string error;
  const InterchangeFormat* format = ExportFormatNamed(arguments.format, &error);
  if (format == nullptr) return session.Fail(kExitBadArguments, error);
  ExitStatus status = CheckKeyFileOption(session, format->takes_key_file, format->name);
  if (status != kExitOk) return status;
  bool to_stdout = arguments.file.empty() || arguments.file == "-";
  constexpr char kExistsMessage[] = " already exists; --force replaces it";
  if (!to_stdout && !arguments.force && access(arguments.file.c_str(), F_OK) == 0) {
    return session.Fail(kExitFailure, arguments.file + kExistsMessage);
  }
  EntryList entries;
  status = session.LoadForReading(entries);
  if (status != kExitOk) return status;
  ExportText text;
  // A format that is protected is always written with a new key.
  bool is_protected = format->write_protected != nullptr;
  FileKey key;
  if (is_protected) status = ReadExportFileKey(session, &key);
  if (status != kExitOk) return status;
  bool written = WriteInterchange(*format, entries.entries, key, &text.bytes, &error);
  if (!written) return session.Fail(kExitFailure, error);
  if (to_stdout) {
    fwrite(text.bytes.data(), 1, text.bytes.size(), session.out());
    if (fflush(session.out()) != 0 || ferror(session.out())) {
      return session.Fail(kExitFailure, "standard output could not be written");
    }
  } else {
    switch (WriteExportFile(arguments.file, text.bytes, arguments.force, &error)) {
      case ExportFileResult::kWritten:
        break;
      case ExportFileResult::kExists:
        return session.Fail(kExitFailure, arguments.file + kExistsMessage);
      case ExportFileResult::kFailed:
        return session.Fail(kExitFailure, error);
    }
  }
  if (!is_protected) session.Warn(std::string("warning: ") + kPlainTextWarning);
  return kExitOk;
}
