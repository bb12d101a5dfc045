#include "exercises/frmSendetraening.h"

#include "FileProblem.h"
#include "program/ProgramInfo.h"
#include "engine/Cp1252.h"
#include "engine/Morse.h"
#include "engine/constants.h"
#include "exercises/KeyerSettings.h"
#include "exercises/ScoreHtml.h"
#include "SecondaryWindow.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineSeries>
#include <QLocale>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBrowser>
#include <QValueAxis>
#include <QVBoxLayout>

#include <cmath>

using namespace keying;

namespace {

constexpr double kClientWidth = 11400;    // twips
constexpr double kClientHeight = 8400;    // twips
constexpr int kPollMs = 40;
constexpr int kLatencyMs = 500;           // how often the latency shown is refreshed

QString number(double value, int decimals = 1)
{
    static const QLocale danish(QLocale::Danish, QLocale::Denmark);
    return std::isnan(value) ? QStringLiteral("–") : danish.toString(value, 'f', decimals);
}

} // namespace

// --- the key area ---------------------------------------------------------------------

KeyArea::KeyArea(QWidget *parent) : QFrame(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::StyledPanel);
    setMinimumHeight(60);
    setContextMenuPolicy(Qt::PreventContextMenu);
}

int KeyArea::leverOf(const QKeyEvent &event)
{
    const quint32 scan = event.nativeScanCode();
#if defined(Q_OS_WIN)
    // Set 1 scan codes; the right Ctrl is extended.
    if (scan == 0x1D || scan == 0x1A)
        return 0;
    if (scan == 0x11D || scan == 0x1B)
        return 1;
#else
    // X11 key codes (the keyboard's position, whatever the layout), then key symbols.
    const quint32 symbol = event.nativeVirtualKey();
    if (scan == 37 || scan == 34 || symbol == 0xffe3 || symbol == 0x5b)
        return 0;   // Control_L, the "[" key
    if (scan == 105 || scan == 35 || symbol == 0xffe4 || symbol == 0x5d)
        return 1;   // Control_R, the "]" key
#endif
    return -1;
}

void KeyArea::set(int lever, int source, bool down)
{
    const bool before[2] = {left(), right()};
    m_down[lever][source] = down;
    if (left() != before[0] || right() != before[1]) {
        emit leversChanged(left(), right());
        update();
    }
}

void KeyArea::releaseAll()
{
    for (int lever : {0, 1})
        for (int source : {0, 1})
            set(lever, source, false);
}

void KeyArea::keyPressEvent(QKeyEvent *event)
{
    const int lever = leverOf(*event);
    if (lever < 0) {
        QFrame::keyPressEvent(event);
        return;
    }
    if (!event->isAutoRepeat())
        set(lever, 0, true);
    event->accept();
}

void KeyArea::keyReleaseEvent(QKeyEvent *event)
{
    const int lever = leverOf(*event);
    if (lever < 0) {
        QFrame::keyReleaseEvent(event);
        return;
    }
    if (!event->isAutoRepeat())
        set(lever, 0, false);
    event->accept();
}

void KeyArea::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton)
        set(event->button() == Qt::LeftButton ? 0 : 1, 1, true);
}

void KeyArea::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton)
        set(event->button() == Qt::LeftButton ? 0 : 1, 1, false);
}

void KeyArea::focusOutEvent(QFocusEvent *event)
{
    releaseAll();
    QFrame::focusOutEvent(event);
}

