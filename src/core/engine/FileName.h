#pragma once
// File names that are not UTF-8. Qt holds a name as text and decodes the system's
// bytes as UTF-8: a byte that is not UTF-8 becomes U+FFFD, and the text then
// names another file or none. These tell such names apart.

#include <QByteArrayView>
#include <QString>

namespace filename {

// True when the system's bytes decode to a text that encodes back to them.
bool decodesExactly(QByteArrayView nativeName);

// False when path, a text Qt decoded from the system's names (a file dialog's
// choice), may not address the file the user saw: a folder along it holds an
// entry whose bytes differ from the path's name there but decode to the same text.
// A path without U+FFFD is always exact.
bool isExact(const QString &path);

// A native name for a message: valid UTF-8 as it stands, any other byte as \xNN.
QString shown(QByteArrayView nativeName);

} // namespace filename
