#include "app/safe_transfer.h"

#include "app/quillbox.h"
#include "app/quillbox_messages.h"
#include "interchange/export_file.h"
#include "interchange/import_file.h"
#include "interchange/key_file_bytes.h"

#include <memory>

namespace {

// A long list of refused entries would make a box taller than the screen.
constexpr size_t kListedProblems = 10;

int ShowError(MessageBoxView& view, OwnerWindow owner, const std::string& text) {
  return view.ShowMessageBox(owner, text.c_str(), kErrorCaption, kMbOk | kMbIconWarning);
}

std::string ProblemList(const ImportPlan& plan) {
  const std::vector<std::string>& problems = plan.Problems();
  if (problems.empty()) return "";
  std::string text = "\nThese records are skipped:\n";
  for (size_t i = 0; i < problems.size() && i < kListedProblems; ++i) text += problems[i] + "\n";
  if (plan.ProblemCount() > kListedProblems) {
    text += "and " + std::to_string(plan.ProblemCount() - kListedProblems) + " more\n";
  }
  return text;
}

std::string BaseName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// The answer's password and key file's bytes; false with the reason.
bool KeyOfAnswer(const FileKeyAnswer& answer, FileKey* key, std::string* error) {
  key->password = answer.password;
  if (answer.key_file_path.empty()) return true;
  key->key_file.emplace();
  if (ReadKeyFileBytes(answer.key_file_path, &*key->key_file, error)) return true;
  key->key_file.reset();
  return false;
}

// Asks for the key of a protected file until it opens it, or null when the
// user cancels; the key derivation runs as busy work.
std::unique_ptr<ImportPlan> PlanProtectedFile(Quillbox& app, QuillboxView& view, OwnerWindow owner,
                                              const std::string& path, const ImportText& text,
                                              const std::string& format_name, ImportKey need) {
  FileKeyRequest request;
  request.file_name = BaseName(path);
  request.takes_key_file = need == ImportKey::kPasswordOrKeyFile;
  for (;;) {
    FileKeyAnswer answer;
    if (!view.AskFileKey(owner, request, &answer)) return nullptr;
    FileKey key;
    request.problem.clear();
    if (!KeyOfAnswer(answer, &key, &request.problem)) continue;
    auto plan = std::make_unique<ImportPlan>(app.OpenSafeFormat());
    bool planned = false;
    view.RunBusy([&] { planned = PlanImportText(text.bytes, format_name, plan.get(), &request.problem, &key); });
    if (planned) return plan;
  }
}

// The file's plan, or null with the reason (empty when the user cancelled).
std::unique_ptr<ImportPlan> PlanFile(Quillbox& app, QuillboxView& view, OwnerWindow owner, const std::string& path,
                                     const std::string& format_name, std::string* error) {
  ImportText text;
  if (!ReadImportText(path, &text, error)) return nullptr;
  ImportKey need = ImportKeyNeeded(text.bytes, format_name);
  if (need != ImportKey::kNone) return PlanProtectedFile(app, view, owner, path, text, format_name, need);
  auto plan = std::make_unique<ImportPlan>(app.OpenSafeFormat());
  return PlanImportText(text.bytes, format_name, plan.get(), error) ? std::move(plan) : nullptr;
}

// The new key of a protected export; false when the user cancels.
bool AskNewFileKey(QuillboxView& view, OwnerWindow owner, const std::string& path, const InterchangeFormat& format,
                   FileKey* key) {
  FileKeyRequest request;
  request.file_name = BaseName(path);
  request.takes_key_file = format.takes_key_file;
  request.new_key = true;
  for (;;) {
    FileKeyAnswer answer;
    if (!view.AskFileKey(owner, request, &answer)) return false;
    if (KeyOfAnswer(answer, key, &request.problem)) return true;
  }
}

}  // namespace

bool ImportIntoOpenSafe(Quillbox& app, QuillboxView& view, OwnerWindow owner, const std::string& path,
                        const std::string& format_name) {
  if (!app.IsLoggedIn()) return false;
  std::string error;
  std::unique_ptr<ImportPlan> planned = PlanFile(app, view, owner, path, format_name, &error);
  if (planned == nullptr) {
    if (error.empty()) return false;
    if (error.rfind(path, 0) != 0) error = path + ": " + error;
    ShowError(view, owner, error);
    return false;
  }
  ImportPlan& plan = *planned;
  plan.SkipExisting(app.GetEntries());
  std::string summary = FormatImportSummary(plan.Summary(), ImportStage::kPreview) + ProblemList(plan);
  if (plan.Entries().empty()) {
    view.ShowMessageBox(owner, (summary + "\nThere is nothing to import.").c_str(), kImportCaption,
                        kMbOk | kMbIconInformation);
    return false;
  }
  std::string question = summary + "\nAdd the new entries to the safe?";
  if (view.ShowMessageBox(owner, question.c_str(), kImportCaption, kMbYesNo | kMbIconQuestion) != kIdYes) {
    return false;
  }
  if (!app.AppendEntries(plan.Entries())) {
    ShowError(view, owner, ("The safe could not be saved; nothing was imported.\n" + app.LastSaveError()).c_str());
    return false;
  }
  return true;
}

bool ExportOpenSafe(Quillbox& app, QuillboxView& view, OwnerWindow owner, const std::string& path,
                    const std::string& format_name, bool replace) {
  if (!app.IsLoggedIn()) return false;
  std::string error;
  const InterchangeFormat* format = ExportFormatNamed(format_name, &error);
  if (format == nullptr) {
    ShowError(view, owner, error);
    return false;
  }
  // A protected format is always written under a new key, and holds no
  // plain text to warn of.
  FileKey key;
  bool is_protected = format->write_protected != nullptr;
  if (is_protected && !AskNewFileKey(view, owner, path, *format, &key)) return false;
  std::string question = std::string(kPlainTextWarning) + "\n\nExport " + std::to_string(app.GetEntries().size()) +
                         " entries as " + format->title + " to " + path + "?";
  if (!is_protected &&
      view.ShowMessageBox(owner, question.c_str(), kExportCaption, kMbYesNo | kMbIconWarning) != kIdYes) {
    return false;
  }
  std::string bytes;
  bool written = false;
  if (is_protected) {
    view.RunBusy([&] { written = WriteInterchange(*format, app.GetEntries(), key, &bytes, &error); });
  } else {
    written = WriteInterchange(*format, app.GetEntries(), key, &bytes, &error);
  }
  if (written) {
    ExportFileResult result = WriteExportFile(path, bytes, replace, &error);
    if (result == ExportFileResult::kExists) error = path + " already exists; nothing was written.";
    written = result == ExportFileResult::kWritten;
  }
  WipeString(&bytes);
  if (!written) ShowError(view, owner, error);
  return written;
}
