#include "interchange/import_file.h"

#include <string.h>
#include <unistd.h>

#include "core/whole_file.h"
#include "interchange/csv_formats.h"
#include "interchange/kdbx.h"
#include "interchange/utf16_text.h"

namespace {

// Far beyond any real export; a bound so a wrong file cannot exhaust memory.
constexpr size_t kMaxImportBytes = size_t{256} << 20;
constexpr char kOutOfMemory[] = "there is not enough memory to read the file; nothing was imported";

// Standard input ("-") and other streams are read to their end as well.
FileReadResult ReadImportBytes(const std::string& name, WipingString* bytes) {
  const FileReadOptions options = {.maxBytes = kMaxImportBytes, .streams = true};
  if (name != "-") return ReadWholeFile(name.c_str(), options, bytes);
  uint64_t size = 0;
  const FileReadResult checked = CheckForReading(STDIN_FILENO, options, &size);
  return checked ? ReadToEnd(STDIN_FILENO, size, options.maxBytes, bytes) : checked;
}

std::string Reason(const FileReadResult& read) {
  switch (read.status) {
    case FileReadStatus::kNotAFile:
      return "is a folder, not a file";
    case FileReadStatus::kTooLarge:
      return "the file is too large to import";
    case FileReadStatus::kOutOfMemory:
      return kOutOfMemory;
    default:
      return strerror(read.error);
  }
}

bool ReadImportFile(const std::string& name, ImportText* text, std::string* error) {
  const FileReadResult read = ReadImportBytes(name, &text->bytes);
  if (read && !text->bytes.empty()) return true;
  *error = name + ": " + (read ? std::string("the file is empty") : Reason(read));
  return false;
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

// Short texts live inside the string, where its allocator does not wipe them.
ImportText::~ImportText() { explicit_bzero(bytes.data(), bytes.capacity()); }

bool ReadImportText(const std::string& name, ImportText* text, std::string* error) {
  if (ReadImportFile(name, text, error)) return true;
  explicit_bzero(text->bytes.data(), text->bytes.capacity());
  text->bytes.clear();
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
