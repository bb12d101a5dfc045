#include "exercises/frmKoch.h"

#include "FileProblem.h"
#include "exercises/AccuracyChart.h"
#include "program/ProgramInfo.h"
#include "engine/MorseTable.h"
#include "engine/Morse.h"
#include "settings/RealSpeed.h"
#include "Fonts.h"
#include "KeyFilter.h"
#include "SecondaryWindow.h"
#include "main/TextBox.h"

#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <map>

using namespace koch;

namespace {

constexpr double kClientWidth = 11400;    // twips
constexpr double kClientHeight = 8800;    // twips
constexpr int kNewCharacterTimes = 5;     // the new character played alone
constexpr double kNewCharacterPointSize = 28;
constexpr double kFixedPointSize = 10;

const QLocale &danish()
{
    static const QLocale locale(QLocale::Danish, QLocale::Denmark);
    return locale;
}

QString percent(double value)
{
    return danish().toString(value, 'f', 1) + QStringLiteral(" %");
}

// A token's pattern as dots and dashes.
QString dotsAndDashes(const QString &token)
{
    const QStringView key = token.size() == 4 ? QStringView(token).mid(1, 2) : QStringView(token);
    QString out = QString::fromLatin1(morse::lookupPattern(key));
    out.replace(QStringLiteral("123"), QStringLiteral("–"));
    out.replace(u'4', u'·');
    return out;
}

// The groups of a scored run: what was sent and copied of each, and how many of its
// characters were right, taken from the one alignment of the whole run.
struct GroupResult {
    QString sent, copied;
    int characters = 0;
    int right = 0;
};

std::vector<GroupResult> groupResults(const receive::Score &score)
{
    std::vector<GroupResult> groups(1);
    for (const receive::Column &c : score.alignment) {
        if (c.step != receive::Step::Extra && c.sent == receive::kWordGap) {
            if (groups.back().characters > 0)
                groups.emplace_back();
            continue;
        }
        GroupResult &g = groups.back();
        if (c.step != receive::Step::Missing && c.copied != receive::kWordGap)
            g.copied += receive::tokenText(c.copied);
        if (c.step == receive::Step::Extra)
            continue;
        g.sent += receive::tokenText(c.sent);
        ++g.characters;
        g.right += c.step == receive::Step::Correct ? 1 : 0;
    }
    if (groups.back().characters == 0)
        groups.pop_back();
    return groups;
}

} // namespace

