#pragma once
// telvok-cw-send's command line: the options, their Danish help and messages.

#include "ConditionOptions.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace cwsend {

struct Options {
    std::optional<int> wpm;
    std::optional<int> farnsworth;
    std::optional<int> tone;
    std::optional<int> volume;
    std::optional<QString> output;
    QString input;              // "-": standard input
    bool help = false;
    bool version = false;
    ConditionOptions band;
};

// Parses the whole command line, program name first. On failure *error holds
// the message (without the hint to --help) and the result is empty.
std::optional<Options> parseArguments(const QStringList &arguments, QString *error);

QString helpText();
QString seeHelp();

} // namespace cwsend