void KeyArea::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    QPainter p(this);
    const QRect r = contentsRect().adjusted(8, 8, -8, -8);
    const int w = (r.width() - 8) / 2;
    const QRect levers[2] = {QRect(r.left(), r.top(), w, r.height()),
                             QRect(r.left() + w + 8, r.top(), w, r.height())};
    const bool down[2] = {left(), right()};
    for (int i : {0, 1}) {
        p.fillRect(levers[i], down[i] ? palette().highlight() : palette().button());
        p.setPen(down[i] ? palette().highlightedText().color() : palette().buttonText().color());
        p.drawText(levers[i], Qt::AlignCenter,
                   i == 0 ? tr("Venstre (venstre Ctrl, [)") : tr("Højre (højre Ctrl, ])"));
    }
    if (hasFocus()) {
        p.setPen(QPen(palette().highlight().color(), 2, Qt::DashLine));
        p.drawRect(rect().adjusted(1, 1, -2, -2));
    }
}

// --- the window ------------------------------------------------------------------------

frmSendetraening::frmSendetraening(Morse &morse, QString text, settings::StoreOpener openStore,
                                   QString historyPath, QWidget *owner)
    : QDialog(owner), m_morse(morse), m_text(cp1252::upper(text).trimmed()),
      m_openStore(std::move(openStore)), m_history(std::move(historyPath)),
      m_source(Morse::dotLength(morse.settings().giWPM), morse.settings().giTone,
               int(morse.settings().glVolume)),
      m_decoder(Morse::dotLength(morse.settings().giWPM))
{
    exercises::applyLayoutFont(*this);
    ui::setupSecondaryWindow(*this, owner, {kClientWidth, kClientHeight});
    setWindowTitle(tr("Sendetræning"));
    if (receive::sentTokens(m_text).empty())
        m_text.clear();

    const auto named = [](QWidget *w, const char *name, const QString &accessible) {
        w->setObjectName(QString::fromUtf8(name));
        w->setAccessibleName(accessible);
    };
    auto *lblTekst = new QLabel(tr("Te&kst at sende:"), this);
    lblTekst->setObjectName(QStringLiteral("lblTekst"));
    txtTekst = new QTextBrowser(this);
    named(txtTekst, "txtTekst", tr("Tekst at sende"));
    txtTekst->setMaximumHeight(90);
    lblTekst->setBuddy(txtTekst);

    auto *lblNøgle = new QLabel(tr("&Nøgle (hold tasterne her):"), this);
    lblNøgle->setObjectName(QStringLiteral("lblNøgle"));
    keyNøgle = new KeyArea(this);
    named(keyNøgle, "keyNøgle", tr("Nøgle"));
    keyNøgle->setAccessibleDescription(tr("Venstre Ctrl eller [ er venstre håndtag, højre Ctrl eller ] "
                                          "højre håndtag; musens knapper virker også."));
    lblNøgle->setBuddy(keyNøgle);

    cboTilstand = new QComboBox(this);
    named(cboTilstand, "cboTilstand", tr("Tilstand"));
    cboTilstand->addItems({tr("Håndnøgle"), tr("Iambisk A"), tr("Iambisk B"), tr("Ultimatic"),
                           tr("Enkeltprik")});
    chkByt = new QCheckBox(tr("&Byt håndtag"), this);
    named(chkByt, "chkByt", tr("Byt håndtag"));
    auto *lblTilstand = new QLabel(tr("&Tilstand:"), this);
    lblTilstand->setObjectName(QStringLiteral("lblTilstand"));
    // Room for the caption as written, so no style can cut it.
    lblTilstand->setMinimumWidth(lblTilstand->fontMetrics().boundingRect(lblTilstand->text()).width());
    lblTilstand->setBuddy(cboTilstand);

    auto *lblAfkodetTitel = new QLabel(tr("Afkodet:"), this);
    lblAfkodetTitel->setObjectName(QStringLiteral("lblAfkodetTitel"));
    lblAfkodetTitel->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    lblAfkodet = new QLabel(this);
    named(lblAfkodet, "lblAfkodet", tr("Afkodet tekst"));
    lblAfkodet->setWordWrap(true);
    lblAfkodet->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblAfkodet->setFont(QFont(QStringLiteral("monospace")));
    lblForsinkelse = new QLabel(this);
    named(lblForsinkelse, "lblForsinkelse", tr("Forsinkelse"));

    cmdStart = new QPushButton(tr("&Start"), this);
    named(cmdStart, "cmdStart", tr("Start"));
    cmdStop = new QPushButton(tr("Sto&p"), this);
    named(cmdStop, "cmdStop", tr("Stop"));
    cmdLuk = new QPushButton(tr("&Luk"), this);
    named(cmdLuk, "cmdLuk", tr("Luk"));
    cmdStart->setDefault(true);

    tabVisning = new QTabWidget(this);
    tabVisning->tabBar()->setAccessibleName(tr("Visning"));
    named(tabVisning, "tabVisning", tr("Visning"));
    txtResultat = new QTextBrowser(tabVisning);
    named(txtResultat, "txtResultat", tr("Resultat af forsøget"));
    chtHåndskrift = new QChartView(tabVisning);
    named(chtHåndskrift, "chtHåndskrift", tr("Håndskrift"));
    chtFremgang = new QChartView(tabVisning);
    named(chtFremgang, "chtFremgang", tr("Fremgang"));
    for (QChartView *v : {chtHåndskrift, chtFremgang}) {
        v->setRenderHint(QPainter::Antialiasing);
        v->setFocusPolicy(Qt::StrongFocus);
    }
    tabVisning->addTab(txtResultat, tr("Resul&tat"));
    tabVisning->addTab(chtHåndskrift, tr("&Håndskrift"));
    tabVisning->addTab(chtFremgang, tr("Frem&gang"));
    lblHistorik = new QLabel(this);
    named(lblHistorik, "lblHistorik", tr("Historik"));
    lblHistorik->setWordWrap(true);

    auto *modeRow = new QHBoxLayout;
    modeRow->addWidget(lblTilstand);
    modeRow->addWidget(cboTilstand);
    modeRow->addWidget(chkByt);
    modeRow->addStretch();
    modeRow->addWidget(lblForsinkelse);
    auto *decodedRow = new QHBoxLayout;
    decodedRow->addWidget(lblAfkodetTitel);
    decodedRow->addWidget(lblAfkodet, 1);
    auto *left = new QVBoxLayout;
    left->addWidget(lblTekst);
    left->addWidget(txtTekst);
    left->addWidget(lblNøgle);
    left->addWidget(keyNøgle, 1);
    left->addLayout(modeRow);
    left->addLayout(decodedRow);
    auto *buttons = new QVBoxLayout;
    for (QPushButton *b : {cmdStart, cmdStop, cmdLuk})
        buttons->addWidget(b);
    buttons->addStretch();
    auto *top = new QHBoxLayout;
    top->addLayout(left, 1);
    top->addLayout(buttons);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 2);
    layout->addWidget(tabVisning, 3);
    layout->addWidget(lblHistorik);

    setTabOrder(keyNøgle, cmdStart);
    setTabOrder(cmdStart, cmdStop);
    setTabOrder(cmdStop, cmdLuk);
    setTabOrder(cmdLuk, cboTilstand);
    setTabOrder(cboTilstand, chkByt);
    setTabOrder(chkByt, txtTekst);
    setTabOrder(txtTekst, tabVisning);

    // The stored mode and swap.
    KeyerChoice choice;
    if (std::unique_ptr<settings::Store> store = m_openStore ? m_openStore() : nullptr)
        choice = readKeyerChoice(*store);
    cboTilstand->setCurrentIndex(int(choice.mode));
    chkByt->setChecked(choice.swapped);
    m_source.setMode(choice.mode, choice.swapped);

    connect(keyNøgle, &KeyArea::leversChanged, this, [this](bool l, bool r) {
        catchUpSilentClock();   // without sound, the change comes at its own time
        m_source.setLevers(l, r);
        if (m_stream)
            m_stream->refresh();
    });
    connect(cboTilstand, &QComboBox::currentIndexChanged, this, &frmSendetraening::modeChanged);
    connect(chkByt, &QCheckBox::toggled, this, &frmSendetraening::modeChanged);
    connect(cmdStart, &QPushButton::clicked, this, &frmSendetraening::cmdStart_Click);
    connect(cmdStop, &QPushButton::clicked, this, &frmSendetraening::cmdStop_Click);
    connect(cmdLuk, &QPushButton::clicked, this, &QDialog::reject);
    connect(&m_pollTimer, &QTimer::timeout, this, &frmSendetraening::poll);
    connect(&m_latencyTimer, &QTimer::timeout, this, &frmSendetraening::showLatency);

    txtResultat->setHtml(tr("<p>Tryk <b>Start</b>, og send teksten ovenfor med nøglen. Hold "
                            "venstre Ctrl eller [ for venstre håndtag og højre Ctrl eller ] for "
                            "højre, eller brug musens knapper på nøglefeltet. Forsøget slutter med "
                            "<b>Stop</b>, eller når du ikke har nøglet i 3 sekunder.</p>"));

    const SendHistory::Contents contents = m_history.read();
    m_attempts = contents.attempts;
    lblHistorik->setText(
        FileProblem::historyNote(m_history.path(), contents.readable, contents.skipped, tr("Nye forsøg")));
    lblHistorik->setVisible(!lblHistorik->text().isEmpty());

    startSidetone();
    m_pollTimer.start(kPollMs);
    m_latencyTimer.start(kLatencyMs);
    showTarget();
    showHistory();
    showLatency();
    updateButtons();
    cmdStart->setFocus();
}

