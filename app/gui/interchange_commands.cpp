#include "app/gui/interchange_commands.h"

#include <QFileDialog>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include "app/gui/main_window.h"
#include "app/quillbox.h"
#include "interchange/interchange_format.h"
#include "interchange/safe_transfer.h"

namespace {

constexpr char kAnyFormatFilter[] = "Any supported file (*.csv *.xml *.json)";

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
    if (!writable_only || format.write != nullptr) filters << FilterOf(format);
  }
  return filters;
}

}  // namespace

void RunImportCommand(MainWindow& window) {
  if (!window.App().IsLoggedIn()) return;
  QString chosen;
  QString path = QFileDialog::getOpenFileName(&window, QStringLiteral("Import"), QString(),
                                              (QStringList(kAnyFormatFilter) + Filters(false)).join(";;"), &chosen);
  if (path.isEmpty()) return;
  ImportIntoOpenSafe(window.App(), window, window.Owner(), path.toStdString(), FormatOfFilter(chosen, ""));
}

void RunExportCommand(MainWindow& window) {
  if (!window.App().IsLoggedIn()) return;
  QFileDialog dialog(&window, QStringLiteral("Export"));
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
  ExportOpenSafe(window.App(), window, window.Owner(), path.toStdString(), format, confirmed);
}
