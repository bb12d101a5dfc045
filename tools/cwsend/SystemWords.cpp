#include "SystemWords.h"

#include "Tool.h"

#include <cerrno>
#include <system_error>

namespace cwsend {
namespace {

struct Words {
    int errnoValue;
    const char *words;
};

const Words kWords[] = {
    {ENOENT, QT_TRANSLATE_NOOP("CwSend", "filen eller mappen findes ikke")},
    {ENOTDIR, QT_TRANSLATE_NOOP("CwSend", "en del af stien er ikke en mappe")},
    {EISDIR, QT_TRANSLATE_NOOP("CwSend", "det er en mappe")},
    {EACCES, QT_TRANSLATE_NOOP("CwSend", "adgang nægtet")},
    {EPERM, QT_TRANSLATE_NOOP("CwSend", "handlingen er ikke tilladt")},
    {EROFS, QT_TRANSLATE_NOOP("CwSend", "filsystemet er skrivebeskyttet")},
    {ENOSPC, QT_TRANSLATE_NOOP("CwSend", "disken er fuld")},
    {EDQUOT, QT_TRANSLATE_NOOP("CwSend", "diskkvoten er opbrugt")},
    {EFBIG, QT_TRANSLATE_NOOP("CwSend", "filen bliver for stor")},
    {ENAMETOOLONG, QT_TRANSLATE_NOOP("CwSend", "navnet er for langt")},
    {ELOOP, QT_TRANSLATE_NOOP("CwSend", "symbolske links peger i ring")},
    {EIO, QT_TRANSLATE_NOOP("CwSend", "læse- eller skrivefejl på enheden")},
    {ENXIO, QT_TRANSLATE_NOOP("CwSend", "enheden findes ikke")},
    {ENODEV, QT_TRANSLATE_NOOP("CwSend", "enheden findes ikke")},
    {EBUSY, QT_TRANSLATE_NOOP("CwSend", "enheden eller filen er optaget")},
    {ETXTBSY, QT_TRANSLATE_NOOP("CwSend", "filen er i brug")},
    {EBADF, QT_TRANSLATE_NOOP("CwSend", "filen er ikke åben")},
    {EPIPE, QT_TRANSLATE_NOOP("CwSend", "modtageren har lukket forbindelsen")},
    {EAGAIN, QT_TRANSLATE_NOOP("CwSend", "der er ingen data endnu")},
    {EINVAL, QT_TRANSLATE_NOOP("CwSend", "filen kan ikke bruges på denne måde")},
    {ENOMEM, QT_TRANSLATE_NOOP("CwSend", "der er ikke hukommelse nok")},
    {EMFILE, QT_TRANSLATE_NOOP("CwSend", "for mange åbne filer")},
    {ENFILE, QT_TRANSLATE_NOOP("CwSend", "for mange åbne filer i systemet")},
    {EINTR, QT_TRANSLATE_NOOP("CwSend", "afbrudt")},
    {ESTALE, QT_TRANSLATE_NOOP("CwSend", "netværksfilen er ikke længere gyldig")},
};

QString englishWords(int errnoValue)
{
    return QString::fromStdString(std::generic_category().message(errnoValue));
}

} // namespace

QString systemWords(int errnoValue)
{
    for (const Words &w : kWords) {
        if (w.errnoValue == errnoValue)
            return CwSend::tr(w.words);
    }
    return CwSend::tr("systemfejl %1 (\"%2\")").arg(errnoValue).arg(englishWords(errnoValue));
}

QString systemWords(const QString &reason)
{
    if (reason.isEmpty())
        return CwSend::tr("ukendt fejl");
    for (const Words &w : kWords) {
        if (englishWords(w.errnoValue) == reason)
            return CwSend::tr(w.words);
    }
    return CwSend::tr("systemet svarer \"%1\"").arg(reason);
}

} // namespace cwsend
