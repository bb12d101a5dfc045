#pragma once
// telvok-cw-send's command line: the options, their Danish help and messages.

#include "ConditionOptions.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace cwsend {

struct Options {
    std::optional<int> wpm;
    std::optional<int> farnsworth;
    std::optional<int> tone;
    std::optional<int> volume;
    std::optional<QString> output;      // "-": standard output
    QString input;                      // "-": standard input
    // The input's name as the system spells it (empty where names are text), so
    // that a name that is not UTF-8 is opened byte for byte.
    QByteArray nativeInput;
    bool help = false;
    bool version = false;
    ConditionOptions band;
};

// Parses the whole command line, program name first; nativeArguments are the same
// arguments as the system's bytes (empty where the system passes text). On failure
// *error holds the message (without the hint to --help) and the result is empty.
std::optional<Options> parseArguments(const QStringList &arguments,
                                      const QList<QByteArray> &nativeArguments, QString *error);

QString helpText();
QString seeHelp();

} // namespace cwsend
