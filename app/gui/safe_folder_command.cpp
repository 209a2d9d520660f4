#include "app/gui/safe_folder_command.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QPushButton>
#include <filesystem>
#include <string>
#include <vector>

#include "ui/gui/qt_message_box.h"
#include "app/gui/safe_file_move.h"
#include "app/quillbox.h"
#include "app/quillbox_messages.h"
#include "safe/safe_folder.h"
#include "safe/safe_store.h"

namespace {

constexpr char kSafeFolderDialogTitle[] = "Safe Folder";
constexpr char kDefaultButtonText[] = "&Default";

enum class FolderChoice { kCancelled, kFolder, kDefault };

// Qt's own folder dialog, which can take the Default button.
FolderChoice RunFolderDialog(QWidget* owner, const QString& start, QString& folder) {
  QFileDialog dialog(owner, QString::fromLatin1(kSafeFolderDialogTitle), start);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
  bool useDefault = false;
  if (auto* buttons = dialog.findChild<QDialogButtonBox*>()) {
    QPushButton* button = buttons->addButton(QString::fromLatin1(kDefaultButtonText), QDialogButtonBox::ResetRole);
    button->setObjectName(QStringLiteral("defaultButton"));
    QObject::connect(button, &QPushButton::clicked, &dialog, [&dialog, &useDefault] {
      useDefault = true;
      dialog.reject();
    });
  }
  const int result = dialog.exec();
  if (useDefault) return FolderChoice::kDefault;
  if (result != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return FolderChoice::kCancelled;
  folder = dialog.selectedFiles().first();
  return FolderChoice::kFolder;
}

bool SameFolder(const std::string& a, const std::string& b) {
  std::error_code error;
  return a == b || std::filesystem::equivalent(a, b, error);
}

// The last user's safe would be left behind in the old folder: offer to
// take it along, never over a safe of the same name.
void OfferToMoveSafe(Quillbox& app, QWidget* owner, const std::string& before, const std::vector<std::string>& files) {
  const std::string after = GetSafeFolder().path;
  if (files.empty() || SameFolder(before, after)) return;
  // Titled like the program's other questions, with its own name.
  const char* caption = app.GetDisplayName();
  if (SafeExists(app.GetUserName())) {
    ShowQtMessageBox(owner, kSafeFolderHoldsSafeMessage, caption, kMbOk | kMbIconWarning);
    return;
  }
  const std::string question = std::string(kMoveSafeQuestion) + "\r\n" + after;
  if (ShowQtMessageBox(owner, question.c_str(), caption, kMbYesNo | kMbIconQuestion) != kIdYes) return;
  std::string reason;
  if (!MoveSafeFiles(files, after, reason)) {
    const std::string message = std::string(kMoveSafeFailedMessage) + reason;
    ShowQtMessageBox(owner, message.c_str(), kErrorCaption, kMbOk | kMbIconError);
  }
}

}  // namespace

void ChooseSafeFolderWithDialog(Quillbox& app, QWidget* owner) {
  if (app.IsLoggedIn()) return;
  const std::string before = GetSafeFolder().path;
  QString folder;
  const FolderChoice choice = RunFolderDialog(owner, QString::fromStdString(before), folder);
  if (choice == FolderChoice::kCancelled) return;
  // Found before the folder changes, where the safe still is.
  const std::vector<std::string> files = SafeFilesOfUser(app.GetUserName());
  const QByteArray chosen = choice == FolderChoice::kDefault ? QByteArray() : folder.toLocal8Bit();
  if (!app.ChooseSafeFolder(chosen.constData())) return;
  OfferToMoveSafe(app, owner, before, files);
}
