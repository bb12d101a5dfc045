#pragma once
// The character sets of the three exercise windows and the practice texts made from
// them; the course of the third window with its speed targets.

#include "exercises/PracticeText.h"

#include <QChar>
#include <QString>

namespace practice {

// --- First exercise window: 9 blocks of five characters, 8 growing sets -----------
constexpr int kExercise1Count = 17;
constexpr int kExercise1Blocks = 9;         // indexes below this are single blocks
// The set of option index (0..16), exactly as its option reads, blanks included.
QString exercise1Set(int index);
// Blocks: the set three times per line twice, reversed twice, then 4 lines of 3
// groups. Growing sets: 8 lines of 3 groups. An index outside 0..16 gives an
// empty set of the growing kind.
QString exercise1Text(int index, Uniform random);

// --- Second exercise window: the lessons of the teaching order and their sums ----
constexpr int kExercise2Count = 21;
constexpr int kExercise2Small = 12;         // indexes below this introduce each character
QString exercise2Set(int index);
// The text for set (the caption of option index) without the groups option: for a
// small set each character five times in five groups on two lines and an empty line,
// then 4 lines of 5 groups with an empty line after the 2nd and the 4th; for a large
// set 10 lines of 5 groups and an empty line.
QString exercise2Text(QStringView set, int index, Uniform random);

// --- Third exercise window: a course of 30 exercises -------------------------------
constexpr int kCourseCount = 30;
constexpr int kCourseWpm = 12;              // 60 characters per minute
inline constexpr QStringView kCourseLetters = u"JWLDHTPUZØRVIYGÅKABSMXÆFQCNOE";

// For list position p (0..29, exercise p + 1):
QString courseEntry(int p);          // the list entry: "JW", the newest letter, or the set
QString courseSet(int p);            // the first p + 2 letters; the entry for p = 28, 29
QChar courseNewest(int p);           // the letter added by exercise p + 1; null for p = 0, 28, 29
int courseDescribedSpeed(int p);     // text speed the description names: 25 or 30 characters/min
int courseFarnsworth(int p);         // Farnsworth target: 10 up to exercise 13, 8 after
int courseGroups(int p);             // 250 up to exercise 13, 300 after
// The opening, the two introductory groups of the newest letter and an empty line
// (when there is one), the groups five to a line, an empty line and "<AR>".
QString courseText(int p, Uniform random);

} // namespace practice
