#include "ui/gui/qt_text.h"

#include <QStringDecoder>
#include <string.h>

#include <string>

#include "core/legacy_text.h"

QString TextFromBytes(std::string_view bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
  if (!utf8.hasError()) {
    return text;
  }
  WipeText(text);
  std::string converted;
  converted.reserve(3 * bytes.size());  // never regrown, so no copy is left behind
  AppendFieldAsUtf8(bytes, &converted);
  text = QString::fromUtf8(converted.data(), static_cast<qsizetype>(converted.size()));
  explicit_bzero(converted.data(), converted.size());
  return text;
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
