#pragma once
// Test helpers: reading a practice text back line by line, and random sources
// whose draws the test chooses.

#include "exercises/PracticeText.h"

#include <QStringList>

#include <memory>
#include <vector>

// The lines of a text split at CR LF; the last entry is what follows the last CR LF.
inline QStringList linesOf(const QString &text)
{
    return text.split(QStringLiteral("\r\n"));
}

// True when every line break of text is a CR LF pair.
inline bool onlyCrLf(const QString &text)
{
    return text.count(QLatin1Char('\n')) == text.count(QStringLiteral("\r\n"))
        && text.count(QLatin1Char('\r')) == text.count(QStringLiteral("\r\n"));
}

// True when line is exactly `groups` groups of five characters of set, each group
// followed by one blank (set may itself hold blanks).
inline bool isGroupLine(const QString &line, int groups, QStringView set)
{
    if (line.size() != groups * 6)
        return false;
    for (int g = 0; g < groups; ++g) {
        for (int i = 0; i < 5; ++i) {
            if (!set.contains(line[g * 6 + i]))
                return false;
        }
        if (line[g * 6 + 5] != QLatin1Char(' '))
            return false;
    }
    return true;
}

// A source giving values in turn, from the start again after the last.
inline practice::Uniform cycling(std::vector<double> values)
{
    auto state = std::make_shared<std::pair<std::vector<double>, size_t>>(std::move(values), 0);
    return [state] {
        const double r = state->first[state->second];
        state->second = (state->second + 1) % state->first.size();
        return r;
    };
}
