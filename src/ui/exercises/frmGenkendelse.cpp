#include "exercises/frmGenkendelse.h"

#include "exercises/KochSettings.h"
#include "program/ProgramInfo.h"
#include "engine/Morse.h"
#include "Fonts.h"
#include "SecondaryWindow.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>
#include <QVBoxLayout>

using namespace recognition;

namespace {

constexpr double kClientWidth = 8400;     // twips
constexpr double kClientHeight = 7200;    // twips
constexpr double kCharacterPointSize = 28;

const QLocale &danish()
{
    static const QLocale locale(QLocale::Danish, QLocale::Denmark);
    return locale;
}

} // namespace

frmGenkendelse::frmGenkendelse(Morse &morse, ReceiveTransmitter transmitter,
                               settings::StoreOpener openStore, QString statsPath, QWidget *owner)
    : QDialog(owner), m_morse(morse), m_transmitter(std::move(transmitter)), m_stats(std::move(statsPath))
{
    exercises::applyLayoutFont(*this);
    ui::setupSecondaryWindow(*this, owner, {kClientWidth, kClientHeight});
    setWindowTitle(tr("Genkendelse"));
    m_elapsed.start();
    now = [this] { return m_elapsed.elapsed(); };

    // The characters of the Koch course's lesson reached in the chosen order.
    koch::KochSettings course;
    if (openStore) {
        if (std::unique_ptr<settings::Store> store = openStore())
            course = koch::readKochSettings(*store);
    }
    QStringList order = koch::courseOrder();
    if (course.order == koch::kClassicKey)
        order = koch::classicOrder();
    else if (course.order == koch::kOwnKey) {
        const koch::ParsedOrder own = koch::parseOrder(course.ownOrder);
        if (own.problem == koch::ParsedOrder::Problem::None)
            order = own.characters;
    }
    const int lesson = std::clamp(course.lesson(course.order), 1, std::max(1, koch::lessonCount(order)));
    m_lessonCharacters = koch::lessonCharacters(order, lesson);

    cboTegn = new QComboBox(this);
    cboTegn->setObjectName(QStringLiteral("cboTegn"));
    cboTegn->addItem(tr("Koch-kursets lektion %1: %2").arg(lesson).arg(m_lessonCharacters.join(u' ')));
    cboTegn->addItem(tr("Alle bogstaver, tal og tegn"));
    lblTegn = new QLabel(this);
    lblTegn->setObjectName(QStringLiteral("lblTegn"));
    lblTegn->setFont(ui::fixedFont(kCharacterPointSize, true));
    lblTegn->setAlignment(Qt::AlignCenter);
    lblTegn->setAccessibleName(tr("Tegnet"));
    txtSvar = new QLineEdit(this);
    txtSvar->setObjectName(QStringLiteral("txtSvar"));
    lblSvar = new QLabel(this);
    lblSvar->setObjectName(QStringLiteral("lblSvar"));
    lblSvar->setAccessibleName(tr("Svarets resultat"));
    lblSvar->setWordWrap(true);
    lblSvar->setMinimumHeight(2 * lblSvar->fontMetrics().height());   // room for the longest result
    lblFremgang = new QLabel(this);
    lblFremgang->setObjectName(QStringLiteral("lblFremgang"));
    lblFremgang->setAccessibleName(tr("Fremgang"));
    cmdStart = new QPushButton(tr("&Start"), this);
    cmdStart->setObjectName(QStringLiteral("cmdStart"));
    cmdStart->setDefault(true);
    cmdStop = new QPushButton(tr("Sto&p"), this);
    cmdStop->setObjectName(QStringLiteral("cmdStop"));
    cmdLuk = new QPushButton(tr("&Luk"), this);
    cmdLuk->setObjectName(QStringLiteral("cmdLuk"));
    txtOversigt = new QTextBrowser(this);
    txtOversigt->setObjectName(QStringLiteral("txtOversigt"));
    txtOversigt->setAccessibleName(tr("Oversigt pr. tegn"));
    m_next = new QTimer(this);
    m_next->setSingleShot(true);

    auto *form = new QFormLayout;
    form->addRow(tr("&Tegn:"), cboTegn);
    form->addRow(tr("S&var (tast tegnet, du hører):"), txtSvar);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(lblFremgang, 1);
    buttons->addWidget(cmdStart);
    buttons->addWidget(cmdStop);
    buttons->addWidget(cmdLuk);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(lblTegn);
    layout->addWidget(lblSvar);
    layout->addLayout(buttons);
    layout->addWidget(txtOversigt, 1);
    setTabOrder(cboTegn, txtSvar);
    setTabOrder(txtSvar, cmdStart);
    setTabOrder(cmdStart, cmdStop);
    setTabOrder(cmdStop, cmdLuk);
    setTabOrder(cmdLuk, txtOversigt);

    connect(cmdStart, &QPushButton::clicked, this, &frmGenkendelse::cmdStart_Click);
    connect(cmdStop, &QPushButton::clicked, this, &frmGenkendelse::cmdStop_Click);
    connect(cmdLuk, &QPushButton::clicked, this, &QDialog::reject);
    connect(txtSvar, &QLineEdit::textEdited, this, &frmGenkendelse::typed);
    connect(m_next, &QTimer::timeout, this, &frmGenkendelse::askNext);

    txtOversigt->setHtml(tr("<p>Tryk <b>Start</b>. Et tegn ad gangen spilles; tast det, så snart "
                            "du genkender det (et prosign som &lt;AR&gt;). Du ser straks, om det "
                            "var rigtigt, og hvor hurtigt du svarede efter lyden. Efter %1 tegn "
                            "vises en oversigt; tegn, du tager fejl af eller er langsom til, "
                            "kommer oftere.</p>").arg(kRunLength));
    updateButtons();
    cmdStart->setFocus();
}

