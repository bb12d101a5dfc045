#include "exercises/frmModtag.h"

#include "exercises/AccuracyChart.h"
#include "exercises/CharacterStats.h"
#include "exercises/ConditionsBox.h"
#include "main/AudioExport.h"
#include "settings/ConditionSettings.h"

#include <QComboBox>
#include <QRandomGenerator>
#include <QSpinBox>

#include "program/ProgramInfo.h"
#include "engine/Cp1252.h"
#include "engine/Morse.h"
#include "settings/frmCW.h"
#include "Accessibility.h"
#include "FileProblem.h"
#include "Fonts.h"
#include "KeyFilter.h"
#include "SecondaryWindow.h"
#include "main/TextBox.h"
#include "exercises/ScoreHtml.h"

#include <QChartView>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

using namespace receive;
using exercises::percentText;

namespace {

constexpr double kClientWidth = 11400;    // twips
constexpr double kClientHeight = 8400;    // twips
constexpr double kFixedPointSize = 10;

const QLocale &danish()
{
    static const QLocale locale(QLocale::Danish, QLocale::Denmark);
    return locale;
}

} // namespace

frmModtag::frmModtag(Morse &morse, ReceiveTransmitter transmitter, QString historyPath, QWidget *owner)
    : QDialog(owner), m_morse(morse), m_transmitter(std::move(transmitter)),
      m_history(std::move(historyPath))
{
    exercises::applyLayoutFont(*this);
    ui::setupSecondaryWindow(*this, owner, {kClientWidth, kClientHeight});
    setWindowTitle(tr("Modtagetræning"));
    const QFont fixed = ui::fixedFont(kFixedPointSize);

    auto *label = new QLabel(tr("&Afskrift (skriv det, du hører):"), this);
    txtAfskrift = new TextBox(this);
    txtAfskrift->setObjectName(QStringLiteral("txtAfskrift"));
    txtAfskrift->setFont(fixed);
    ui::installKeyFilter(txtAfskrift, ui::kTextBoxAccepted.toString(), true);
    label->setBuddy(txtAfskrift);
    txtAfskrift->setAccessibleDescription(tr("Skriv det, du hører, mens der sendes. Escape stopper sendingen."));

    const auto button = [this](const QString &caption, const char *name) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QString::fromUtf8(name));
        return b;
    };
    cmdStart = button(tr("&Start"), "cmdStart");
    cmdStop = button(tr("Sto&p"), "cmdStop");
    cmdRet = button(tr("&Ret"), "cmdRet");
    cmdØv = button(tr("&Øv fejlene"), "cmdØv");
    cmdGemLyd = button(tr("&Gem lyd..."), "cmdGemLyd");
    cmdGemLyd->setToolTip(tr("Gem forsøgets lyd med forholdene i en lydfil"));
    m_audio = new AudioExport(*this);
    cmdLuk = button(tr("&Luk"), "cmdLuk");
    cmdStart->setDefault(true);

    tabVisning = new QTabWidget(this);
    txtResultat = new QTextBrowser(tabVisning);
    txtResultat->setObjectName(QStringLiteral("txtResultat"));
    tblHistorik = new QTableWidget(0, 12, tabVisning);
    tblHistorik->setObjectName(QStringLiteral("tblHistorik"));
    tblHistorik->setHorizontalHeaderLabels(
        {tr("Tidspunkt"), tr("WPM"), tr("Farnsworth"), tr("Tegn/min"), tr("Sendt"), tr("Rigtige"),
         tr("Forkerte"), tr("Manglende"), tr("Ekstra"), tr("Nøjagtighed"), tr("Tegn"), tr("Forhold")});
    tblHistorik->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblHistorik->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblHistorik->verticalHeader()->setVisible(false);
    tblHistorik->horizontalHeader()->setStretchLastSection(true);
    chtFremgang = new QChartView(tabVisning);
    chtFremgang->setObjectName(QStringLiteral("chtFremgang"));
    chtFremgang->setRenderHint(QPainter::Antialiasing);
    chtFremgang->setFocusPolicy(Qt::StrongFocus);
    tabVisning->addTab(txtResultat, tr("Resul&tat"));
    tabVisning->addTab(tblHistorik, tr("&Historik"));
    tabVisning->addTab(chtFremgang, tr("Frem&gang"));
    tabVisning->setAccessibleName(tr("Resultat, historik og fremgang"));
    tabVisning->tabBar()->setAccessibleName(tr("Visning"));
    txtResultat->setAccessibleName(tr("Resultat af forsøget"));
    txtResultat->setAccessibleDescription(tr("Det sendte over din afskrift, tællingerne og fejlene "
                                             "pr. tegn, når forsøget er rettet."));
    tblHistorik->setAccessibleName(tr("Historik over forsøgene"));
    tblHistorik->setAccessibleDescription(tr("Én række pr. forsøg: tidspunkt, hastighed, tællinger "
                                             "og nøjagtighed, det nyeste nederst."));
    chtFremgang->setAccessibleName(tr("Graf over fremgangen"));
    lblHistorik = new QLabel(this);
    lblHistorik->setObjectName(QStringLiteral("lblHistorik"));
    lblHistorik->setWordWrap(true);

    auto *buttons = new QVBoxLayout;
    for (QPushButton *b : {cmdStart, cmdStop, cmdRet, cmdØv, cmdGemLyd, cmdLuk})
        buttons->addWidget(b);
    buttons->addStretch();
    auto *copyColumn = new QVBoxLayout;
    copyColumn->addWidget(label);
    copyColumn->addWidget(txtAfskrift);
    auto *top = new QHBoxLayout;
    top->addLayout(copyColumn, 1);
    top->addLayout(buttons);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 2);
    grpForhold = new ConditionsBox(this);
    grpForhold->setConditions(settings::loadConditions(*openStore()));
    layout->addWidget(grpForhold);
    layout->addWidget(tabVisning, 3);
    layout->addWidget(lblHistorik);

    setTabOrder(txtAfskrift, cmdStart);
    setTabOrder(cmdStart, cmdStop);
    setTabOrder(cmdStop, cmdRet);
    setTabOrder(cmdRet, cmdØv);
    setTabOrder(cmdØv, cmdGemLyd);
    setTabOrder(cmdGemLyd, cmdLuk);
    // The conditions sit between the buttons and the tabs, on screen and for Tab.
    QWidget *previous = cmdLuk;
    for (QWidget *w : std::initializer_list<QWidget *>{grpForhold->cboForhold, grpForhold->spnSN,
                                                       grpForhold->cboFilter, grpForhold->cboQSB,
                                                       grpForhold->spnQRM, grpForhold->cboQRN}) {
        setTabOrder(previous, w);
        previous = w;
    }
    setTabOrder(previous, tabVisning);

    connect(cmdStart, &QPushButton::clicked, this, &frmModtag::cmdStart_Click);
    connect(cmdStop, &QPushButton::clicked, this, &frmModtag::cmdStop_Click);
    connect(cmdRet, &QPushButton::clicked, this, &frmModtag::cmdRet_Click);
    connect(cmdØv, &QPushButton::clicked, this, &frmModtag::cmdØv_Click);
    connect(cmdGemLyd, &QPushButton::clicked, this, &frmModtag::cmdGemLyd_Click);
    connect(cmdLuk, &QPushButton::clicked, this, &QDialog::reject);

    txtResultat->setHtml(tr("<p>Tryk <b>Start</b>, og skriv det, du hører, i feltet ovenfor. "
                            "Afskriften rettes, når teksten er sendt, eller når du trykker "
                            "<b>Stop</b>. Skriver du videre bagefter, retter <b>Ret</b> den "
                            "igen.</p>"));

    const ReceiveHistory::Contents contents = m_history.read();
    m_attempts = contents.attempts;
    lblHistorik->setText(
        FileProblem::historyNote(m_history.path(), contents.readable, contents.skipped, tr("Nye forsøg")));
    lblHistorik->setVisible(!lblHistorik->text().isEmpty());
    showHistory();
    updateButtons();
    cmdStart->setFocus();
}

