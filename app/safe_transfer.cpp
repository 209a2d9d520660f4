#include "app/safe_transfer.h"

#include "app/quillbox.h"
#include "app/quillbox_messages.h"
#include "interchange/export_file.h"
#include "interchange/import_file.h"

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

}  // namespace

bool ImportIntoOpenSafe(Quillbox& app, MessageBoxView& view, OwnerWindow owner, const std::string& path,
                        const std::string& format_name) {
  if (!app.IsLoggedIn()) return false;
  ImportText text;
  ImportPlan plan(app.OpenSafeFormat());
  std::string error;
  if (!ReadImportText(path, &text, &error) || !PlanImportText(text.bytes, format_name, &plan, &error)) {
    if (error.rfind(path, 0) != 0) error = path + ": " + error;
    ShowError(view, owner, error);
    return false;
  }
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

bool ExportOpenSafe(Quillbox& app, MessageBoxView& view, OwnerWindow owner, const std::string& path,
                    const std::string& format_name, bool replace) {
  if (!app.IsLoggedIn()) return false;
  std::string error;
  const InterchangeFormat* format = ExportFormatNamed(format_name, &error);
  if (format == nullptr) {
    ShowError(view, owner, error);
    return false;
  }
  std::string question = std::string(kPlainTextWarning) + "\n\nExport " + std::to_string(app.GetEntries().size()) +
                         " entries as " + format->title + " to " + path + "?";
  if (view.ShowMessageBox(owner, question.c_str(), kExportCaption, kMbYesNo | kMbIconWarning) != kIdYes) {
    return false;
  }
  std::string bytes;
  bool written = format->write(app.GetEntries(), &bytes, &error);
  if (written) {
    ExportFileResult result = WriteExportFile(path, bytes, replace, &error);
    if (result == ExportFileResult::kExists) error = path + " already exists; nothing was written.";
    written = result == ExportFileResult::kWritten;
  }
  WipeString(&bytes);
  if (!written) ShowError(view, owner, error);
  return written;
}