frmSendetraening::~frmSendetraening()
{
    if (m_stream)
        m_stream->stop();
}

void frmSendetraening::startSidetone()
{
    SoundDevice *device = m_morse.device();
    m_stream = device ? device->makeSidetoneStream() : nullptr;
    if (m_stream) {
        m_stream->failed = [this] { QTimer::singleShot(0, this, &frmSendetraening::sidetoneFailed); };
        if (m_stream->start(&m_source))
            return;
        m_stream.reset();
    }
    startSilentClock();
}

void frmSendetraening::startSilentClock()
{
    m_silentFrom = m_source.clock();
    m_silentClock.start();
}

// The server went away: the attempt ends, keying goes on without sound.
void frmSendetraening::sidetoneFailed()
{
    m_stream.reset();
    startSilentClock();
    if (m_running)
        endAttempt();
    QMessageBox box(QMessageBox::Critical, program::title(), tr("Lydkort findes ikke."), QMessageBox::Ok, this);
    box.exec();
    showLatency();
}

void frmSendetraening::showLatency()
{
    const int ms = m_stream ? m_stream->latencyMs() : -1;
    lblForsinkelse->setText(!m_stream ? tr("Forsinkelse: ingen lyd")
                            : ms < 0  ? tr("Forsinkelse: –")
                                      : tr("Forsinkelse: %1 ms").arg(ms));
}