frmModtag::~frmModtag()
{
    m_morse.setConditions(nullptr);
}

void frmModtag::updateButtons()
{
    cmdStart->setEnabled(!m_sending);
    cmdStop->setEnabled(m_sending);
    cmdRet->setEnabled(!m_sending && m_recorded);
    cmdØv->setEnabled(!m_sending && m_score && m_score->hasErrors()
                      && !m_score->wrongCharacters().isEmpty());
    cmdGemLyd->setEnabled(!m_sending && m_score.has_value());
}

// The attempt's whole text as it was heard, conditions and their seed included.
void frmModtag::cmdGemLyd_Click()
{
    if (m_sending || !m_score)
        return;
    m_audio->saveAs(m_sentText, m_morse.settings(), QString(), m_band.conditions());
}

void frmModtag::cmdStart_Click()
{
    if (m_sending)
        return;
    m_sentText = cp1252::upper(m_transmitter.text());
    m_sentUpTo = m_sentText.size();
    m_heard = -1;
    std::fill(std::begin(m_progress), std::end(m_progress), 0);
    m_notifications = 0;
    m_synthesisDone = false;
    m_recorded = false;
    m_score.reset();
    m_wpm = m_morse.settings().giWPM;
    m_farnsworth = m_morse.settings().giFarnsworth;
    txtAfskrift->setText(QString());
    // Every attempt its own noise and stations; the conditions as they are now.
    const band::Conditions conditions = grpForhold->conditions(QRandomGenerator::global()->generate64());
    if (grpForhold->changed()) {
        if (!settings::saveConditions(*openStore(), conditions))
            lblHistorik->setText(tr("Forholdene kunne ikke gemmes i indstillingerne."));
        lblHistorik->setVisible(!lblHistorik->text().isEmpty());
        grpForhold->clearChanged();
    }
    m_band.prepare(conditions, m_morse.settings().giTone, m_morse.settings().glVolume);
    m_morse.setConditions(conditions.active ? &m_band : nullptr);
    if (!m_transmitter.start()) {
        m_morse.setConditions(nullptr);
        updateButtons();
        return;
    }
    m_sending = true;
    txtResultat->setHtml(tr("<p>Sender... Skriv det, du hører. Stop eller Escape afbryder.</p>"));
    tabVisning->setCurrentWidget(txtResultat);
    updateButtons();
    txtAfskrift->setFocus();
}

