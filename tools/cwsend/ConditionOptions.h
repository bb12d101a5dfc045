#pragma once
// telvok-cw-send's options for band conditions and soft keying.

#include "engine/BandConditions.h"

#include <QCommandLineOption>
#include <QList>
#include <QString>

#include <optional>

class QCommandLineParser;

namespace cwsend {

struct ConditionOptions {
    band::Conditions conditions;    // active when any condition was given
    std::optional<int> rampMs;      // --ramp: raised-cosine key edges in ms
};

// The options, for the parser to know.
QList<QCommandLineOption> conditionOptions();

// Reads the options from a parser that has parsed the command line. False: a value
// is unusable; *error says which, in Danish.
bool readConditionOptions(const QCommandLineParser &parser, ConditionOptions *out, QString *error);

// Their part of the help text.
QString conditionHelp();

} // namespace cwsend
