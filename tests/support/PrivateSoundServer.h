#pragma once
// A PulseAudio server of one test's own, for the tests that kill their server on
// purpose: a null sink at the program's format (s16le, 44100 Hz, mono) as the
// default sink, on a socket in a temporary directory. Nothing of the shared test
// server is touched.

#include "support/SoundCapture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace soundtest {

class PrivateSoundServer {
public:
    static constexpr int kStartMs = 10000;   // the server must answer pactl by then

    explicit PrivateSoundServer(const char *sink) : m_sink(QString::fromLatin1(sink)) {}
    ~PrivateSoundServer() { stop(true); }
    PrivateSoundServer(const PrivateSoundServer &) = delete;
    PrivateSoundServer &operator=(const PrivateSoundServer &) = delete;

    // Writes the server's configuration and points this process, and everything it
    // starts, at the server (call it before the first sound device opens).
    bool configure()
    {
        if (!m_dir.isValid())
            return false;
        QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QDir(m_dir.path()).mkpath(QStringLiteral("state"));
        // The same configuration as the shared test server's.
        QFile source(QStringLiteral(TELVOK_SOUND_SERVER_CONFIG));
        QFile config(path(QStringLiteral("default.pa")));
        if (!source.open(QIODevice::ReadOnly) || !config.open(QIODevice::WriteOnly))
            return false;
        QByteArray text = source.readAll();
        text.replace("@SOCKET@", path(QStringLiteral("native")).toLocal8Bit());
        text.replace("@SINK@", m_sink.toLatin1());
        if (config.write(text) != text.size())
            return false;
        config.close();
        qputenv("XDG_RUNTIME_DIR", m_dir.path().toLocal8Bit());
        qputenv("PULSE_RUNTIME_PATH", m_dir.path().toLocal8Bit());
        qputenv("PULSE_STATE_PATH", path(QStringLiteral("state")).toLocal8Bit());
        qputenv("PULSE_COOKIE", path(QStringLiteral("cookie")).toLocal8Bit());
        qputenv("PULSE_SERVER", ("unix:" + path(QStringLiteral("native"))).toLocal8Bit());
        qputenv("TELVOK_SINK", m_sink.toLatin1());
        return true;
    }

    // Starts the server and a reader of its monitor (the null sink stalls when
    // nobody reads it); true once pactl gets an answer and the reader runs.
    bool start(const QElapsedTimer &clock)
    {
        m_server.setProcessChannelMode(QProcess::MergedChannels);
        m_server.setStandardOutputFile(path(QStringLiteral("pulse.log")), QIODevice::Append);
        m_server.start(QStringLiteral("pulseaudio"),
                       {QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
                        QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--disallow-exit"),
                        QStringLiteral("--system=false"), QStringLiteral("--realtime=no"),
                        QStringLiteral("--use-pid-file=no"), QStringLiteral("-F"),
                        path(QStringLiteral("default.pa"))});
        if (!m_server.waitForStarted(kStartMs))
            return false;
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < kStartMs) {
            if (serverProblem().isEmpty()) {
                m_keepReading = std::make_unique<Capture>(clock);
                return m_keepReading->start();
            }
            if (m_server.state() == QProcess::NotRunning)
                return false;
            QTest::qWait(100);
        }
        return false;
    }

    // Kills the server (hard) or asks it to end, and waits for it.
    void stop(bool hard)
    {
        m_keepReading.reset();
        if (m_server.state() == QProcess::NotRunning)
            return;
        if (hard)
            m_server.kill();
        else
            m_server.terminate();
        m_server.waitForFinished(5000);
    }

    // What the server wrote, for a failure message.
    QString log()
    {
        QFile file(path(QStringLiteral("pulse.log")));
        return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
    }

    QString path(const QString &name) const { return m_dir.filePath(name); }

private:
    QString m_sink;
    QTemporaryDir m_dir;
    QProcess m_server;
    std::unique_ptr<Capture> m_keepReading;
};

} // namespace soundtest