void frmModtag::sendingProgressed(qsizetype sentLength)
{
    if (!m_sending)
        return;
    // The engine starts over at 0 once it has passed the end of the text.
    if (sentLength < m_progress[0])
        m_synthesisDone = true;
    if (m_synthesisDone)
        return;
    m_progress[2] = m_progress[1];
    m_progress[1] = m_progress[0];
    m_progress[0] = sentLength;
    ++m_notifications;
}

void frmModtag::sendingEnded(bool playedOut)
{
    if (!m_sending)
        return;
    m_sending = false;
    m_morse.setConditions(nullptr);
    if (playedOut || m_synthesisDone) {
        m_sentUpTo = m_sentText.size();
        m_heard = playedOut ? -1 : m_progress[0];
    } else {
        // Each notification synthesises up to a second ahead of what is heard; the
        // length two notifications back has surely been played.
        m_sentUpTo = m_progress[0];
        m_heard = m_notifications >= 3 ? m_progress[2] : 0;
    }
    scoreAttempt();
    updateButtons();
    if (!focusWidget() || !focusWidget()->isEnabled())
        txtAfskrift->setFocus();
}

void frmModtag::cmdStop_Click()
{
    if (m_sending)
        m_transmitter.stop();   // the main window reports the end: sendingEnded
}

void frmModtag::cmdRet_Click()
{
    if (!m_sending && m_recorded)
        scoreAttempt();
    updateButtons();
}

void frmModtag::reject()
{
    if (m_sending) {
        cmdStop_Click();
        return;
    }
    QDialog::reject();
}

void frmModtag::scoreAttempt()
{
    m_score = scoreCopy(QStringView(m_sentText).left(m_sentUpTo), txtAfskrift->Text(), m_heard);
    showResult();
    tabVisning->setCurrentWidget(txtResultat);
    if (m_score->sent == 0)
        return;

    Attempt a;
    a.when = QDateTime::currentDateTime();
    a.when.setTime(QTime(a.when.time().hour(), a.when.time().minute(), a.when.time().second()));
    a.wpm = m_wpm;
    a.farnsworth = m_farnsworth;
    const auto real = settings::realSpeed(QString::number(m_wpm), QString::number(m_farnsworth));
    a.cpm = real ? real->cpm : 0;
    a.sent = m_score->sent;
    a.correct = m_score->correct;
    a.wrong = m_score->wrong;
    a.missing = m_score->missing;
    a.extra = m_score->extra;
    a.accuracy = m_score->accuracy();
    a.characters = characterSet(QStringView(m_sentText).left(m_sentUpTo));
    a.conditions = band::optionText(m_band.conditions());

    const bool again = m_recorded;
    const FileResult saved = again ? m_history.replaceLast(a) : m_history.append(a);
    // The first scoring of an attempt adds its characters to the statistics.
    const bool statsSaved = again
        || stats::CharacterStats(stats::CharacterStats::pathBeside(m_history.path()))
               .append(stats::eventsFromScore(*m_score, a.when));
    if (again && !m_attempts.empty())
        m_attempts.back() = a;
    else
        m_attempts.push_back(a);
    m_recorded = true;
    showHistory();
    if (!saved) {
        QMessageBox box(QMessageBox::Warning, program::title(),
                        tr("Forsøget kunne ikke gemmes i historikken %1.").arg(m_history.path())
                            + u'\n' + FileProblem::reason(saved) + QLatin1String("\n\n")
                            + tr("Resultatet står stadig i vinduet, og de tidligere forsøg er "
                                 "uændrede."),
                        QMessageBox::Ok, this);
        box.exec();
    } else if (!statsSaved) {
        QMessageBox box(QMessageBox::Warning, program::title(),
                        tr("Tegnene kunne ikke gemmes i statistikken %1.\n\nResultatet står "
                           "stadig i vinduet.")
                            .arg(stats::CharacterStats::pathBeside(m_history.path())),
                        QMessageBox::Ok, this);
        box.exec();
    }
}