void frmSendetraening::modeChanged()
{
    KeyerChoice choice;
    choice.mode = KeyerMode(std::clamp(cboTilstand->currentIndex(), 0, kKeyerModeCount - 1));
    choice.swapped = chkByt->isChecked();
    keyNøgle->releaseAll();
    m_source.setMode(choice.mode, choice.swapped);
    std::unique_ptr<settings::Store> store = m_openStore ? m_openStore() : nullptr;
    if (store && !saveKeyerChoice(*store, choice)) {
        QMessageBox box(QMessageBox::Warning, program::title(),
                        tr("Valget kunne ikke gemmes i %1.\n\nDet gælder, så længe vinduet er åbent.")
                            .arg(store->fileName()),
                        QMessageBox::Ok, this);
        box.exec();
    }
}

void frmSendetraening::updateButtons()
{
    cmdStart->setEnabled(!m_running);
    cmdStop->setEnabled(m_running);
    cboTilstand->setEnabled(!m_running);
    chkByt->setEnabled(!m_running);
}

void frmSendetraening::cmdStart_Click()
{
    if (m_running)
        return;
    m_wpm = m_morse.settings().giWPM;
    m_decoder.reset(Morse::dotLength(m_wpm));
    m_decoder.setExpected(m_text);
    m_downAt = -1;
    m_score.reset();
    m_fist = {};
    m_running = true;
    m_lastActivity = m_source.clock();
    lblAfkodet->clear();
    showTarget();
    txtResultat->setHtml(tr("<p>Send nu. Stop eller Escape afbryder.</p>"));
    tabVisning->setCurrentWidget(txtResultat);
    updateButtons();
    keyNøgle->setFocus(Qt::OtherFocusReason);
}

