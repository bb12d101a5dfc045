#pragma once
// The code table: each sendable character and nine prosigns with its element pattern.

#include <QString>
#include <QStringView>

#include <string_view>

namespace morse {

// The pattern of a token of one character, or of a prosign's two letters ("AR" for
// "<AR>"); empty when the table has no entry. Keys compare exactly (case-sensitive).
// Patterns are static strings over "4" (dot), "123" (dash) and " " (gap).
std::string_view lookupPattern(QStringView token);

// The reverse: the character a pattern stands for ("<AR>" for a prosign); a single
// character wins over a prosign of the same pattern. Empty when no entry has it.
QString lookupCharacter(std::string_view pattern);

// Number of entries in the table (the space, 58 characters, 9 prosigns).
int tableSize();

} // namespace morse