void frmModtag::showResult()
{
    const Score &s = *m_score;
    QString html;
    if (s.sent == 0) {
        txtResultat->setHtml(tr("<p>Der blev ikke sendt nogen tegn at rette efter.</p>"));
        ui::announce(*txtResultat, tr("Der blev ikke sendt nogen tegn at rette efter."));
        return;
    }
    html += tr("<p><b>Sendt</b> (øverst) og <b>din afskrift</b> (nederst):</p>");
    html += exercises::alignedScoreHtml(s);
    html += exercises::scoreCountsHtml(s);
    const auto real = settings::realSpeed(QString::number(m_wpm), QString::number(m_farnsworth));
    html += tr("<p>Hastighed: %1 WPM, Farnsworth %2, reel hastighed %3 tegn pr. minut "
               "(%4 ord pr. minut).</p>")
                .arg(m_wpm)
                .arg(m_farnsworth)
                .arg(real ? QString::number(real->cpm) : QStringLiteral("?"))
                .arg(real ? QString::number(real->wpm) : QStringLiteral("?"));
    html += tr("<p><b>Fejl pr. tegn</b></p>");
    html += QStringLiteral("<table cellspacing=\"0\" cellpadding=\"2\" border=\"1\"><tr><th>%1</th>"
                           "<th>%2</th><th>%3</th></tr>")
                .arg(tr("Tegn"), tr("Sendt"), tr("Fejl"));
    for (const CharacterErrors &e : s.perCharacter) {
        html += QStringLiteral("<tr><td><tt>%1</tt></td><td align=\"right\">%2</td>"
                               "<td align=\"right\">%3</td></tr>")
                    .arg(tokenText(e.character).toHtmlEscaped())
                    .arg(e.sent)
                    .arg(e.errors);
    }
    html += QStringLiteral("</table>");
    txtResultat->setHtml(html);
    ui::announce(*txtResultat, tr("Nøjagtighed %1. Sendt: %2 tegn. Rigtige: %3. Forkerte: %4. "
                                  "Manglende: %5. Ekstra: %6.")
                                   .arg(exercises::percentText(s.accuracy()))
                                   .arg(s.sent)
                                   .arg(s.correct)
                                   .arg(s.wrong)
                                   .arg(s.missing)
                                   .arg(s.extra));
}

void frmModtag::addHistoryRow(const Attempt &a)
{
    const int r = tblHistorik->rowCount();
    tblHistorik->insertRow(r);
    const QStringList cells = QStringList{danish().toString(a.when, QStringLiteral("dd-MM-yyyy HH:mm"))}
        + countTexts(a) + QStringList{percentText(a.accuracy), a.characters, a.conditions};
    for (int c = 0; c < cells.size(); ++c) {
        auto *item = new QTableWidgetItem(cells[c]);
        if (c > 0 && c < cells.size() - 2)
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        tblHistorik->setItem(r, c, item);
    }
}

void frmModtag::showHistory()
{
    tblHistorik->setRowCount(0);
    for (const Attempt &a : m_attempts)
        addHistoryRow(a);
    tblHistorik->resizeColumnsToContents();
    tblHistorik->scrollToBottom();

    // Accuracy per attempt, the newest on the right.
    ui::AccuracySeries series;
    for (size_t i = 0; i < m_attempts.size(); ++i)
        series.points.emplace_back(double(i + 1), m_attempts[i].accuracy);
    ui::showAccuracyChart(chtFremgang, {series}, double(m_attempts.size()), tr("Forsøg"),
                          tr("Nøjagtighed (%)"), tr("Ingen forsøg endnu"));
    QStringList points;
    for (size_t i = 0; i < m_attempts.size(); ++i)
        points << tr("forsøg %1: %2").arg(i + 1).arg(exercises::percentText(m_attempts[i].accuracy));
    chtFremgang->setAccessibleDescription(
        m_attempts.empty() ? tr("Ingen forsøg endnu")
                           : tr("Nøjagtighed pr. forsøg, det nyeste sidst: %1").arg(points.join(QStringLiteral(", "))));
}

void frmModtag::cmdØv_Click()
{
    if (m_sending || !m_score)
        return;
    const QString set = m_score->wrongCharacters();
    if (set.isEmpty())
        return;
    const int groups = std::clamp(m_score->groupCount, practice::kMinGroupCount, practice::kMaxGroupCount);
    m_generated = practice::groupText(set, groups, newRandom());
    accept();
}
