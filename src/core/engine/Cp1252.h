#pragma once
// Windows-1252: decoding and encoding of file bytes, and the single-character
// upper-case mapping the program uses wherever it upper-cases text.

#include <QByteArray>
#include <QChar>
#include <QString>

namespace cp1252 {

// Every byte decodes; the five bytes Windows-1252 leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) decode as the control characters of the same value.
QString decode(const QByteArray &bytes);

// Characters that Windows-1252 cannot hold become '?'; *lossy tells whether any did.
QByteArray encode(const QString &text, bool *lossy = nullptr);

// True when c has a Windows-1252 byte (the five undefined bytes included).
bool canEncode(QChar c);

// The Windows-1252 upper case of one character: a character whose upper case is a
// single Windows-1252 character gets it (æ→Æ, š→Š, ÿ→Ÿ); any other stays (ß, µ).
QChar upper(QChar c);

// Length-preserving upper case, one character at a time.
QString upper(const QString &text);

} // namespace cp1252
