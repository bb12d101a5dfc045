#pragma once
// Text files as the program reads and writes them: Windows-1252 bytes, every line
// ended by CR LF.

#include <QByteArray>
#include <QString>

namespace textfile {

// The text box's text for a file's bytes: every line (ended by CR, optionally
// followed by LF; a last line without an end counts too) followed by CR LF. A lone
// LF stays inside its line.
QString textFromBytes(const QByteArray &bytes);

// The longest run of characters without a blank or line break, in UTF-16 units.
qsizetype longestWord(const QString &text);

// The file's bytes for a text: the text and one CR LF. *lossy tells whether any
// character had no Windows-1252 byte and was written as '?'.
QByteArray bytesFromText(const QString &text, bool *lossy = nullptr);

} // namespace textfile
