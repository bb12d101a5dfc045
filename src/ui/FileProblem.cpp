#include "FileProblem.h"

#include <QDir>

QString FileProblem::reason(const FileResult &result)
{
    using K = FileResult::Kind;
    switch (result.kind) {
    case K::Done:
    case K::Cancelled:
        return QString();
    case K::TooLong:
        return tr("Lyden er for lang til en WAV-fil (over 4 GB).");
    case K::Unsupported:
        return tr("Lydformatet kan ikke skrives.");
    case K::NotRendered:
        return tr("Teksten kunne ikke gøres til lyd.");
    case K::File:
        break;
    }
    using E = FileError;
    switch (result.file) {
    case E::FolderMissing: return tr("Mappen findes ikke.");
    case E::NotFound: return tr("Filen findes ikke.");
    case E::IsFolder: return tr("Det er en mappe.");
    case E::SpecialFile: return tr("Det er hverken en almindelig fil, en enhed eller en FIFO.");
    case E::NotRegular: return tr("Det er ikke en almindelig fil.");
    case E::NoReader: return tr("Intet program læser fra denne FIFO.");
    case E::AccessDenied: return tr("Adgang nægtet.");
    case E::ReadOnly: return tr("Filsystemet er skrivebeskyttet.");
    case E::NameTooLong: return tr("Navnet er for langt.");
    case E::SymlinkLoop: return tr("Symbolske links peger i ring.");
    case E::NoSpace: return tr("Disken er fuld.");
    case E::TooLarge: return tr("Filen er for stor.");
    case E::None:
    case E::Failed:
        break;
    }
    return result.systemReason.isEmpty() ? tr("Ukendt fejl.")
                                         : tr("Systemet svarer: %1").arg(result.systemReason);
}

QString FileProblem::message(const QString &headline, const QString &path, const FileResult &result)
{
    return headline + QLatin1String("\n\n") + QDir::toNativeSeparators(path) + u'\n' + reason(result);
}

QString FileProblem::withReason(const QString &headline, const FileResult &result)
{
    const QString why = result.ok() ? QString() : reason(result);
    return why.isEmpty() ? headline : headline + QLatin1String("\n\n") + why;
}

QString FileProblem::historyNote(const QString &path, bool readable, int skipped, const QString &whatIsNew)
{
    if (!readable)
        return tr("Historikken kunne ikke læses fra %1. %2 vises her, men kan måske ikke gemmes.")
            .arg(path, whatIsNew);
    if (skipped == 1)
        return tr("En beskadiget linje i historikken blev sprunget over.");
    if (skipped > 1)
        return tr("%1 beskadigede linjer i historikken blev sprunget over.").arg(skipped);
    return {};
}