void frmGenkendelse::updateButtons()
{
    const bool running = m_run != nullptr;
    cboTegn->setEnabled(!running);
    cmdStart->setEnabled(!running);
    cmdStop->setEnabled(running);
    txtSvar->setEnabled(running);
    lblFremgang->setText(running ? tr("%1 af %2").arg(m_run->answered()).arg(kRunLength) : QString());
}

void frmGenkendelse::cmdStart_Click()
{
    if (m_run)
        return;
    QStringList characters = m_lessonCharacters;
    if (cboTegn->currentIndex() == 1) {
        characters = koch::courseOrder();
        characters << QStringLiteral("Æ") << QStringLiteral("Ø") << QStringLiteral("Å");
    }
    m_run = std::make_unique<RecognitionRun>(characters, newRandom());
    txtOversigt->clear();
    updateButtons();
    askNext();
}

void frmGenkendelse::askNext()
{
    if (!m_run || m_sending)
        return;
    m_current = m_run->next();
    m_clock.start(soundSamples(m_current, m_morse.settings().giWPM));
    m_notifications = 0;
    m_answer.reset();
    m_answered = false;
    lblTegn->setText(QStringLiteral("?"));
    lblSvar->clear();
    txtSvar->clear();
    txtSvar->setFocus();
    m_sending = m_transmitter.start();
    if (!m_sending)
        endRun(false);
}

void frmGenkendelse::sendingProgressed(qsizetype)
{
    if (!m_sending)
        return;
    m_clock.notified(++m_notifications, now());
    settleAnswer();
}

void frmGenkendelse::sendingEnded(bool playedOut)
{
    if (!m_sending)
        return;
    m_sending = false;
    if (!playedOut) {
        endRun(false);
        return;
    }
    if (m_answered && m_run) {
        if (m_run->finished())
            endRun(true);
        else
            m_next->start(pauseMs);
        return;
    }
    settleAnswer();
}

void frmGenkendelse::typed(const QString &text)
{
    if (!m_run || m_answered || m_answer)
        return;
    const QString upper = text.trimmed().toUpper();
    if (upper.isEmpty() || (upper.startsWith(u'<') && upper.size() < 4))
        return;   // a prosign is typed as four characters
    m_answer = upper.startsWith(u'<') ? upper.left(4) : upper.left(1);
    m_keyMs = now();
    txtSvar->setText(*m_answer);
    settleAnswer();
}

