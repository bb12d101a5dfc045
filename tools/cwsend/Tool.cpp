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

QString fileProblem(FileTarget::Error error, const QString &systemReason)
{
    using E = FileTarget::Error;
    switch (error) {
    case E::FolderMissing: return CwSend::tr("mappen findes ikke");
    case E::IsFolder: return CwSend::tr("det er en mappe");
    case E::SpecialFile: return CwSend::tr("det er hverken en almindelig fil, en enhed eller en FIFO");
    case E::AccessDenied: return CwSend::tr("adgang nægtet");
    case E::ReadOnly: return CwSend::tr("filsystemet er skrivebeskyttet");
    case E::NameTooLong: return CwSend::tr("navnet er for langt");
    case E::SymlinkLoop: return CwSend::tr("symbolske links peger i ring");
    case E::NoSpace: return CwSend::tr("disken er fuld");
    case E::None:
    case E::Failed:
        break;
    }
    return systemWords(systemReason);
}

int fail(const QString &message)
{
    printTo(stderr, kToolName + QStringLiteral(": ") + message + u'\n');
    return kExitFailure;
}

} // namespace cwsend
