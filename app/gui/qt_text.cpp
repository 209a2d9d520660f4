#include "app/gui/qt_text.h"

#include <QStringDecoder>
#include <string.h>

QString TextFromBytes(std::string_view bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
  if (!utf8.hasError()) {
    return text;
  }
  WipeText(text);
  return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QByteArray BytesFromText(const QString& text) { return text.toUtf8(); }

// A shared copy is only released: wiping it would detach and wipe a new copy.
void WipeText(QString& text) {
  if (!text.isEmpty() && text.isDetached()) {
    explicit_bzero(text.data(), static_cast<size_t>(text.size()) * sizeof(QChar));
  }
  text.clear();
}

void WipeBytes(QByteArray& bytes) {
  if (!bytes.isEmpty() && bytes.isDetached()) {
    explicit_bzero(bytes.data(), static_cast<size_t>(bytes.size()));
  }
  bytes.clear();
}
