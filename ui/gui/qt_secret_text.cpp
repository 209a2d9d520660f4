#include "ui/gui/qt_secret_text.h"

#include <QByteArray>
#include <QStringList>

#include "ui/gui/qt_text.h"

SecretText SecretFromText(const QString& text) {
  QByteArray bytes = BytesFromText(text);
  SecretText secret(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
  WipeBytes(bytes);
  return secret;
}

SecretText KeptOrEditedBytes(const QString& text, const SecretText& loaded) {
  QString shown = TextFromBytes(loaded.view());
  const bool kept = text == shown;
  WipeText(shown);
  return kept ? loaded : SecretFromText(text);
}

QString TagsText(const std::vector<SecretText>& tags) {
  QStringList shown;
  for (const SecretText& tag : tags) shown.append(TextFromBytes(tag.view()));
  return shown.join(QStringLiteral(", "));
}
