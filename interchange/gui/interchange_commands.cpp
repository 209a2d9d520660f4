#include "interchange/gui/interchange_commands.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

#include "app/quillbox.h"
#include "app/quillbox_view.h"
#include "app/safe_transfer.h"
#include "interchange/interchange_format.h"
#include "safe/safe_folder.h"

namespace {

QString FilterOf(const InterchangeFormat& format) {
  return QStringLiteral("%1 (*.%2)").arg(QString::fromUtf8(format.title), QString::fromUtf8(format.extension));
}

// The format whose filter was chosen; fallback for any other.
std::string FormatOfFilter(const QString& filter, const char* fallback) {
  for (const InterchangeFormat& format : InterchangeFormats()) {
    if (FilterOf(format) == filter) return format.name;
  }
  return fallback;
}

QStringList Filters(bool writable_only) {
  QStringList filters;
  for (const InterchangeFormat& format : InterchangeFormats()) {
    if (!writable_only || format.write != nullptr || format.write_protected != nullptr) filters << FilterOf(format);
  }
  return filters;
}

// Every extension the formats read, each once.
QString AnyFormatFilter() {
  QStringList patterns;
  for (const InterchangeFormat& format : InterchangeFormats()) {
    QString pattern = QStringLiteral("*.") + QString::fromUtf8(format.extension);
    if (!patterns.contains(pattern)) patterns << pattern;
  }
  return QStringLiteral("Any supported file (%1)").arg(patterns.join(' '));
}

}  // namespace

QString InterchangeStartFolder() {
  const QString safes = QDir(QString::fromStdString(GetSafeFolder().path)).canonicalPath();
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (!documents.isEmpty() && QDir(documents).exists() && QDir(documents).canonicalPath() != safes) return documents;
  return QDir::homePath();
}

void RunImportCommand(Quillbox& app, QuillboxView& view, QWidget* window) {
  if (!app.IsLoggedIn()) return;
  QString chosen;
  QString path = QFileDialog::getOpenFileName(window, QStringLiteral("Import"), InterchangeStartFolder(),
                                              (QStringList(AnyFormatFilter()) + Filters(false)).join(";;"), &chosen);
  if (path.isEmpty()) return;
  const size_t before = app.GetEntries().size();
  if (!ImportIntoOpenSafe(app, view, window, path.toStdString(), FormatOfFilter(chosen, ""))) {
    return;
  }
  const size_t added = app.GetEntries().size() - before;
  view.ShowStatus(QStringLiteral("Imported %1 %2 from %3.")
                      .arg(added)
                      .arg(added == 1 ? "entry" : "entries")
                      .arg(QFileInfo(path).fileName())
                      .toLocal8Bit()
                      .constData());
}

void RunExportCommand(Quillbox& app, QuillboxView& view, QWidget* window) {
  if (!app.IsLoggedIn()) return;
  QFileDialog dialog(window, QStringLiteral("Export"), InterchangeStartFolder());
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilters(Filters(true));
  // The dialog adds the chosen format's extension to a bare name, and asks
  // before it lets the user pick an existing file.
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
    std::string format = FormatOfFilter(filter, "quillbox-csv");
    dialog.setDefaultSuffix(QString::fromUtf8(FindInterchangeFormat(format)->extension));
  });
  dialog.setDefaultSuffix(QStringLiteral("csv"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  std::string format = FormatOfFilter(dialog.selectedNameFilter(), "quillbox-csv");
  QString path = dialog.selectedFiles().first();
  // A format chosen without the dialog noticing keeps its own extension; the
  // dialog did not ask about that name, so it is not replaced.
  QString extension = QString::fromUtf8(FindInterchangeFormat(format)->extension);
  bool confirmed = QFileInfo(path).suffix() == extension;
  if (!confirmed) path = QFileInfo(path).dir().filePath(QFileInfo(path).completeBaseName() + '.' + extension);
  if (!ExportOpenSafe(app, view, window, path.toStdString(), format, confirmed)) return;
  view.ShowStatus(QStringLiteral("Exported the safe to %1.").arg(QFileInfo(path).fileName()).toLocal8Bit().constData());
}
