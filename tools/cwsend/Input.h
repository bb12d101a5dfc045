#pragma once
// telvok-cw-send's input: the bytes of a file or of standard input, at most
// kMaxInputBytes of them.

#include <QByteArray>
#include <QString>

#include <optional>

namespace cwsend {

// Reads path ("-": standard input) to its end; nativePath is its name as the
// system's bytes (empty: the name is path's text), opened byte for byte. Stops
// reading one byte past the limit, so endless input (/dev/zero) is refused as
// quickly as a large file. On failure *error holds the message and the result is
// empty.
std::optional<QByteArray> readInput(const QString &path, const QByteArray &nativePath, QString *error);

} // namespace cwsend