frmKoch::frmKoch(Morse &morse, ReceiveTransmitter transmitter, settings::StoreOpener openStore,
                 QString historyPath, QWidget *owner)
    : QDialog(owner), m_morse(morse), m_transmitter(std::move(transmitter)),
      m_openStore(std::move(openStore)), m_history(historyPath),
      m_stats(stats::CharacterStats::pathBeside(historyPath))
{
    exercises::applyLayoutFont(*this);
    ui::setupSecondaryWindow(*this, owner, {kClientWidth, kClientHeight});
    setWindowTitle(tr("Koch-kursus"));

    cboRaekkefoelge = new QComboBox(this);
    cboRaekkefoelge->setObjectName(QStringLiteral("cboRaekkefoelge"));
    cboRaekkefoelge->addItem(tr("Kursusrækkefølge (41 tegn)"), kCourseKey.toString());
    cboRaekkefoelge->addItem(tr("Klassisk rækkefølge (40 tegn)"), kClassicKey.toString());
    cboRaekkefoelge->addItem(tr("Egen rækkefølge"), kOwnKey.toString());
    txtEgen = new QLineEdit(this);
    txtEgen->setObjectName(QStringLiteral("txtEgen"));
    txtEgen->setToolTip(tr("Tegnene i den rækkefølge, de skal læres, fx KMRSUAÆØÅ<AR>"));
    txtLektion = new QSpinBox(this);
    txtLektion->setObjectName(QStringLiteral("txtLektion"));
    txtMinutter = new QSpinBox(this);
    txtMinutter->setObjectName(QStringLiteral("txtMinutter"));
    txtMinutter->setRange(kMinMinutes, kMaxMinutes);
    chkFast5 = new QCheckBox(tr("&Faste grupper på 5 tegn"), this);
    chkFast5->setObjectName(QStringLiteral("chkFast5"));
    lblNyt = new QLabel(this);
    lblNyt->setObjectName(QStringLiteral("lblNyt"));
    lblNyt->setFont(ui::fixedFont(kNewCharacterPointSize, true));
    lblNyt->setAlignment(Qt::AlignCenter);
    lblNyt->setAccessibleName(tr("Nyt tegn"));
    lblTegn = new QLabel(this);
    lblTegn->setObjectName(QStringLiteral("lblTegn"));
    lblTegn->setWordWrap(true);
    lblTegn->setAccessibleName(tr("Tegn i lektionen"));
    lblHastighed = new QLabel(this);
    lblHastighed->setObjectName(QStringLiteral("lblHastighed"));
    lblHastighed->setWordWrap(true);
    lblHastighed->setAccessibleName(tr("Hastighed"));

    auto *copyLabel = new QLabel(tr("&Afskrift (skriv det, du hører):"), this);
    txtAfskrift = new TextBox(this);
    txtAfskrift->setObjectName(QStringLiteral("txtAfskrift"));
    txtAfskrift->setFont(ui::fixedFont(kFixedPointSize));
    ui::installKeyFilter(txtAfskrift, ui::kTextBoxAccepted.toString(), true);
    copyLabel->setBuddy(txtAfskrift);

    const auto button = [this](const QString &caption, const char *name) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QString::fromUtf8(name));
        return b;
    };
    cmdHoer = button(tr("&Hør det nye tegn"), "cmdHoer");
    cmdStart = button(tr("&Start"), "cmdStart");
    cmdStop = button(tr("Sto&p"), "cmdStop");
    cmdRet = button(tr("&Ret"), "cmdRet");
    cmdNaeste = button(tr("&Næste lektion"), "cmdNaeste");
    cmdLuk = button(tr("&Luk"), "cmdLuk");
    cmdStart->setDefault(true);

    tabVisning = new QTabWidget(this);
    tabVisning->setObjectName(QStringLiteral("tabVisning"));
    tabVisning->setAccessibleName(tr("Visning"));
    txtResultat = new QTextBrowser(tabVisning);
    txtResultat->setObjectName(QStringLiteral("txtResultat"));
    txtResultat->setAccessibleName(tr("Resultat af løbet"));
    chtFremgang = new QChartView(tabVisning);
    chtFremgang->setObjectName(QStringLiteral("chtFremgang"));
    chtFremgang->setAccessibleName(tr("Nøjagtighed pr. kørsel, farvet efter lektion"));
    chtFremgang->setRenderHint(QPainter::Antialiasing);
    chtFremgang->setFocusPolicy(Qt::StrongFocus);
    tabVisning->addTab(txtResultat, tr("Resul&tat"));
    tabVisning->addTab(chtFremgang, tr("Frem&gang"));
    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setWordWrap(true);

    auto *form = new QFormLayout;
    form->addRow(tr("R&ækkefølge:"), cboRaekkefoelge);
    form->addRow(tr("&Egen rækkefølge:"), txtEgen);
    form->addRow(tr("Lekt&ion:"), txtLektion);
    form->addRow(tr("&Minutter pr. kørsel:"), txtMinutter);
    form->addRow(QString(), chkFast5);
    auto *choice = new QVBoxLayout;
    choice->addLayout(form);
    choice->addWidget(lblTegn);
    choice->addWidget(lblHastighed);
    auto *newColumn = new QVBoxLayout;
    newColumn->addWidget(lblNyt, 1);
    newColumn->addWidget(cmdHoer);
    auto *top = new QHBoxLayout;
    top->addLayout(choice, 3);
    top->addLayout(newColumn, 1);
    auto *buttons = new QVBoxLayout;
    for (QPushButton *b : {cmdStart, cmdStop, cmdRet, cmdNaeste, cmdLuk})
        buttons->addWidget(b);
    buttons->addStretch();
    auto *copyColumn = new QVBoxLayout;
    copyColumn->addWidget(copyLabel);
    copyColumn->addWidget(txtAfskrift);
    auto *middle = new QHBoxLayout;
    middle->addLayout(copyColumn, 1);
    middle->addLayout(buttons);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(middle, 2);
    layout->addWidget(tabVisning, 3);
    layout->addWidget(lblStatus);

    setTabOrder(cboRaekkefoelge, txtEgen);
    setTabOrder(txtEgen, txtLektion);
    setTabOrder(txtLektion, txtMinutter);
    setTabOrder(txtMinutter, chkFast5);
    setTabOrder(chkFast5, cmdHoer);
    setTabOrder(cmdHoer, txtAfskrift);
    setTabOrder(txtAfskrift, cmdStart);
    setTabOrder(cmdStart, cmdStop);
    setTabOrder(cmdStop, cmdRet);
    setTabOrder(cmdRet, cmdNaeste);
    setTabOrder(cmdNaeste, cmdLuk);
    setTabOrder(cmdLuk, tabVisning);

    // The stored choices, then the signals, so that loading them saves nothing.
    if (m_openStore) {
        if (std::unique_ptr<settings::Store> store = m_openStore())
            m_settings = readKochSettings(*store);
    }
    txtEgen->setText(m_settings.ownOrder);
    txtMinutter->setValue(m_settings.minutes);
    chkFast5->setChecked(m_settings.lengths == GroupLengths::Fixed5);
    cboRaekkefoelge->setCurrentIndex(std::max(0, cboRaekkefoelge->findData(m_settings.order)));

    connect(cboRaekkefoelge, &QComboBox::currentIndexChanged, this, &frmKoch::orderChanged);
    connect(txtEgen, &QLineEdit::editingFinished, this, &frmKoch::ownOrderEdited);
    connect(txtLektion, &QSpinBox::valueChanged, this, &frmKoch::lessonChanged);
    connect(txtMinutter, &QSpinBox::valueChanged, this, [this](int minutes) {
        m_settings.minutes = minutes;
        lessonChanged();
    });
    connect(chkFast5, &QCheckBox::toggled, this, [this](bool fixed) {
        m_settings.lengths = fixed ? GroupLengths::Fixed5 : GroupLengths::Varied;
    });
    connect(cmdHoer, &QPushButton::clicked, this, &frmKoch::cmdHoer_Click);
    connect(cmdStart, &QPushButton::clicked, this, &frmKoch::cmdStart_Click);
    connect(cmdStop, &QPushButton::clicked, this, &frmKoch::cmdStop_Click);
    connect(cmdRet, &QPushButton::clicked, this, &frmKoch::cmdRet_Click);
    connect(cmdNaeste, &QPushButton::clicked, this, &frmKoch::cmdNaeste_Click);
    connect(cmdLuk, &QPushButton::clicked, this, &QDialog::reject);

    txtResultat->setHtml(tr("<p>Vælg rækkefølge og lektion. <b>Hør det nye tegn</b> spiller "
                            "lektionens nye tegn alene nogle gange. <b>Start</b> sender en "
                            "kørsel af grupper; skriv dem i afskriften, mens du hører dem, "
                            "eller bagefter, og tryk så <b>Ret</b>. Ved 90 % eller mere kan du "
                            "gå videre til næste lektion.</p>"));

    const KochHistory::Contents contents = m_history.read();
    m_runs = contents.runs;
    lblStatus->setText(
        FileProblem::historyNote(m_history.path(), contents.readable, contents.skipped, tr("Nye kørsler")));
    lblStatus->setVisible(!lblStatus->text().isEmpty());

    m_loading = false;
    orderChanged();
    updateButtons();
    cmdStart->setFocus();
}

