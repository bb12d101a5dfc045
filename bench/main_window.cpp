// Main window figures: time from QApplication to a shown, usable window; resident
// memory of the idle window; loading and showing a 16 MiB text file; one typed key
// and one selection step in a 200 000-character text. Run on a display (Xvfb).

#include "ProcessFigures.h"
#include "engine/sound_device/SimulatedSoundDevice.h"
#include "settings/SettingsStore.h"
#include "main/FileCommands.h"
#include "main/TextBox.h"
#include "main/frmMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

int main(int argc, char *argv[])
{
    QElapsedTimer total;
    total.start();
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("store.ini"));
    frmMain window(std::make_unique<SimulatedSoundDevice>(), [ini] { return settings::openStoreAt(ini); });
    window.Form_Load();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    std::printf("start-up to visible window: %.3f s\n", double(total.nsecsElapsed()) / 1e9);
    QTest::qWait(300);
    std::printf("idle window RSS: %.1f MB\n", double(bench::residentKiB()) / 1024);

    // 16 MiB of 60-character lines.
    const QString big = dir.filePath(QStringLiteral("big.txt"));
    {
        QFile f(big);
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        const QByteArray line = QByteArray(58, 'E') + "\r\n";
        for (int i = 0; i < 16 * 1024 * 1024 / line.size(); ++i)
            f.write(line);
    }
    QElapsedTimer t;
    t.start();
    window.fileCommands().load(big);
    QCoreApplication::processEvents();
    window.Text1()->repaint();
    std::printf("load and show 16 MiB file: %.3f s (RSS %.0f MB)\n", double(t.nsecsElapsed()) / 1e9,
                double(bench::residentKiB()) / 1024);

    window.Text1()->setText(QString(200000 / 60, u'x').replace(u'x', QStringLiteral("EEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEE\r\n")));
    window.Text1()->setFocus();
    window.Text1()->setSelStart(100000);
    t.restart();
    constexpr int kKeys = 200;
    for (int i = 0; i < kKeys; ++i) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QApplication::sendEvent(window.Text1(), &press);
        window.Text1()->repaint();
    }
    std::printf("typed key in 200 000 characters: %.3f ms\n", double(t.nsecsElapsed()) / 1e6 / kKeys);
    t.restart();
    for (int i = 0; i < kKeys; ++i) {
        window.Text1()->select(0, 1000 * i);
        window.Text1()->ensureCursorVisible();
        window.Text1()->repaint();
    }
    std::printf("selection step in 200 000 characters: %.3f ms\n", double(t.nsecsElapsed()) / 1e6 / kKeys);
    return 0;
}