void frmSendetraening::cmdStop_Click()
{
    if (!m_running || m_stopAt >= 0)
        return;
    keyNøgle->releaseAll();
    // The keyer hands its events over a moment after they are keyed: the last ones
    // are still on their way.
    m_stopAt = m_source.clock();
    poll();
}

void frmSendetraening::reject()
{
    if (m_running) {
        cmdStop_Click();
        return;
    }
    QDialog::reject();
}

// No sound: the keyer is driven by the wall clock, into a block no one hears.
void frmSendetraening::catchUpSilentClock()
{
    if (m_stream || !m_silentClock.isValid())
        return;
    const qint64 due = m_silentFrom + m_silentClock.elapsed() * morse::kSampleRate / 1000 - m_source.clock();
    if (due > 0) {
        m_silentBlock.resize(size_t(due));
        m_source.render(m_silentBlock);
    }
}

void frmSendetraening::poll()
{
    catchUpSilentClock();
    bool changed = false;
    KeyEvent e;
    while (m_source.takeEvent(e)) {
        m_lastActivity = e.sample;
        if (!m_running || (m_stopAt >= 0 && e.sample >= m_stopAt))
            continue;
        if (e.down) {
            m_downAt = e.sample;
            m_downElement = e.element;
        } else if (m_downAt >= 0) {
            m_decoder.addMark(m_downAt, e.sample - m_downAt, m_downElement);
            m_downAt = -1;
            changed = true;
        }
    }
    if (!m_running)
        return;
    const qint64 now = m_source.clock();
    if (m_stopAt >= 0) {
        if (now - KeyerSource::kLongestTakeBack >= m_stopAt)
            endAttempt();
        return;
    }
    const QString before = m_decoder.text();
    if (m_downAt < 0)   // a character ends only in a gap, and only in one that stays
        m_decoder.idle(now - KeyerSource::kLongestTakeBack);
    if (changed || m_decoder.text() != before) {
        lblAfkodet->setText(m_decoder.text());
        showTarget();
    }
    if (m_downAt < 0 && m_decoder.lastMarkEnd() >= 0 && now - m_lastActivity > kIdleEndSamples)
        endAttempt();
}

