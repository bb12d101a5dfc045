#pragma once
// The code table: each sendable character and nine prosigns with its element pattern.
//
// Four character sets in the program, on purpose not the same:
// - This table: what can be sent: A-Z, ÆØÅ, 0-9, . / , ? : = - ( ) + " _ ' ; $ É Ü Ñ !,
//   the space and the prosigns <SK> <AR> <KN> <KA> <BT> <CH> <HH> <AS> <SN>.
//   Anything else (lower case, "#", line breaks) sends as silence.
// - The key filter of the exercise windows' character box (exercises::kCharactersAccepted):
//   what a user may type into a set: A-Z, ÆØÅ, digits, the space and / ? , . - : ( ) =.
//   It leaves out "#", "<" and ">" (no pattern of their own: a group holding them would
//   be silent or swallow its neighbours into a prosign) and the rarer signs, which the
//   sets never use.
// - The character list (frmCWTegn::characterList): what the "Anvendte morsetegn" window
//   shows: every table entry but the space and "+" (which sounds as <AR>, listed).
// - The exercise sets (practice::exercise1Set, exercise2Set, kCourseLetters): the
//   letters, ÆØÅ, digits and = , . - ? / of the teaching order; only these are drilled.
// A character added to the table reaches the list by being added there too; the
// filter and the sets follow the exercises, not the table.

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

} // namespace morse