QString frmKoch::orderKey() const
{
    return cboRaekkefoelge->currentData().toString();
}

int frmKoch::lesson() const
{
    return txtLektion->value();
}

void frmKoch::orderChanged()
{
    const QString key = orderKey();
    m_settings.order = key;
    txtEgen->setEnabled(key == kOwnKey);
    if (key == kCourseKey) {
        m_order = courseOrder();
    } else if (key == kClassicKey) {
        m_order = classicOrder();
    } else {
        const ParsedOrder parsed = parseOrder(txtEgen->text());
        m_order = parsed.problem == ParsedOrder::Problem::None ? parsed.characters : QStringList();
    }
    const int lessons = lessonCount(m_order);
    const QSignalBlocker block(txtLektion);
    txtLektion->setEnabled(lessons > 0);
    txtLektion->setRange(1, std::max(1, lessons));
    txtLektion->setValue(std::clamp(m_settings.lesson(key), 1, std::max(1, lessons)));
    lessonChanged();
    showRuns();
    if (key == kOwnKey && m_order.isEmpty())
        ownOrderEdited();
}

void frmKoch::ownOrderEdited()
{
    if (m_loading || orderKey() != kOwnKey)
        return;
    const ParsedOrder parsed = parseOrder(txtEgen->text());
    QString problem;
    switch (parsed.problem) {
    case ParsedOrder::Problem::None:
        break;
    case ParsedOrder::Problem::Unsendable:
        problem = tr("Tegnet %1 kan programmet ikke sende.").arg(parsed.culprit);
        break;
    case ParsedOrder::Problem::Repeated:
        problem = tr("Tegnet %1 står der mere end én gang.").arg(parsed.culprit);
        break;
    case ParsedOrder::Problem::TooShort:
        problem = tr("Skriv mindst to tegn i den rækkefølge, de skal læres.");
        break;
    }
    if (problem.isEmpty()) {
        m_settings.ownOrder = txtEgen->text().trimmed();
        if (m_order != parsed.characters)
            orderChanged();
        return;
    }
    m_order.clear();
    lblTegn->setText(tr("Egen rækkefølge: %1").arg(problem));
    lblNyt->clear();
    updateButtons();
}

