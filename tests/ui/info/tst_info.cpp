// The character list, the About box and the help window.

#include "support/SymbolStream.h"
#include "support/TestFiles.h"

#include "program/ProgramInfo.h"
#include "engine/Morse.h"
#include "engine/MorseTable.h"
#include "info/HelpWindow.h"
#include "info/frmAbout.h"
#include "info/frmCWTegn.h"

#include <QApplication>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>

namespace {

QStringList rowsOf(frmCWTegn &window)
{
    auto *list = window.findChild<QListWidget *>(QStringLiteral("List1"));
    QStringList rows;
    for (int i = 0; list && i < list->count(); ++i)
        rows << list->item(i)->text();
    return rows;
}

} // namespace

class InfoTest : public QObject {
    Q_OBJECT
private slots:
    void characterRows_data();
    void characterRows();
    void characterListCoversItsTokens();
    void closeKeys_data();
    void closeKeys();
    void aboutTexts();
    void helpWindowIsReused();
    void helpWindowOnScreen_data();
    void helpWindowOnScreen();
    void helpLinksResolve();

private:
    QWidget m_owner;
};

void InfoTest::characterRows_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("text");
    QTest::newRow("first: A") << 0 << "A: .-";
    QTest::newRow("Å after Æ and Ø") << 28 << "Å: .--.-";
    QTest::newRow("digits start at 1") << 29 << "1: .----";
    QTest::newRow("0 after 9") << 38 << "0: -----";
    QTest::newRow("double quote") << 50 << "\": .-..-.";
    QTest::newRow("apostrophe") << 52 << "': .----.";
    QTest::newRow("Ñ") << 55 << "Ñ: --.--";
    QTest::newRow("first prosign") << 57 << "<CH>: ----";
    QTest::newRow("HH is eight dots") << 63 << "<HH>: ........";
    QTest::newRow("last: SN") << 65 << "<SN>: ...-.";
}

void InfoTest::characterRows()
{
    QFETCH(int, row);
    QFETCH(QString, text);
    frmCWTegn window(&m_owner);
    const QStringList rows = rowsOf(window);
    QCOMPARE(rows.size(), 66);
    QCOMPARE(rows.at(row), text);
}

void InfoTest::characterListCoversItsTokens()
{
    // Every row is the token, ": ", and in dots and dashes what the symbol source
    // sends for the token in a text.
    Settings settings;
    Morse engine(settings, nullptr);
    frmCWTegn window(&m_owner);
    const QStringList rows = rowsOf(window);
    QCOMPARE(frmCWTegn::characterList().size(), 93);
    const QRegularExpression shape(QStringLiteral("^(.|<[A-Z]{2}>): ([.-]+)$"));
    QString rebuilt;
    for (const QString &row : rows) {
        const QRegularExpressionMatch m = shape.match(row);
        QVERIFY2(m.hasMatch(), qPrintable(row));
        const QString token = m.captured(1);
        QCOMPARE(m.captured(2), ui::dotDashText(symbolStream(engine, token)));
        rebuilt += token;
    }
    QCOMPARE(rebuilt, frmCWTegn::characterList());
    // "+" is in the table but not in the list.
    QVERIFY(!morse::lookupPattern(u"+").empty());
    QVERIFY(!rebuilt.contains(QLatin1Char('+')));
}

void InfoTest::closeKeys_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("key");
    QTest::newRow("character list, Enter") << "cwtegn" << "enter";
    QTest::newRow("character list, Escape") << "cwtegn" << "escape";
    QTest::newRow("character list, click") << "cwtegn" << "click";
    QTest::newRow("About box, Enter") << "about" << "enter";
    QTest::newRow("About box, Escape") << "about" << "escape";
    QTest::newRow("About box, click") << "about" << "click";
}

