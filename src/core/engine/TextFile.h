#pragma once
// Text files as the program reads and writes them: Windows-1252 bytes, or UTF-8
// (with or without a byte order mark) when a file was written that way; every line
// ended by CR LF.

#include <QByteArray>
#include <QString>

namespace textfile {

// How a file's bytes are read, and written back when it is saved again.
enum class Encoding {
    Windows1252,    // the program's own files, plain ASCII and every other byte string
    Utf8,           // valid UTF-8 that is not plain ASCII
    Utf8WithBom,    // EF BB BF, then valid UTF-8
};

// The encoding of a file's bytes: UTF-8 only when decoding them as UTF-8 and encoding
// the text again gives the same bytes, so that a file saved back is unchanged.
Encoding encodingOf(const QByteArray &bytes);

// The characters of bytes in their encoding (a byte order mark is not one of them),
// as they stand: line ends are not touched.
QString decode(const QByteArray &bytes, Encoding *encoding = nullptr);

// The text box's text for a file's bytes: every line (ended by CR, optionally
// followed by LF; a last line without an end counts too) followed by CR LF. A lone
// LF stays inside its line. *encoding tells how the bytes were read.
QString textFromBytes(const QByteArray &bytes, Encoding *encoding = nullptr);

// The longest run of characters without a blank or line break, in UTF-16 units.
qsizetype longestWord(const QString &text);

// The file's bytes for a text: the text and one CR LF, in encoding (with the byte
// order mark for Utf8WithBom). *lossy tells whether any character could not be
// written (no Windows-1252 byte; a lone UTF-16 surrogate) and became '?'.
QByteArray bytesFromText(const QString &text, Encoding encoding = Encoding::Windows1252,
                         bool *lossy = nullptr);

} // namespace textfile
