#pragma once
// What the file and settings tests need to make failures that permission bits alone
// cannot make when the tests run as root (as CI does): small tmpfs mounts (a full
// disk, a read-only mount) and a child run as an unprivileged user.

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QString>
#include <QStringList>

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
// Empty when the child passed; otherwise its output.
inline QString runAsNobody(const char *envName, const QString &envValue,
                           const QString &testFunction, int timeoutMs)
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(envName), envValue);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), QDir::tempPath());
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QStringLiteral("setpriv"),
                {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                 QStringLiteral("--clear-groups"), QCoreApplication::applicationFilePath(),
                 testFunction});
    if (!child.waitForFinished(timeoutMs))
        return QStringLiteral("the unprivileged child did not finish in %1 ms").arg(timeoutMs);
    if (child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0)
        return QString();
    const QString output = QString::fromLocal8Bit(child.readAll());
    return output.isEmpty() ? QStringLiteral("the unprivileged child failed") : output;
}

} // namespace roottools
