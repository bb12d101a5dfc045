#include "exercises/ExerciseSets.h"

#include <QtGlobal>

#include <algorithm>
#include <array>

namespace practice {
namespace {

constexpr int kFiveToALine = 5;             // groups per line in the 2nd and 3rd windows

// --- First window ------------------------------------------------------------------
constexpr std::array<QStringView, kExercise1Count> kExercise1Sets = {
    u"ABCDE", u"FGHIJ", u"KLMNO", u"PQRST", u"UVWXY", u"ZÆØÅ=", u", . - ? /",
    u"12345", u"67890",
    u"ABCDEFGHIJ",
    u"ABCDEFGHIJKLMNO",
    u"ABCDEFGHIJKLMNOPQRST",
    u"ABCDEFGHIJKLMNOPQRSTUVWXY",
    u"ABCDEFGHIJKLMNOPQRSTUVWXYZÆØÅ=",
    u"ABCDEFGHIJKLMNOPQRSTUVWXYZÆØÅ=,.-?/",
    u"ABCDEFGHIJKLMNOPQRSTUVWXYZÆØÅ=,.-?/12345",
    u"ABCDEFGHIJKLMNOPQRSTUVWXYZÆØÅ=,.-?/1234567890",
};
constexpr int kBlockRepeats = 3;            // the block three times per line
constexpr int kBlockLines = 2;              // lines of the block, and of its reverse
constexpr int kBlockRandomGroups = 12;      // 4 lines after a block
constexpr int kGrowingGroups = 24;          // 8 lines for a growing set
constexpr int kThreeToALine = 3;

// --- Second window -----------------------------------------------------------------
constexpr std::array<QStringView, kExercise2Count> kExercise2Sets = {
    u"VLF", u"MIR", u"SDWA", u"NOCT", u"BEU", u"GHJK", u"PQXY", u"ZÆØÅ",
    u"12345", u"67890", u",./=?-",
    u"VLFMIR",
    u"VLFMIRSDWA",
    u"VLFMIRSDWANOCT",
    u"VLFMIRSDWANOCTBEU",
    u"VLFMIRSDWANOCTBEUGHJK",
    u"VLFMIRSDWANOCTBEUGHJKPQXY",
    u"VLFMIRSDWANOCTBEUGHJKPQXYZÆØÅ",
    u"VLFMIRSDWANOCTBEUGHJKPQXYZÆØÅ12345",
    u"VLFMIRSDWANOCTBEUGHJKPQXYZÆØÅ1234567890",
    u"VLFMIRSDWANOCTBEUGHJKPQXYZÆØÅ1234567890,./=?-",
};
constexpr int kIntroductionLines = 2;       // lines of five groups of each new character
constexpr int kSmallRandomGroups = 10;      // two lines, then an empty line; twice
constexpr int kLargeRandomGroups = 50;      // ten lines

// --- Third window ------------------------------------------------------------------
constexpr int kCourseLetterExercises = 28;  // p = 0..27 draw from the letter order
constexpr int kCourseFirstLetters = 2;      // exercise 1 starts with "JW"
constexpr int kCourseDigits = 28;           // p of the digit exercise
constexpr int kCoursePunctuation = 29;      // p of the punctuation exercise
constexpr int kCourseLastSlow = 12;         // exercises 1..13 (p <= 12) at the slow target
constexpr int kCourseLastDescribedSlow = 11;  // ...but only 1..12 are described as 25
constexpr int kIntroductoryGroups = 2;

bool validCourse(int p)
{
    return p >= 0 && p < kCourseCount;
}

} // namespace

QString exercise1Set(int index)
{
    if (index < 0 || index >= kExercise1Count)
        return QString();
    return kExercise1Sets[size_t(index)].toString();
}

QString exercise1Text(int index, Uniform random)
{
    const QString set = exercise1Set(index);
    PracticeText text(std::move(random));
    text.opening(1);
    if (index >= 0 && index < kExercise1Blocks) {
        QString reversed = set;
        std::reverse(reversed.begin(), reversed.end());
        for (int i = 0; i < kBlockLines; ++i)
            text.repeatLine(set, kBlockRepeats);
        for (int i = 0; i < kBlockLines; ++i)
            text.repeatLine(reversed, kBlockRepeats);
        text.groups(set, kBlockRandomGroups, kThreeToALine);
    } else {
        text.groups(set, kGrowingGroups, kThreeToALine);
    }
    return text.close();
}

QString exercise2Set(int index)
{
    if (index < 0 || index >= kExercise2Count)
        return QString();
    return kExercise2Sets[size_t(index)].toString();
}

QString exercise2Text(QStringView set, int index, Uniform random)
{
    PracticeText text(std::move(random));
    text.opening(2);
    if (index < kExercise2Small) {
        for (QChar c : set) {
            const QString fiveOf(kGroupLength, c);
            for (int i = 0; i < kIntroductionLines; ++i)
                text.repeatLine(fiveOf, kFiveToALine);
            text.lineBreak();
        }
        for (int half = 0; half < 2; ++half) {
            text.groups(set, kSmallRandomGroups, kFiveToALine);
            text.lineBreak();
        }
    } else {
        text.groups(set, kLargeRandomGroups, kFiveToALine);
        text.lineBreak();
    }
    return text.close();
}

QString courseEntry(int p)
{
    if (!validCourse(p))
        return QString();
    if (p == kCourseDigits)
        return QStringLiteral("1234567890");
    if (p == kCoursePunctuation)
        return QStringLiteral(",./=?-");
    if (p == 0)
        return kCourseLetters.left(kCourseFirstLetters).toString();
    return QString(kCourseLetters[p + 1]);
}

QString courseSet(int p)
{
    if (p >= 0 && p < kCourseLetterExercises)
        return kCourseLetters.left(p + kCourseFirstLetters).toString();
    return courseEntry(p);
}

QChar courseNewest(int p)
{
    if (p >= 1 && p < kCourseLetterExercises)
        return kCourseLetters[p + 1];
    return QChar();
}

int courseDescribedSpeed(int p)
{
    return p <= kCourseLastDescribedSlow ? 25 : 30;
}

int courseFarnsworth(int p)
{
    return p <= kCourseLastSlow ? 10 : 8;
}

int courseGroups(int p)
{
    return p <= kCourseLastSlow ? 250 : 300;
}

QString courseText(int p, Uniform random)
{
    const QString set = courseSet(p);
    PracticeText text(std::move(random));
    text.opening(2);
    if (const QChar newest = courseNewest(p); !newest.isNull()) {
        text.repeatLine(QString(kGroupLength, newest), kIntroductoryGroups);
        text.lineBreak();
    }
    text.groups(set, courseGroups(p), kFiveToALine);
    text.lineBreak();
    return text.close();
}

} // namespace practice
