#pragma once
// Amateur callsigns for copying practice: made up from the international prefix
// rules, Danish forms weighted up, or taken from a list the learner imports.

#include "exercises/PracticeText.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <span>
#include <vector>

namespace calls {

// One prefix a made-up call can start with, and how often it is drawn within its
// group (Danish or the rest of the world).
struct Prefix {
    QStringView text;
    int weight;
};

std::span<const Prefix> danishPrefixes();
std::span<const Prefix> foreignPrefixes();

constexpr double kDanishShare = 0.4;      // share of made-up calls with a Danish prefix
constexpr double kPortableShare = 0.04;   // "/P" after the call
constexpr double kMobileShare = 0.01;     // "/M" after the call
constexpr double kVisitorShare = 0.03;    // another country's prefix and "/" before it
constexpr int kLongestCall = 12;          // characters, slashes included

// A call made up from a prefix, one digit and one to three letters, now and then
// portable, mobile or operated from abroad ("DL/OZ1ABC"). Only A-Z, 0-9 and "/".
QString generateCall(const practice::Uniform &random);

// The parts of a call without its slash additions: "OZ", "1", "ABC" for "OZ1ABC/P".
struct CallParts {
    QString prefix;
    QChar digit;
    QString suffix;
};
// False when the call does not have the form prefix, digit, letters.
bool splitCall(QStringView call, CallParts &parts);

// A call of the usual form: letters, digits and slashes only, no empty part between
// slashes, at most kLongestCall characters, and its main part a prefix of one to
// three characters with a letter, a digit and one to four letters.
bool isValidCall(QStringView call);

// A word list entry the program can send: one or more characters that all have a
// code, and no blank or line break inside.
bool isSendableWord(QStringView word);

// What an imported list held: its entries in order, upper-cased, each once; the
// 1-based numbers of the lines that were not valid; how many repeated an earlier one.
struct ImportResult {
    QStringList entries;
    std::vector<int> badLines;
    int duplicates = 0;
};

// Reads a plain-text list, one entry a line; "#" starts a comment to the end of the
// line, blank lines are skipped. valid judges an upper-cased, trimmed entry.
ImportResult importList(QStringView text, const std::function<bool(QStringView)> &valid);

} // namespace calls
