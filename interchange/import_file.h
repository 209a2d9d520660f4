#pragma once

#include <string>
#include <string_view>

#include "core/wiping_allocator.h"
#include "interchange/import_plan.h"
#include "interchange/interchange_format.h"

// A file's bytes, which hold passwords: wiped when done.
struct ImportText {
  WipingString bytes;
  ImportText() = default;
  ~ImportText();
  ImportText(const ImportText&) = delete;
  ImportText& operator=(const ImportText&) = delete;
};

// Reads the whole file ("-": standard input). Folders, empty files and files
// beyond any real export's size are refused with a one-line reason.
bool ReadImportText(const std::string& name, ImportText* text, std::string* error);

// What reading a file takes beside its bytes: nothing, or the password
// that protects it (and, for some formats, a key file).
enum class ImportKey { kNone, kPassword, kPasswordOrKeyFile };
// kNone too when the format is not known: planning then says why.
ImportKey ImportKeyNeeded(std::string_view text, const std::string& format_name);
// The format named, or the one the text is recognised as; null when none.
const InterchangeFormat* ImportFormatOf(std::string_view text, const std::string& format_name);

// The format named (empty: the one the text is recognised as), its reader
// over the text, and the plan built from what it read. False with a
// one-line reason when the text cannot be read as that format at all, or
// when it is protected and key is null or wrong.
bool PlanImportText(std::string_view text, const std::string& format_name, ImportPlan* plan, std::string* error,
                    const FileKey* key = nullptr);

// The format to export in (empty name: the safe's own CSV), or null with
// the reason.
const InterchangeFormat* ExportFormatNamed(const std::string& name, std::string* error);

inline constexpr char kPlainTextWarning[] =
    "The exported file holds every password in plain text. Keep it private and delete it when it is no longer needed.";
