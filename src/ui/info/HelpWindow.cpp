#include "info/HelpWindow.h"

#include "program/ProgramInfo.h"
#include "Twips.h"

#include <QCoreApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QPointer>
#include <QScreen>
#include <QShortcut>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr double kInitialWidth = 10800;    // twips: 720 x 600 pixels at 96 dpi
constexpr double kInitialHeight = 9000;
// Pixels the window manager's frame is reckoned to add before the window has one.
constexpr int kFrameAllowanceWidth = 16;
constexpr int kFrameAllowanceHeight = 48;

// The one help window of the run; null while none is open.
QPointer<HelpWindow> &theHelpWindow()
{
    static QPointer<HelpWindow> window;
    return window;
}

} // namespace

namespace ui {

QUrl helpContentsUrl()
{
    return QUrl(QStringLiteral("qrc:/help/index.html"));
}

bool helpAvailable()
{
    return QFile::exists(QStringLiteral(":/help/index.html"));
}

QRect helpWindowFrame(QSize frame, const QRect &mainFrame, const QRect &available)
{
    const QSize size = frame.boundedTo(available.size());
    const int lowestTop = available.bottom() - size.height() + 1;
    const int rightmostLeft = available.right() - size.width() + 1;
    QRect r(QPoint(0, std::clamp(mainFrame.top(), available.top(), lowestTop)), size);
    if (mainFrame.right() + 1 <= rightmostLeft && mainFrame.right() + 1 >= available.left()) {
        r.moveLeft(mainFrame.right() + 1);
    } else if (mainFrame.left() - size.width() >= available.left()
               && mainFrame.left() - size.width() <= rightmostLeft) {
        r.moveLeft(mainFrame.left() - size.width());
    } else {
        r.moveCenter(mainFrame.center());
        r.moveLeft(std::clamp(r.left(), available.left(), rightmostLeft));
        r.moveTop(std::clamp(r.top(), available.top(), lowestTop));
    }
    return r;
}

bool showHelpContents(const QWidget *near)
{
    if (!helpAvailable())
        return false;
    QPointer<HelpWindow> &window = theHelpWindow();
    if (!window) {
        window = new HelpWindow;
        window->setAttribute(Qt::WA_DeleteOnClose);
        // The help window alone does not keep the program running once the main
        // window has closed; it is deleted while the event loop still exists.
        window->setAttribute(Qt::WA_QuitOnClose, false);
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, window,
                         [] { delete theHelpWindow().data(); });
        if (near && near->screen()) {
            const QSize allowance(kFrameAllowanceWidth, kFrameAllowanceHeight);
            const QRect frame = helpWindowFrame(window->size() + allowance, near->frameGeometry(),
                                                near->screen()->availableGeometry());
            window->resize(frame.size() - allowance);
            window->move(frame.topLeft());
        }
    }
    window->showPage(helpContentsUrl());
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
    return true;
}

void closeHelpWindow()
{
    if (QPointer<HelpWindow> &window = theHelpWindow())
        window->close();
}

} // namespace ui

HelpWindow::HelpWindow(QWidget *parent)
    : QWidget(parent, Qt::Window), m_browser(new QTextBrowser(this)),
      m_back(new QToolButton(this)), m_forward(new QToolButton(this)),
      m_contents(new QToolButton(this))
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(tr("Hjælp til %1").arg(program::title()));
    resize(ui::twipsToPixels(kInitialWidth), ui::twipsToPixels(kInitialHeight));

    m_back->setText(tr("&Tilbage"));
    m_back->setToolTip(tr("Forrige side (Alt+Venstre)"));
    m_back->setArrowType(Qt::LeftArrow);
    m_back->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_forward->setText(tr("&Frem"));
    m_forward->setToolTip(tr("Næste side (Alt+Højre)"));
    m_forward->setArrowType(Qt::RightArrow);
    m_forward->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_contents->setText(tr("&Indhold"));
    m_contents->setToolTip(tr("Hjælpens indholdsfortegnelse"));
    m_back->setEnabled(false);
    m_forward->setEnabled(false);

    m_browser->setObjectName(QStringLiteral("helpBrowser"));
    m_browser->setAccessibleName(tr("Hjælpetekst"));
    m_browser->setAccessibleDescription(tr("Den viste side af hjælpen. Tab går til næste henvisning, "
                                           "Enter følger den."));
    m_browser->setOpenExternalLinks(true);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_back);
    buttons->addWidget(m_forward);
    buttons->addWidget(m_contents);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_browser);

    connect(m_back, &QToolButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_forward, &QToolButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_contents, &QToolButton::clicked, this, [this] { showPage(ui::helpContentsUrl()); });
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QToolButton::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QToolButton::setEnabled);
    connect(m_browser, &QTextBrowser::sourceChanged, this, [this] {
        const QString page = m_browser->documentTitle();
        setWindowTitle(page.isEmpty() ? tr("Hjælp til %1").arg(program::title())
                                      : tr("Hjælp: %1").arg(page));
    });

    auto *back = new QShortcut(QKeySequence::Back, this);
    connect(back, &QShortcut::activated, m_browser, &QTextBrowser::backward);
    auto *forward = new QShortcut(QKeySequence::Forward, this);
    connect(forward, &QShortcut::activated, m_browser, &QTextBrowser::forward);
    auto *close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);

    m_browser->setFocus();
}

void HelpWindow::showPage(const QUrl &url)
{
    if (m_browser->source() == url)
        m_browser->reload();
    else
        m_browser->setSource(url);
}
