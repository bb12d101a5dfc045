#pragma once
// The INI text form of the settings store: how a line is decoded and how a value
// is written so that it reads back exactly.

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace settings::ini {

// Text of a line: UTF-8 when it is valid UTF-8 (*utf8 true), else Windows-1252.
QString decodeLine(const QByteArray &bytes, bool *utf8);
bool isBlank(QChar c);
// text without the blanks and tabs at its ends.
QString trimBlanks(QStringView text);
// A value as written after "=": the quoted, escaped form this store writes comes
// back as the text it was made from; any other value as it stands.
QString valueFromText(const QString &raw);
// The written form of a text, which valueFromText reads back exactly and other
// INI readers read the same.
QByteArray textToValue(const QString &text);

} // namespace settings::ini