void frmKoch::lessonChanged()
{
    if (m_order.isEmpty()) {
        lblTegn->clear();
        lblNyt->clear();
        lblHastighed->clear();
        updateButtons();
        return;
    }
    m_settings.lessons.insert(orderKey(), lesson());
    const QStringList characters = lessonCharacters(m_order, lesson());
    const QString newest = characters.back();
    lblNyt->setText(newest + u'\n' + dotsAndDashes(newest));
    lblNyt->setAccessibleName(tr("Nyt tegn: %1").arg(newest));
    lblTegn->setText(tr("Lektion %1 af %2. Tegn: %3")
                         .arg(lesson())
                         .arg(lessonCount(m_order))
                         .arg(characters.join(u' ')));
    const Settings &s = m_morse.settings();
    const auto real = settings::realSpeed(QString::number(s.giWPM), QString::number(s.giFarnsworth));
    lblHastighed->setText(tr("Tegnhastighed %1 WPM (kurset bruger normalt 20), Farnsworth %2: "
                             "reel hastighed %3 tegn pr. minut (%4 ord pr. minut). Ændres under "
                             "Indstillinger, Indstil CW.")
                              .arg(s.giWPM)
                              .arg(s.giFarnsworth)
                              .arg(real ? QString::number(real->cpm) : QStringLiteral("?"))
                              .arg(real ? QString::number(real->wpm) : QStringLiteral("?")));
    updateButtons();
}

void frmKoch::updateButtons()
{
    const bool sending = m_playing != Playing::Nothing;
    const bool ready = !m_order.isEmpty();
    for (QWidget *w : std::initializer_list<QWidget *>{cboRaekkefoelge, txtMinutter, chkFast5})
        w->setEnabled(!sending);
    txtEgen->setEnabled(!sending && orderKey() == kOwnKey);
    txtLektion->setEnabled(!sending && ready);
    cmdHoer->setEnabled(!sending && ready);
    cmdStart->setEnabled(!sending && ready);
    cmdStop->setEnabled(sending);
    cmdRet->setEnabled(!sending && m_awaitingCopy);
    // Enter scores a run that has been sent, and otherwise starts one.
    (m_awaitingCopy ? cmdRet : cmdStart)->setDefault(true);
    cmdNaeste->setEnabled(!sending && ready && m_score && m_runLesson == lesson()
                          && passed(m_score->accuracy()) && lesson() < lessonCount(m_order));
}

void frmKoch::send(Playing what, const QString &text)
{
    m_sentText = text;
    m_playing = what;
    if (!m_transmitter.start()) {
        m_playing = Playing::Nothing;
        updateButtons();
        return;
    }
    updateButtons();
}

void frmKoch::cmdHoer_Click()
{
    if (m_playing != Playing::Nothing || m_order.isEmpty())
        return;
    const QString newest = lessonCharacters(m_order, lesson()).back();
    QStringList times;
    for (int i = 0; i < kNewCharacterTimes; ++i)
        times << newest;
    send(Playing::NewCharacter, times.join(QStringLiteral("  ")));
}

