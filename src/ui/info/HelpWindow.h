#pragma once
// The help window: the program's Danish manual, compiled into the program as HTML
// pages, shown in a browser with back, forward and contents buttons.

#include <QRect>
#include <QUrl>
#include <QWidget>

class QTextBrowser;
class QToolButton;

namespace ui {

// The first page of the manual, its table of contents.
QUrl helpContentsUrl();

// True when this build carries the help pages.
bool helpAvailable();

// Shows the table of contents in the help window, which has no owner. One window
// serves the whole run: an open one is brought forward and turned to the contents;
// a new one opens beside near (the main window), on near's screen. False, with
// nothing shown, when the build carries no help.
bool showHelpContents(const QWidget *near = nullptr);

// Where a help window of this outer size goes, in pixels: right of the main window's
// frame where it fits on the available area of its screen, else left of it, else
// centred on it; always wholly inside available, shrunk to it when larger.
QRect helpWindowFrame(QSize frame, const QRect &mainFrame, const QRect &available);

// Closes the help window if it is open: the main window's shutdown closes it along
// with itself.
void closeHelpWindow();

} // namespace ui

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget *parent = nullptr);

    void showPage(const QUrl &url);
    QTextBrowser *browser() const { return m_browser; }

private:
    QTextBrowser *m_browser;
    QToolButton *m_back;
    QToolButton *m_forward;
    QToolButton *m_contents;
};