void frmSendetraening::endAttempt()
{
    if (!m_running)
        return;
    m_running = false;
    keyNøgle->releaseAll();
    // A mark still held counts up to now, or up to Stop.
    const qint64 end = m_stopAt >= 0 ? m_stopAt : m_source.clock();
    m_stopAt = -1;
    if (m_downAt >= 0)
        m_decoder.addMark(m_downAt, end - m_downAt, m_downElement);
    m_decoder.idle(end + kIdleEndSamples);
    lblAfkodet->setText(m_decoder.text());
    m_fist = analyseFist(m_decoder.intervals(), morse::kSampleRate);
    if (!m_text.isEmpty())
        m_score = receive::scoreCopy(m_text, m_decoder.text());
    showTarget();
    showResult();
    showFistChart();
    updateButtons();

    if (m_decoder.intervals().empty())
        return;
    SendAttempt a;
    a.when = QDateTime::currentDateTime();
    a.when.setTime(QTime(a.when.time().hour(), a.when.time().minute(), a.when.time().second()));
    a.wpm = m_wpm;
    a.mode = KeyerMode(cboTilstand->currentIndex());
    if (m_score) {
        a.sent = m_score->sent;
        a.correct = m_score->correct;
        a.wrong = m_score->wrong;
        a.missing = m_score->missing;
        a.extra = m_score->extra;
        a.accuracy = m_score->accuracy();
    }
    a.keyedWpm = m_fist.valid ? m_fist.wpm : 0;
    a.fistScore = m_fist.score;
    m_attempts.push_back(a);
    showHistory();
    if (!m_history.append(a)) {
        QMessageBox box(QMessageBox::Warning, program::title(),
                        tr("Forsøget kunne ikke gemmes i historikken %1.\n\nResultatet står "
                           "stadig i vinduet, og de tidligere forsøg er uændrede.")
                            .arg(m_history.path()),
                        QMessageBox::Ok, this);
        box.exec();
    }
}

// The target with the characters keyed so far in bold green.
void frmSendetraening::showTarget()
{
    if (m_text.isEmpty()) {
        txtTekst->setHtml(tr("<p><i>Hovedvinduet har ingen tekst: fri nøgling. Det, du sender, "
                             "afkodes og måles, men rettes ikke.</i></p>"));
        return;
    }
    qsizetype done = 0;
    if (!m_decoder.text().isEmpty()) {
        // The sent characters up to the last one the keyed text reached.
        const receive::Score s = receive::scoreCopy(m_text, m_decoder.text());
        const std::vector<receive::Located> tokens = receive::sentTokens(m_text);
        size_t sentIndex = 0;
        size_t reached = 0;
        for (const receive::Column &c : s.alignment) {
            if (c.step == receive::Step::Extra)
                continue;
            ++sentIndex;
            if (c.step != receive::Step::Missing)
                reached = sentIndex;
        }
        if (reached > 0 && reached <= tokens.size())
            done = tokens[reached - 1].offset + receive::tokenText(tokens[reached - 1].token).size();
        done = std::min(done, m_text.size());
    }
    txtTekst->setHtml(QStringLiteral("<p style=\"font-family: monospace\"><b style=\"color:#007000\">%1</b>%2</p>")
                          .arg(m_text.left(done).toHtmlEscaped(), m_text.mid(done).toHtmlEscaped()));
}

void frmSendetraening::showResult()
{
    QString html;
    if (m_score && m_score->sent > 0) {
        html += tr("<p><b>Teksten</b> (øverst) og <b>det, du sendte</b> (nederst):</p>");
        html += exercises::alignedScoreHtml(*m_score);
        html += exercises::scoreCountsHtml(*m_score);
    } else {
        html += tr("<p>Afkodet: <tt>%1</tt></p>").arg(m_decoder.text().toHtmlEscaped());
    }
    const FistReport &f = m_fist;
    if (!f.valid) {
        html += tr("<p>Der blev ikke nøglet nogen prikker at måle håndskriften efter.</p>");
        txtResultat->setHtml(html);
        return;
    }
    html += tr("<p><b>Håndskrift: %1 af 100</b></p>").arg(f.score);
    html += QStringLiteral("<table cellspacing=\"0\" cellpadding=\"2\" border=\"1\">"
                           "<tr><th></th><th>%1</th><th>%2</th></tr>")
                .arg(tr("Målt"), tr("Ideelt"));
    const auto row = [&html](const QString &what, const QString &value, const QString &ideal) {
        html += QStringLiteral("<tr><td>%1</td><td align=\"right\">%2</td><td align=\"right\">%3</td></tr>")
                    .arg(what, value, ideal);
    };
    row(tr("Nøglet hastighed (WPM)"), number(f.wpm), QString::number(m_wpm));
    row(tr("Streg/prik"), number(f.dahDit, 2), number(3.0, 1));
    row(tr("Mellemrum i tegn/prik"), number(f.elementGap, 2), number(1.0, 1));
    row(tr("Mellemrum mellem tegn/prik"), number(f.characterGap, 2), number(3.0, 1));
    row(tr("Mellemrum mellem ord/prik"), number(f.wordGap, 2), number(7.0, 1));
    row(tr("Spredning af prikker"), exercises::percentText(f.dotSpread * 100), QStringLiteral("0 %"));
    row(tr("Spredning af streger"), exercises::percentText(f.dashSpread * 100), QStringLiteral("0 %"));
    row(tr("Spredning af mellemrum"), exercises::percentText(f.gapSpread * 100), QStringLiteral("0 %"));
    html += QStringLiteral("</table>");
    txtResultat->setHtml(html.replace(QStringLiteral("nan %"), QStringLiteral("–")));
}

