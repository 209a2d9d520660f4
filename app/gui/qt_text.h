#pragma once

#include <QByteArray>
#include <QString>
#include <string_view>

// Safe text is bytes. The GUI writes UTF-8, like the rest of a Linux
// desktop; bytes that are not valid UTF-8 (text from a single-byte code
// page) are shown as Latin-1 so that nothing becomes unreadable.
QString TextFromBytes(std::string_view bytes);
QByteArray BytesFromText(const QString& text);

// Overwrites a copy of a secret before it is released.
void WipeText(QString& text);
void WipeBytes(QByteArray& bytes);