void frmKoch::cmdStart_Click()
{
    if (m_playing != Playing::Nothing || m_order.isEmpty())
        return;
    m_wpm = m_morse.settings().giWPM;
    m_farnsworth = m_morse.settings().giFarnsworth;
    const auto real = settings::realSpeed(QString::number(m_wpm), QString::number(m_farnsworth));
    const int cpm = real ? real->cpm : m_wpm * 5;
    const QHash<QString, double> weak = stats::errorRates(stats::summarize(m_stats.read().events));
    m_runLesson = lesson();
    m_score.reset();
    m_awaitingCopy = false;
    txtAfskrift->setText(QString());
    send(Playing::Run, koch::lessonText(m_order, m_runLesson, m_settings.lengths,
                                  runCharacters(m_settings.minutes, cpm, m_settings.lengths), weak,
                                  newRandom()));
    if (m_playing != Playing::Run)
        return;
    txtResultat->setHtml(tr("<p>Sender lektion %1... Skriv det, du hører. Stop eller Escape "
                            "afbryder; en afbrudt kørsel tæller ikke.</p>").arg(m_runLesson));
    tabVisning->setCurrentWidget(txtResultat);
    txtAfskrift->setFocus();
}

void frmKoch::sendingProgressed(qsizetype) {}

void frmKoch::sendingEnded(bool playedOut)
{
    const Playing was = m_playing;
    m_playing = Playing::Nothing;
    if (was == Playing::Run) {
        if (playedOut) {
            m_awaitingCopy = true;
            txtResultat->setHtml(tr("<p>Kørslen er sendt. Skriv afskriften færdig, og tryk "
                                    "<b>Ret</b>.</p>"));
        } else {
            txtResultat->setHtml(tr("<p>Kørslen blev stoppet og tæller ikke. Tryk <b>Start</b> "
                                    "for en ny.</p>"));
        }
    }
    updateButtons();
    if (!focusWidget() || !focusWidget()->isEnabled())
        (was == Playing::Run ? static_cast<QWidget *>(txtAfskrift) : cmdStart)->setFocus();
}

void frmKoch::cmdRet_Click()
{
    if (m_playing != Playing::Nothing || !m_awaitingCopy)
        return;
    m_awaitingCopy = false;
    scoreRun();
    updateButtons();
    if (cmdNaeste->isEnabled())
        cmdNaeste->setFocus();
    else
        cmdStart->setFocus();
}

void frmKoch::cmdStop_Click()
{
    if (m_playing != Playing::Nothing)
        m_transmitter.stop();
}

void frmKoch::reject()
{
    if (m_playing != Playing::Nothing) {
        cmdStop_Click();
        return;
    }
    // A run sent and copied but not yet scored is recorded, not lost.
    if (m_awaitingCopy && !txtAfskrift->Text().trimmed().isEmpty()) {
        m_awaitingCopy = false;
        scoreRun();
    }
    saveSettings();
    QDialog::reject();
}

