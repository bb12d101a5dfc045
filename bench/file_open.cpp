// Opening text files of growing size into the main window: the time until the text
// is shown and the resident memory after it, for short lines and for one line
// without a break (the slowest text to lay out).
// The figures behind the size limit of "Å&bn...". Run on a display or offscreen.

#include "ProcessFigures.h"
#include "engine/sound_device/SimulatedSoundDevice.h"
#include "settings/SettingsStore.h"
#include "main/FileCommands.h"
#include "main/TextBox.h"
#include "main/frmMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>

namespace {

bool writeText(const QString &path, qint64 bytes, int lineLength)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    const QByteArray line = lineLength > 0 ? QByteArray(lineLength - 2, 'E') + "\r\n" : QByteArray(1 << 20, 'E');
    for (qint64 written = 0; written < bytes; written += line.size())
        f.write(line.left(int(std::min<qint64>(line.size(), bytes - written))));
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("store.ini"));
    const QString path = dir.filePath(QStringLiteral("text.txt"));
    // Up to the limit: a larger file is refused with a message box.
    const std::vector<qint64> sizesMiB = {1, 4, 16};
    for (const int lineLength : {60, 0}) {
        for (const qint64 mib : sizesMiB) {
            frmMain window(std::make_unique<SimulatedSoundDevice>(),
                           [ini] { return settings::openStoreAt(ini); });
            window.Form_Load();
            if (!QTest::qWaitForWindowExposed(&window))
                return 1;
            QCoreApplication::processEvents();
            const long before = bench::residentKiB();
            if (!writeText(path, mib << 20, lineLength))
                return 1;
            QElapsedTimer t;
            t.start();
            const bool ok = window.fileCommands().load(path);
            QCoreApplication::processEvents();
            window.Text1()->repaint();
            const double seconds = double(t.nsecsElapsed()) / 1e9;
            t.restart();
            window.Text1()->moveCursor(QTextCursor::End);
            window.Text1()->repaint();
            const double toEnd = double(t.nsecsElapsed()) / 1e9;
            std::printf("%3lld MiB, %s: %s in %.3f s, to the end %.3f s, +%.0f MB resident\n", mib,
                        lineLength ? "60-character lines" : "no line break", ok ? "loaded" : "refused",
                        seconds, toEnd, double(bench::residentKiB() - before) / 1024);
            std::fflush(stdout);
            window.close();
        }
    }
    return 0;
}
