#pragma once
// What the file and settings tests need to make failures that permission bits alone
// cannot make when the tests run as root (as CI does): small tmpfs mounts (a full
// disk, a read-only mount) and a child run as an unprivileged user.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace roottools {

inline bool isRoot()
{
#ifdef Q_OS_UNIX
    return geteuid() == 0;
#else
    return false;
#endif
}

// tmpfs mounts that are unmounted again when the object goes (or at clear()).
class TmpfsMounts {
public:
    TmpfsMounts() = default;
    ~TmpfsMounts() { clear(); }
    TmpfsMounts(const TmpfsMounts &) = delete;
    TmpfsMounts &operator=(const TmpfsMounts &) = delete;

    // Mounts a tmpfs with the given options ("size=64k") at dir, made if missing.
    // False when not root or mount fails.
    bool mount(const QString &dir, const QString &options)
    {
        if (!isRoot())
            return false;
        QDir().mkpath(dir);
        if (QProcess::execute(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"),
                                                        QStringLiteral("-o"), options,
                                                        QStringLiteral("tmpfs"), dir}) != 0)
            return false;
        m_mounts << dir;
        return true;
    }

    // Makes the mount at dir read-only.
    static bool remountReadOnly(const QString &dir)
    {
        return QProcess::execute(QStringLiteral("mount"),
                                 {QStringLiteral("-o"), QStringLiteral("remount,ro"), dir}) == 0;
    }

    void clear()
    {
        for (const QString &m : std::as_const(m_mounts))
            QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-l"), m});
        m_mounts.clear();
    }

private:
    QStringList m_mounts;
};

// Runs this test program again as user and group 65534 (nobody), with only
// testFunction, offscreen, and envName=envValue telling the child what to do.
// The checkout may lie in a folder only its owner can enter (root's home): the
// child runs a copy of the program, with copies of the sanitizers' suppression
// files, from a folder of the temporary directory that everyone can read.
// Empty when the child passed; otherwise its output.
inline QString runAsNobody(const char *envName, const QString &envValue,
                           const QString &testFunction, int timeoutMs)
{
    const QFileDevice::Permissions readable = QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                              | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    const QFileDevice::Permissions runnable = readable | QFileDevice::ExeOwner | QFileDevice::ExeGroup
                                              | QFileDevice::ExeOther;
    QTemporaryDir shared(QDir::temp().filePath(QStringLiteral("nobody-XXXXXX")));
    const QString program = shared.filePath(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    if (!shared.isValid() || !QFile::setPermissions(shared.path(), runnable)
        || !QFile::copy(QCoreApplication::applicationFilePath(), program)
        || !QFile::setPermissions(program, runnable))
        return QStringLiteral("could not copy the test program for the unprivileged child");

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    static const QRegularExpression suppressions(QStringLiteral("suppressions=([^:]+)"));
    for (const char *name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"}) {
        const QString variable = QString::fromLatin1(name);
        QString options = env.value(variable);
        const QRegularExpressionMatch m = suppressions.match(options);
        if (!m.hasMatch())
            continue;
        const QString copy = shared.filePath(variable + QStringLiteral(".supp"));
        if (!QFile::copy(m.captured(1), copy) || !QFile::setPermissions(copy, readable))
            return QStringLiteral("could not copy %1 for the unprivileged child").arg(m.captured(1));
        options.replace(m.capturedStart(1), m.capturedLength(1), copy);
        env.insert(variable, options);
    }

    QProcess child;
    env.insert(QString::fromLatin1(envName), envValue);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), QDir::tempPath());
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.setWorkingDirectory(shared.path());
    child.start(QStringLiteral("setpriv"),
                {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                 QStringLiteral("--clear-groups"), program, testFunction});
    if (!child.waitForFinished(timeoutMs))
        return QStringLiteral("the unprivileged child did not finish in %1 ms").arg(timeoutMs);
    if (child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0)
        return QString();
    const QString output = QString::fromLocal8Bit(child.readAll());
    return output.isEmpty() ? QStringLiteral("the unprivileged child failed") : output;
}

} // namespace roottools