void frmGenkendelse::settleAnswer()
{
    // The answer is scored once the clock knows when the sound ended.
    if (!m_answer || m_answered || !m_clock.soundEndMs())
        return;
    m_answered = true;
    m_lastReaction = m_clock.reactionMs(m_keyMs);
    const bool right = *m_answer == m_current;
    m_run->answer(m_current, right, m_lastReaction);
    lblTegn->setText(m_current);
    const QString time = tr("%1 ms efter lyden").arg(m_lastReaction.value_or(0));
    lblSvar->setText(right ? tr("Rigtigt: %1, %2.").arg(m_current, time)
                           : tr("Forkert: du tastede %1, det var %2 (%3).").arg(*m_answer, m_current, time));
    lblSvar->setStyleSheet(right ? QString() : QStringLiteral("color: #d00000"));

    stats::Event e;
    e.when = QDateTime::currentDateTime();
    e.when.setTime(QTime(e.when.time().hour(), e.when.time().minute(), e.when.time().second()));
    e.character = m_current;
    e.right = right;
    e.takenFor = right ? QString() : *m_answer;
    e.reactionMs = m_lastReaction.value_or(-1);
    if (!m_stats.append({e}) && !m_warned) {
        m_warned = true;
        QMessageBox box(QMessageBox::Warning, program::title(),
                        tr("Svarene kunne ikke gemmes i statistikken %1.\n\nDu kan øve videre; "
                           "resultaterne står i vinduet.").arg(m_stats.path()),
                        QMessageBox::Ok, this);
        box.exec();
    }
    updateButtons();
    if (m_sending)
        return;   // the rest when the sending has ended
    if (m_run->finished())
        endRun(true);
    else
        m_next->start(pauseMs);
}

void frmGenkendelse::endRun(bool complete)
{
    m_next->stop();
    if (m_sending) {
        m_transmitter.stop();
        return;   // the main window reports the end: sendingEnded, then here again
    }
    if (!m_run)
        return;
    QString html = complete ? tr("<p><b>Runden er slut.</b></p>") : tr("<p><b>Runden blev stoppet.</b></p>");
    html += QStringLiteral("<table cellspacing=\"0\" cellpadding=\"2\" border=\"1\"><tr><th>%1</th>"
                           "<th>%2</th><th>%3</th><th>%4</th></tr>")
                .arg(tr("Tegn"), tr("Spillet"), tr("Rigtige"), tr("Reaktionstid"));
    int asked = 0, right = 0;
    for (const QString &c : m_run->characters()) {
        const Tally t = m_run->tallies().value(c);
        if (t.asked == 0)
            continue;
        asked += t.asked;
        right += t.right;
        const auto mean = t.meanReactionMs();
        html += QStringLiteral("<tr><td><tt>%1</tt></td><td align=\"right\">%2</td>"
                               "<td align=\"right\">%3</td><td align=\"right\">%4</td></tr>")
                    .arg(c.toHtmlEscaped())
                    .arg(t.asked)
                    .arg(danish().toString(100.0 * t.right / t.asked, 'f', 0) + QStringLiteral(" %"))
                    .arg(mean ? tr("%1 ms").arg(qRound(*mean)) : QStringLiteral("–"));
    }
    html += QStringLiteral("</table>");
    if (asked > 0)
        html += tr("<p>I alt %1 af %2 rigtige (%3).</p>")
                    .arg(right)
                    .arg(asked)
                    .arg(danish().toString(100.0 * right / asked, 'f', 1) + QStringLiteral(" %"));
    txtOversigt->setHtml(html);
    m_run.reset();
    updateButtons();
    cmdStart->setFocus();
}

void frmGenkendelse::cmdStop_Click()
{
    endRun(false);
}

void frmGenkendelse::reject()
{
    if (m_run) {
        endRun(false);
        return;
    }
    QDialog::reject();
}
