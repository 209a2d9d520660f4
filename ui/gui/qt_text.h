#pragma once

#include <QByteArray>
#include <QString>
#include <string_view>

// Safe text is bytes. The GUI writes UTF-8, like the rest of a Linux
// desktop; bytes that are not valid UTF-8 (an older safe's code page) are
// read by the legacy field rule of core/legacy_text.h.
QString TextFromBytes(std::string_view bytes);
QByteArray BytesFromText(const QString& text);

// Overwrites a copy of a secret before it is released.
void WipeText(QString& text);
void WipeBytes(QByteArray& bytes);
