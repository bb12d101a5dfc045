#include "Tool.h"

#include "SystemWords.h"

#include <cstdlib>

namespace cwsend {

const QString kToolName = QStringLiteral("telvok-cw-send");

volatile std::sig_atomic_t g_signal = 0;
volatile std::sig_atomic_t g_exitAtOnce = 1;

namespace {

void onSignal(int signalNumber)
{
    // A second signal while the first is being handled ends the process at once.
    if (g_exitAtOnce || g_signal)
        std::_Exit(kExitSignalBase + signalNumber);
    g_signal = signalNumber;
    std::signal(signalNumber, onSignal);   // some platforms reset the handler
}

} // namespace

void installSignalHandlers()
{
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
}

bool printTo(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit();
    const bool written = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream)
                         == size_t(bytes.size());
    return std::fflush(stream) == 0 && written && !std::ferror(stream);
}

QString fileProblem(const FileResult &result)
{
    using K = FileResult::Kind;
    switch (result.kind) {
    case K::Done:
    case K::Cancelled:
        return QString();
    case K::TooLong:
        return CwSend::tr("lyden er for lang til en WAV-fil (over 4 GB)");
    case K::Unsupported:
        return CwSend::tr("lydformatet understøttes ikke");
    case K::NotRendered:
        return CwSend::tr("afsendelsen sluttede ikke");
    case K::File:
        break;
    }
    using E = FileError;
    switch (result.file) {
    case E::FolderMissing: return CwSend::tr("mappen findes ikke");
    case E::NotFound: return CwSend::tr("filen findes ikke");
    case E::IsFolder: return CwSend::tr("det er en mappe");
    case E::SpecialFile: return CwSend::tr("det er hverken en almindelig fil, en enhed eller en FIFO");
    case E::NotRegular: return CwSend::tr("det er ikke en almindelig fil");
    case E::NoReader: return CwSend::tr("intet program læser fra FIFO'en");
    case E::AccessDenied: return CwSend::tr("adgang nægtet");
    case E::ReadOnly: return CwSend::tr("filsystemet er skrivebeskyttet");
    case E::NameTooLong: return CwSend::tr("navnet er for langt");
    case E::SymlinkLoop: return CwSend::tr("symbolske links peger i ring");
    case E::NoSpace: return CwSend::tr("disken er fuld");
    case E::TooLarge: return CwSend::tr("filen er for stor");
    case E::None:
    case E::Failed:
        break;
    }
    return systemWords(result.systemReason);
}

QString fileProblem(FileError error, const QString &systemReason)
{
    return fileProblem(FileResult::fileFailure(error, systemReason));
}

QString writeProblem(const FileResult &result, const QString &path)
{
    // Too much sound is no fault of the file.
    if (result.kind == FileResult::Kind::TooLong || result.kind == FileResult::Kind::NotRendered)
        return fileProblem(result) + u'.';
    return CwSend::tr("kan ikke skrive \"%1\": %2.").arg(path, fileProblem(result));
}

int fail(const QString &message)
{
    printTo(stderr, kToolName + QStringLiteral(": ") + message + u'\n');
    return kExitFailure;
}

} // namespace cwsend