void frmKoch::scoreRun()
{
    m_score = receive::scoreCopy(m_sentText, txtAfskrift->Text());
    const receive::Score &s = *m_score;

    QString html;
    const double accuracy = s.accuracy();
    if (passed(accuracy) && m_runLesson < lessonCount(m_order))
        html += tr("<p><b>Flot! %1 rigtigt.</b> Du kan gå videre til lektion %2 med "
                   "<b>Næste lektion</b>, eller øve denne igen.</p>")
                    .arg(percent(accuracy))
                    .arg(m_runLesson + 1);
    else if (passed(accuracy))
        html += tr("<p><b>Flot! %1 rigtigt.</b> Det var sidste lektion i rækkefølgen.</p>")
                    .arg(percent(accuracy));
    else
        html += tr("<p><b>%1 rigtigt.</b> Der skal %2 til for at gå videre; prøv lektionen "
                   "igen.</p>")
                    .arg(percent(accuracy), percent(kPassPercent));
    html += tr("<p>Sendt: %1 tegn. Rigtige: %2. Forkerte: %3. Manglende: %4. Ekstra: %5.</p>")
                .arg(s.sent)
                .arg(s.correct)
                .arg(s.wrong)
                .arg(s.missing)
                .arg(s.extra);
    html += QStringLiteral("<table cellspacing=\"0\" cellpadding=\"2\" border=\"1\"><tr><th>%1</th>"
                           "<th>%2</th><th>%3</th><th>%4</th></tr>")
                .arg(tr("Gruppe"), tr("Sendt"), tr("Afskrift"), tr("Rigtige"));
    int number = 0;
    for (const GroupResult &g : groupResults(s)) {
        const bool allRight = g.right == g.characters;
        html += QStringLiteral("<tr><td align=\"right\">%1</td><td><tt>%2</tt></td>"
                               "<td><tt>%3</tt></td><td align=\"right\"%5>%4</td></tr>")
                    .arg(++number)
                    .arg(g.sent.toHtmlEscaped(), g.copied.toHtmlEscaped(),
                         tr("%1 af %2").arg(g.right).arg(g.characters),
                         allRight ? QString() : QStringLiteral(" style=\"color:#d00000\""));
    }
    html += QStringLiteral("</table>");
    txtResultat->setHtml(html);
    tabVisning->setCurrentWidget(txtResultat);
    if (s.sent == 0)
        return;

    Run run;
    run.order = orderKey();
    run.lesson = m_runLesson;
    receive::Attempt &a = run.attempt;
    a.when = QDateTime::currentDateTime();
    a.when.setTime(QTime(a.when.time().hour(), a.when.time().minute(), a.when.time().second()));
    a.wpm = m_wpm;
    a.farnsworth = m_farnsworth;
    const auto real = settings::realSpeed(QString::number(m_wpm), QString::number(m_farnsworth));
    a.cpm = real ? real->cpm : 0;
    a.sent = s.sent;
    a.correct = s.correct;
    a.wrong = s.wrong;
    a.missing = s.missing;
    a.extra = s.extra;
    a.accuracy = accuracy;
    a.characters = receive::characterSet(m_sentText);
    m_runs.push_back(run);
    showRuns();
    const bool saved = m_history.append(run);
    const bool statsSaved = m_stats.append(stats::eventsFromScore(s, a.when));
    if (!saved)
        warn(tr("Kørslen kunne ikke gemmes i historikken %1.\n\nResultatet står stadig i "
                "vinduet, og de tidligere kørsler er uændrede.").arg(m_history.path()));
    else if (!statsSaved)
        warn(tr("Tegnene kunne ikke gemmes i statistikken %1.\n\nResultatet står stadig i "
                "vinduet.").arg(m_stats.path()));
}

void frmKoch::showRuns()
{
    // Accuracy per run of this order, one colour per lesson.
    std::map<int, ui::AccuracySeries> byLesson;
    int number = 0;
    for (const Run &r : m_runs) {
        if (r.order != orderKey())
            continue;
        ui::AccuracySeries &series = byLesson[r.lesson];
        series.name = tr("Lektion %1").arg(r.lesson);
        series.points.emplace_back(double(++number), r.attempt.accuracy);
    }
    std::vector<ui::AccuracySeries> series;
    for (auto &[lesson, s] : byLesson)
        series.push_back(std::move(s));
    ui::showAccuracyChart(chtFremgang, series, double(number), tr("Kørsel"), tr("Nøjagtighed (%)"),
                          tr("Ingen kørsler endnu"));
}

void frmKoch::cmdNaeste_Click()
{
    if (!cmdNaeste->isEnabled())
        return;
    txtLektion->setValue(lesson() + 1);
    m_score.reset();
    m_awaitingCopy = false;
    saveSettings();
    txtResultat->setHtml(tr("<p>Lektion %1: det nye tegn er %2. Tryk <b>Hør det nye tegn</b>, "
                            "og så <b>Start</b>.</p>")
                             .arg(lesson())
                             .arg(lessonCharacters(m_order, lesson()).back().toHtmlEscaped()));
    updateButtons();
    cmdHoer->setFocus();
}

void frmKoch::saveSettings()
{
    if (!m_openStore)
        return;
    std::unique_ptr<settings::Store> store = m_openStore();
    if (!store || !saveKochSettings(*store, m_settings))
        warn(tr("Koch-kursets indstillinger (rækkefølge og lektion) kunne ikke gemmes."));
}

void frmKoch::warn(const QString &text)
{
    QMessageBox box(QMessageBox::Warning, program::title(), text, QMessageBox::Ok, this);
    box.exec();
}
