#pragma once
// The Danish words every window gives for a file that could not be written or read.

#include "engine/FileResult.h"

#include <QCoreApplication>
#include <QString>

class FileProblem {
    Q_DECLARE_TR_FUNCTIONS(FileProblem)
public:
    // One sentence on why: "Disken er fuld.", "Filsystemet er skrivebeskyttet." ...;
    // for an error without words of its own, the system's. Empty for Done and Cancelled.
    static QString reason(const FileResult &result);
    // A failure message: the headline ("Filen kunne ikke gemmes."), a blank line,
    // the path as the system writes it, and the reason.
    static QString message(const QString &headline, const QString &path, const FileResult &result);
    // The headline alone, or with a blank line and the reason when there is one.
    static QString withReason(const QString &headline, const FileResult &result);
    // What a window says above its history when the file could not be read (whatIsNew:
    // "Nye forsøg", "Nye kørsler" ... are shown, maybe not saved) or damaged lines of it
    // were skipped; empty when all of it was read.
    static QString historyNote(const QString &path, bool readable, int skipped, const QString &whatIsNew);
};
