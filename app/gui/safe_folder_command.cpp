#include "app/gui/safe_folder_command.h"

#include <QFileDialog>

#include "app/quillbox.h"
#include "safe/safe_folder.h"

namespace {

constexpr char kSafeFolderDialogTitle[] = "Safe Folder";

}  // namespace

void ChooseSafeFolderWithDialog(Quillbox& app, QWidget* owner) {
  if (app.IsLoggedIn()) return;
  QString start = QString::fromStdString(GetSafeFolder().path);
  QString folder = QFileDialog::getExistingDirectory(owner, QString::fromLatin1(kSafeFolderDialogTitle), start);
  if (folder.isEmpty()) return;
  app.ChooseSafeFolder(folder.toLocal8Bit().constData());
}
