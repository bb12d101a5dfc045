#pragma once
// Drives real windows on the test display with xdotool, as a person would with the
// keyboard: find a window by its title, type into it, press keys; start, save from
// and quit the program; take screenshots.


#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTest>

namespace xdriver {

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
        QTest::qWait(100);
    }
    return {};
}

// Presses each key (xdotool names: "alt+t", "Return") in the focused window.
inline void keys(const QString &window, const QStringList &keyNames)
{
    xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
    for (const QString &k : keyNames) {
        xdotool({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), k});
        QTest::qWait(120);
    }
}

inline void type(const QString &window, const QString &text)
{
    xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
    xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), text});
    QTest::qWait(200);
}

// Ends a program a failed test left running.
inline void killProgram(QProcess &program)
{
    if (program.state() == QProcess::NotRunning)
        return;
    program.kill();
    program.waitForFinished();
}

// Opens "Gem som" with openKeys in window, types path and confirms. Empty once the
// file is there; otherwise what went wrong.
inline QString saveAs(const QString &window, const QStringList &openKeys, const QString &path)
{
    keys(window, openKeys);
    const QString dialog = findWindow(QStringLiteral("Gem som"), 5000);
    if (dialog.isEmpty())
        return QStringLiteral("the save dialog did not open");
    type(dialog, path);
    keys(dialog, {QStringLiteral("Return")});
    if (!QTest::qWaitFor([&] { return QFile::exists(path); }, 5000))
        return QStringLiteral("nothing was saved as %1").arg(path);
    QTest::qWait(200);     // the write after the name is there
    return {};
}

// Quits through "Filer > Afslut"; true when the program then ended with status 0.
inline bool quitThroughMenu(QProcess &program, const QString &main)
{
    keys(main, {QStringLiteral("alt+f"), QStringLiteral("a")});
    return QTest::qWaitFor([&] { return program.state() == QProcess::NotRunning; }, 15000)
           && program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0;
}

// Numbered screenshots of the whole display, as dir/<prefix>NN-<name>.png.
class Screenshots {
public:
    Screenshots(const QString &dir, const QString &prefix) : m_dir(dir), m_prefix(prefix)
    {
        QDir().mkpath(dir);
    }

    void take(const QString &name)
    {
        QTest::qWait(300);     // the last key's repaint
        run(QStringLiteral("import"),
            {QStringLiteral("-window"), QStringLiteral("root"),
             QStringLiteral("%1/%2%3-%4.png").arg(m_dir, m_prefix).arg(++m_count, 2, 10, QLatin1Char('0')).arg(name)});
    }

private:
    QString m_dir;
    QString m_prefix;
    int m_count = 0;
};

} // namespace xdriver
