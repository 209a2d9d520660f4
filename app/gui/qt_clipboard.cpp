#include "app/gui/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "ui/gui/qt_text.h"

bool QtClipboard::PutSecret(const char* text) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) return false;
  auto* data = new QMimeData;
  QString shown = TextFromBytes(text);
  data->setText(shown);
  WipeText(shown);
  data->setData(QString::fromLatin1(kHintType), QByteArrayLiteral("secret"));
  clipboard->setMimeData(data, QClipboard::Clipboard);
  return true;
}

bool QtClipboard::Holds(const char* text) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) return false;
  QString current = clipboard->text(QClipboard::Clipboard);
  QString ours = TextFromBytes(text);
  const bool same = current == ours;
  WipeText(current);
  WipeText(ours);
  return same;
}

void QtClipboard::Clear() {
  if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->clear(QClipboard::Clipboard);
}
