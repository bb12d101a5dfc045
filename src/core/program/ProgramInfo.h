#pragma once
// The program's identity: title (caption and settings-store name) and version.

#include "program/Version.h"

#include <QString>

namespace program {

// The caption of the main window and the application name of the settings store.
inline QString title()
{
    return QStringLiteral("Telvok's Morsetræningsprogram");
}

// "1.1.8": major, minor and revision in decimal without leading zeros.
inline QString versionText()
{
    return QStringLiteral("%1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision);
}

} // namespace program