// How long the marks and gaps were, in dots: a peak for dots, dashes and each gap.
void frmSendetraening::showFistChart()
{
    auto *chart = new QChart;
    const std::pair<const std::vector<int> *, QString> kinds[] = {
        {&m_fist.markBins, tr("Tegn (prikker og streger)")}, {&m_fist.gapBins, tr("Mellemrum")}};
    auto *x = new QValueAxis;
    x->setTitleText(tr("Længde (prikker)"));
    x->setRange(0, FistReport::kBinCount * FistReport::kBinWidth);
    x->setTickCount(11);
    x->setLabelFormat(QStringLiteral("%d"));
    auto *y = new QValueAxis;
    y->setTitleText(tr("Antal"));
    y->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    int highest = 1;
    for (const auto &[bins, name] : kinds) {
        auto *series = new QLineSeries;
        series->setName(name);
        for (size_t i = 0; i < bins->size(); ++i) {
            series->append((double(i) + 0.5) * FistReport::kBinWidth, (*bins)[i]);
            highest = std::max(highest, (*bins)[i]);
        }
        chart->addSeries(series);
        series->attachAxis(x);
        series->attachAxis(y);
    }
    y->setRange(0, highest);
    QChart *old = chtHåndskrift->chart();
    chtHåndskrift->setChart(chart);
    delete old;
}

// Accuracy and fist score per attempt, the newest on the right.
void frmSendetraening::showHistory()
{
    auto *chart = new QChart;
    auto *accuracy = new QLineSeries;
    accuracy->setName(tr("Nøjagtighed (%)"));
    auto *fist = new QLineSeries;
    fist->setName(tr("Håndskrift"));
    for (QLineSeries *s : {accuracy, fist})
        s->setPointsVisible(true);
    for (size_t i = 0; i < m_attempts.size(); ++i) {
        if (m_attempts[i].sent > 0)
            accuracy->append(double(i + 1), m_attempts[i].accuracy);
        fist->append(double(i + 1), m_attempts[i].fistScore);
    }
    auto *x = new QValueAxis;
    x->setTitleText(tr("Forsøg"));
    x->setLabelFormat(QStringLiteral("%d"));
    const double count = double(m_attempts.size());
    x->setRange(0.5, std::max(1.0, count) + 0.5);
    x->setTickType(QValueAxis::TicksDynamic);
    x->setTickAnchor(1);
    x->setTickInterval(std::max(1.0, std::ceil(count / 10)));
    auto *y = new QValueAxis;
    y->setRange(0, 100);
    y->setLabelFormat(QStringLiteral("%d"));
    y->setTickCount(6);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QLineSeries *s : {accuracy, fist}) {
        chart->addSeries(s);
        s->attachAxis(x);
        s->attachAxis(y);
    }
    if (m_attempts.empty())
        chart->setTitle(tr("Ingen forsøg endnu"));
    QChart *old = chtFremgang->chart();
    chtFremgang->setChart(chart);
    delete old;
}
