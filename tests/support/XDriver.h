#pragma once
// Drives real windows on the test display with xdotool, as a person would with the
// keyboard: find a window by its title, type into it, press keys.

#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QStringList>
#include <QTimer>

namespace xdriver {

// Runs the event loop for ms milliseconds.
inline void pause(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs a helper program to its end; its standard output.
inline QString run(const QString &program, const QStringList &args, int timeoutMs = 15000)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

// Starts the program on the test display (xcb), its settings under configHome and
// its messages on this process's error output. False when it did not start.
inline bool startOnDisplay(QProcess &program, const QString &executable, const QString &configHome)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(executable, {});
    return program.waitForStarted();
}

inline QString xdotool(const QStringList &args)
{
    return run(QStringLiteral("xdotool"), args);
}

// xdotool's names are POSIX extended regular expressions.
inline QString posixEscaped(const QString &text)
{
    QString out;
    for (QChar c : text) {
        if (QStringLiteral(".^$*+?()[]{}|\\").contains(c))
            out += QLatin1Char('\\');
        out += c;
    }
    return out;
}

// The ids of the visible windows titled exactly title.
inline QStringList windows(const QString &title)
{
    const QString ids = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                 QStringLiteral("--name"),
                                 QLatin1Char('^') + posixEscaped(title) + QLatin1Char('$')});
    return ids.isEmpty() ? QStringList() : ids.split(QLatin1Char('\n'));
}

// The newest visible window with this exact title, waiting up to timeoutMs; or empty.
inline QString findWindow(const QString &title, int timeoutMs = 15000)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        const QStringList ids = windows(title);
        if (!ids.isEmpty())
            return ids.last();
        pause(100);
    }
    return {};
}

// Presses each key (xdotool names: "alt+t", "Return") in the focused window.
inline void keys(const QString &window, const QStringList &keyNames)
{
    xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
    for (const QString &k : keyNames) {
        xdotool({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), k});
        pause(120);
    }
}

inline void type(const QString &window, const QString &text)
{
    xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
    xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), text});
    pause(200);
}

} // namespace xdriver
