#include "interchange/import_file.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <new>

#include "interchange/csv_formats.h"
#include "interchange/kdbx.h"
#include "interchange/utf16_text.h"

namespace {

// Far beyond any real export; a bound so a wrong file cannot exhaust memory.
constexpr size_t kMaxImportBytes = size_t{256} << 20;
constexpr char kOutOfMemory[] = "there is not enough memory to read the file; nothing was imported";

bool ReadWholeFile(const std::string& name, ImportText* text, std::string* error) {
  bool from_stdin = name == "-";
  int fd = from_stdin ? STDIN_FILENO : open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    *error = name + ": " + strerror(errno);
    return false;
  }
  struct stat info;
  if (fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    if (!from_stdin) close(fd);
    *error = name + ": is a folder, not a file";
    return false;
  }
  if (!from_stdin) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  char chunk[65536];
  ssize_t n = 0;
  try {
    if (S_ISREG(info.st_mode) && static_cast<size_t>(info.st_size) <= kMaxImportBytes) {
      text->bytes.reserve(static_cast<size_t>(info.st_size) + 1);
    }
    while ((n = read(fd, chunk, sizeof chunk)) != 0) {
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 || text->bytes.size() + static_cast<size_t>(n) > kMaxImportBytes) break;
      AppendSecret(&text->bytes, std::string_view(chunk, static_cast<size_t>(n)));
    }
  } catch (const std::bad_alloc&) {
    explicit_bzero(chunk, sizeof chunk);
    if (!from_stdin) close(fd);
    *error = name + ": " + kOutOfMemory;
    return false;
  }
  int read_errno = errno;
  explicit_bzero(chunk, sizeof chunk);
  if (!from_stdin) close(fd);
  if (n != 0) {
    *error = n < 0 ? name + ": " + strerror(read_errno) : name + ": the file is too large to import";
    return false;
  }
  if (text->bytes.empty()) {
    *error = name + ": the file is empty";
    return false;
  }
  return true;
}

const InterchangeFormat* ImportFormat(std::string_view text, const std::string& format_name, std::string* error) {
  if (IsKeepass1Database(text)) {
    *error =
        "the file is an old KeePass 1 database (.kdb), which Quillbox does not read; KeePassXC or KeePass 2 can save "
        "it as a KDBX database, which Quillbox imports";
    return nullptr;
  }
  if (!format_name.empty()) {
    const InterchangeFormat* format = FindInterchangeFormat(format_name);
    if (format == nullptr) {
      *error = "unknown format " + format_name + "; the formats are " + InterchangeFormatNames(false);
    }
    return format;
  }
  const InterchangeFormat* format = DetectInterchangeFormat(text);
  if (format == nullptr) {
    *error = std::string("the format is not recognised: the first line must be ") + kQuillboxCsvHeader +
             " or the header of another program's export (--format names one of " + InterchangeFormatNames(false) + ")";
  }
  return format;
}

bool IsProtected(const InterchangeFormat& format, std::string_view text) {
  return format.is_protected != nullptr && format.is_protected(text);
}

bool ReadFormat(const InterchangeFormat& format, std::string_view text, const FileKey* key, ForeignFile* file,
                std::string* error) {
  if (!IsProtected(format, text)) {
    if (format.read != nullptr) return format.read(text, file, error);
    *error = std::string("the file is not a ") + format.title + "; nothing was imported";
    return false;
  }
  if (key == nullptr) {
    *error = "the file is protected by a password; nothing was imported";
    return false;
  }
  return format.read_protected(text, *key, file, error);
}

bool PlanUtf8Text(std::string_view text, const std::string& format_name, const FileKey* key, ImportPlan* plan,
                  std::string* error) {
  const InterchangeFormat* format = ImportFormat(text, format_name, error);
  if (format == nullptr) return false;
  ForeignFile file(plan);
  if (!ReadFormat(*format, text, key, &file, error)) return false;
  plan->Finish(file, format->name);
  return true;
}

}  // namespace

ImportText::~ImportText() { WipeString(&bytes); }

bool ReadImportText(const std::string& name, ImportText* text, std::string* error) {
  if (ReadWholeFile(name, text, error)) return true;
  WipeString(&text->bytes);
  return false;
}

const InterchangeFormat* ImportFormatOf(std::string_view text, const std::string& format_name) {
  std::string ignored;
  return ImportFormat(text, format_name, &ignored);
}

ImportKey ImportKeyNeeded(std::string_view text, const std::string& format_name) {
  const InterchangeFormat* format = ImportFormatOf(text, format_name);
  if (format == nullptr || !IsProtected(*format, text)) return ImportKey::kNone;
  return format->takes_key_file ? ImportKey::kPasswordOrKeyFile : ImportKey::kPassword;
}

bool PlanImportText(std::string_view text, const std::string& format_name, ImportPlan* plan, std::string* error,
                    const FileKey* key) {
  // What an import holds beside the text is bounded by its record cap; a
  // machine short of that much memory refuses the file rather than abort.
  try {
    if (!HasUtf16ByteOrderMark(text)) return PlanUtf8Text(text, format_name, key, plan, error);
    ImportText utf8;
    return AppendUtf16AsUtf8(text, &utf8.bytes, error) && PlanUtf8Text(utf8.bytes, format_name, key, plan, error);
  } catch (const std::bad_alloc&) {
    *error = kOutOfMemory;
    return false;
  }
}

const InterchangeFormat* ExportFormatNamed(const std::string& name, std::string* error) {
  const InterchangeFormat* format = FindInterchangeFormat(name.empty() ? "quillbox-csv" : name);
  if (format == nullptr) {
    *error = "unknown format " + name + "; export writes " + InterchangeFormatNames(true);
  } else if (format->write == nullptr && format->write_protected == nullptr) {
    *error = name + " can only be imported; export writes " + InterchangeFormatNames(true);
    format = nullptr;
  }
  return format;
}