void InfoTest::closeKeys()
{
    QFETCH(QString, window);
    QFETCH(QString, key);
    std::unique_ptr<QDialog> dialog;
    QString button;
    if (window == "cwtegn") {
        dialog = std::make_unique<frmCWTegn>(&m_owner);
        button = QStringLiteral("cmdLuk");
    } else {
        dialog = std::make_unique<frmAbout>(&m_owner);
        button = QStringLiteral("cmdOK");
    }
    dialog->show();

    auto *close = dialog->findChild<QPushButton *>(button);
    QVERIFY(close);

    if (key == "enter")
        QTest::keyClick(close, Qt::Key_Return);
    else if (key == "escape")
        QTest::keyClick(close, Qt::Key_Escape);
    else
        QTest::mouseClick(close, Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
}

void InfoTest::aboutTexts()
{
    frmAbout about(&m_owner);
    QCOMPARE(about.windowTitle(), QStringLiteral("Om Telvok's Morsetræningsprogram"));
    auto *version = about.findChild<QLabel *>(QStringLiteral("lblVersion"));
    QVERIFY(version);
    // The project version from CMake, without leading zeros.
    QCOMPARE(version->text(), QStringLiteral("Version " EXPECTED_VERSION));

    for (const char *name : {"Label1", "lblDescription", "lblVersion"}) {
        auto *label = about.findChild<QLabel *>(QLatin1String(name));
        QVERIFY2(label && !label->text().isEmpty(), name);
    }
    int focusable = 0;
    for (QWidget *w : about.findChildren<QWidget *>())
        focusable += (w->focusPolicy() & Qt::TabFocus) ? 1 : 0;
    QCOMPARE(focusable, 1);
}

void InfoTest::helpWindowIsReused()
{
    QVERIFY(ui::helpAvailable());
    const auto helpWindows = [] {
        int n = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            n += (qobject_cast<HelpWindow *>(w) && w->isVisible()) ? 1 : 0;
        return n;
    };
    QVERIFY(ui::showHelpContents());
    QCOMPARE(helpWindows(), 1);
    HelpWindow *first = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *h = qobject_cast<HelpWindow *>(w))
            first = h;
    QVERIFY(first);
    QCOMPARE(first->parentWidget(), nullptr);
    QCOMPARE(first->browser()->source(), ui::helpContentsUrl());
    QVERIFY(first->browser()->toPlainText().contains(QStringLiteral("Indhold")));

    // Away from the contents, then asked again: the same window turns back.
    first->browser()->setSource(QUrl(QStringLiteral("qrc:/help/filer.html")));
    QVERIFY(ui::showHelpContents());
    QCOMPARE(helpWindows(), 1);
    QCOMPARE(first->browser()->source(), ui::helpContentsUrl());

    QPointer<HelpWindow> guard(first);
    ui::closeHelpWindow();
    QTRY_VERIFY(guard.isNull());
    QVERIFY(ui::showHelpContents());   // a fresh window after closing
    QCOMPARE(helpWindows(), 1);
    ui::closeHelpWindow();
}

void InfoTest::helpWindowOnScreen_data()
{
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QRect>("mainFrame");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QRect>("expected");
    const QRect screen(0, 0, 1920, 1040);
    QTest::newRow("room on the right") << screen << QRect(100, 100, 600, 500) << QSize(736, 648)
                                       << QRect(700, 100, 736, 648);
    QTest::newRow("main window at the right edge: left of it")
        << screen << QRect(1300, 100, 600, 500) << QSize(736, 648) << QRect(564, 100, 736, 648);
    QTest::newRow("no room either side: centred, kept on screen")
        << QRect(0, 0, 1024, 740) << QRect(100, 300, 800, 600) << QSize(736, 648)
        << QRect(132, 92, 736, 648);
    QTest::newRow("low main window: pulled up onto the screen")
        << screen << QRect(100, 900, 600, 500) << QSize(736, 648) << QRect(700, 392, 736, 648);
    QTest::newRow("screen smaller than the window: shrunk to it")
        << QRect(0, 0, 640, 480) << QRect(0, 0, 300, 200) << QSize(736, 648) << QRect(0, 0, 640, 480);
    QTest::newRow("second screen to the right")
        << QRect(1920, 0, 1280, 1000) << QRect(1950, 50, 400, 500) << QSize(736, 648)
        << QRect(2350, 50, 736, 648);
}

void InfoTest::helpWindowOnScreen()
{
    QFETCH(QRect, available);
    QFETCH(QRect, mainFrame);
    QFETCH(QSize, size);
    QFETCH(QRect, expected);
    const QRect r = ui::helpWindowFrame(size, mainFrame, available);
    QCOMPARE(r, expected);
    QVERIFY(available.contains(r));
}

void InfoTest::helpLinksResolve()
{
    // Every page has a title and is linked from the contents; every local link
    // points at a page that exists.
    const QRegularExpression href(QStringLiteral("href=\"([^\"#]+)"));
    QStringList pages;
    QDirIterator it(QStringLiteral(":/help"));
    while (it.hasNext())
        pages << it.next().section(QLatin1Char('/'), -1);
    QVERIFY(pages.size() >= 6);
    const QString contents = QString::fromUtf8(testfiles::readAll(QStringLiteral(":/help/index.html")));

    for (const QString &page : pages) {
        const QString html = QString::fromUtf8(testfiles::readAll(QStringLiteral(":/help/") + page));
        QVERIFY2(html.contains(QRegularExpression(QStringLiteral("<title>[^<]+</title>"))),
                 qPrintable(page));
        if (page != QLatin1String("index.html"))
            QVERIFY2(contents.contains(QStringLiteral("href=\"%1\"").arg(page)), qPrintable(page));
        for (const QRegularExpressionMatch &m : href.globalMatch(html)) {
            const QString target = m.captured(1);
            if (target.contains(QLatin1Char(':')))
                continue;   // an external address
            QVERIFY2(pages.contains(target), qPrintable(page + " -> " + target));
        }
    }
}

QTEST_MAIN(InfoTest)
#include "tst_info.moc"
