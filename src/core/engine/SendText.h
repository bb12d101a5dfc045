#pragma once
// The text the engine sends for a text the user typed or opened.

#include <QString>

namespace morse {

// The typed text in upper case (Windows-1252 rules, length kept, so positions
// in it are positions in the typed text) with one blank appended, so that the
// last character is followed by a word space before the sound ends.
QString sendText(const QString &typed);

} // namespace morse
