#include "exercises/SpeedDrillPanel.h"

#include "FileProblem.h"
#include "exercises/Callsigns.h"
#include "exercises/CharacterStats.h"
#include "exercises/CopyScore.h"
#include "engine/TextFile.h"
#include "program/ProgramInfo.h"

#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextBrowser>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int kPauseBeforeNextMs = 700;          // after the feedback, before the next item
constexpr qint64 kLargestListBytes = 16 << 20;   // an imported list, like a text file
constexpr int kRunLengths[] = {25, 50};

QString escaped(const QString &text)
{
    return text.toHtmlEscaped();
}

} // namespace

SpeedDrillPanel::SpeedDrillPanel(Kind kind, std::vector<Source> sources, ItemPlayer player,
                                 int startWpm, QString historyPath, QWidget *parent)
    : QWidget(parent), m_kind(kind), m_sources(std::move(sources)), m_player(std::move(player)),
      m_history(std::move(historyPath))
{
    cboKilde = new QComboBox(this);
    for (const Source &s : m_sources)
        cboKilde->addItem(s.caption);
    cboAntal = new QComboBox(this);
    for (int n : kRunLengths)
        cboAntal->addItem(QString::number(n), n);
    txtStart = new QSpinBox(this);
    txtStart->setRange(drill::kMinWpm, drill::kMaxWpm);
    txtStart->setValue(startWpm);
    txtStart->setSuffix(tr(" WPM"));
    cboTrin = new QComboBox(this);
    cboTrin->addItem(tr("1 WPM"), 1);
    cboTrin->addItem(tr("2 WPM"), 2);
    txtMindst = new QSpinBox(this);
    txtMindst->setRange(drill::kMinWpm, drill::kMaxWpm);
    txtMindst->setValue(drill::kMinWpm);
    txtMindst->setSuffix(tr(" WPM"));
    txtHøjst = new QSpinBox(this);
    txtHøjst->setRange(drill::kMinWpm, drill::kMaxWpm);
    txtHøjst->setValue(drill::kMaxWpm);
    txtHøjst->setSuffix(tr(" WPM"));
    cmdImporter = new QPushButton(tr("&Importer liste..."), this);

    auto *settingsBox = new QGroupBox(tr("Indstillinger"), this);
    auto *form = new QFormLayout;
    form->addRow(tr("&Kilde:"), cboKilde);
    form->addRow(QString(), cmdImporter);
    form->addRow(tr("&Antal:"), cboAntal);
    form->addRow(tr("Start&hastighed:"), txtStart);
    form->addRow(tr("T&rin:"), cboTrin);
    form->addRow(tr("La&vest:"), txtMindst);
    form->addRow(tr("H&øjest:"), txtHøjst);
    settingsBox->setLayout(form);
    cboKilde->setObjectName(QStringLiteral("cboKilde"));
    cboAntal->setObjectName(QStringLiteral("cboAntal"));
    txtStart->setObjectName(QStringLiteral("txtStart"));
    cboTrin->setObjectName(QStringLiteral("cboTrin"));
    txtMindst->setObjectName(QStringLiteral("txtMindst"));
    txtHøjst->setObjectName(QStringLiteral("txtHøjst"));
    cmdImporter->setObjectName(QStringLiteral("cmdImporter"));
    cboKilde->setAccessibleName(tr("Kilde"));
    cboAntal->setAccessibleName(tr("Antal"));
    txtStart->setAccessibleName(tr("Starthastighed"));
    cboTrin->setAccessibleName(tr("Trin"));
    txtMindst->setAccessibleName(tr("Laveste hastighed"));
    txtHøjst->setAccessibleName(tr("Højeste hastighed"));
    cmdImporter->setAccessibleDescription(
        tr("Indlæser en tekstfil med et emne pr. linje; # indleder en kommentar"));

    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setAccessibleName(tr("Status"));
    auto *copyLabel = new QLabel(tr("A&fskrift (Enter retter):"), this);
    txtAfskrift = new QLineEdit(this);
    txtAfskrift->setObjectName(QStringLiteral("txtAfskrift"));
    txtAfskrift->setAccessibleName(tr("Afskrift"));
    copyLabel->setBuddy(txtAfskrift);

    cmdStart = new QPushButton(tr("&Start"), this);
    cmdIgen = new QPushButton(tr("Afspil i&gen (F6)"), this);
    cmdStop = new QPushButton(tr("Sto&p"), this);
    cmdStart->setObjectName(QStringLiteral("cmdStart"));
    cmdIgen->setObjectName(QStringLiteral("cmdIgen"));
    cmdStop->setObjectName(QStringLiteral("cmdStop"));
    cmdIgen->setAccessibleName(tr("Afspil igen"));
    cmdIgen->setAccessibleDescription(tr("Spiller det samme igen, én gang; giver det halve point"));
    auto *replay = new QShortcut(QKeySequence(Qt::Key_F6), this);
    replay->setContext(Qt::WindowShortcut);
    connect(replay, &QShortcut::activated, this, &SpeedDrillPanel::cmdIgen_Click);

    tabVisning = new QTabWidget(this);

    tabVisning->setAccessibleName(tr("Resultat og de ti bedste"));

    tabVisning->tabBar()->setAccessibleName(tr("Visning"));
    txtResultat = new QTextBrowser(tabVisning);
    txtResultat->setObjectName(QStringLiteral("txtResultat"));
    txtResultat->setAccessibleName(tr("Resultat af runden"));
    tblBedste = new QTableWidget(0, 5, tabVisning);
    tblBedste->setObjectName(QStringLiteral("tblBedste"));
    tblBedste->setAccessibleName(tr("De ti bedste med disse indstillinger"));
    tblBedste->setHorizontalHeaderLabels(
        {tr("Point"), tr("Start"), tr("Højest"), tr("Slut"), tr("Tidspunkt")});
    tblBedste->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblBedste->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblBedste->verticalHeader()->setVisible(false);
    tblBedste->horizontalHeader()->setStretchLastSection(true);
    tabVisning->addTab(txtResultat, tr("Resul&tat"));
    tabVisning->addTab(tblBedste, tr("&Bedste ti"));
    lblHistorik = new QLabel(this);
    lblHistorik->setWordWrap(true);

    auto *buttons = new QVBoxLayout;
    for (QPushButton *b : {cmdStart, cmdIgen, cmdStop})
        buttons->addWidget(b);
    buttons->addStretch();
    auto *copyColumn = new QVBoxLayout;
    copyColumn->addWidget(lblStatus);
    copyColumn->addWidget(copyLabel);
    copyColumn->addWidget(txtAfskrift);
    copyColumn->addStretch();
    auto *top = new QHBoxLayout;
    top->addWidget(settingsBox);
    top->addLayout(copyColumn, 1);
    top->addLayout(buttons);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(top);
    layout->addWidget(tabVisning, 1);
    layout->addWidget(lblHistorik);

    // The import belongs to the list it fills.
    setTabOrder(cboKilde, cmdImporter);
    setTabOrder(cmdImporter, cboAntal);

    connect(cmdStart, &QPushButton::clicked, this, &SpeedDrillPanel::cmdStart_Click);
    connect(cmdIgen, &QPushButton::clicked, this, &SpeedDrillPanel::cmdIgen_Click);
    connect(cmdStop, &QPushButton::clicked, this, &SpeedDrillPanel::cmdStop_Click);
    connect(cmdImporter, &QPushButton::clicked, this, &SpeedDrillPanel::cmdImporter_Click);
    // Enter scores the copy and goes no further: the dialog's default button would
    // otherwise start a new run the moment this one ends.
    txtAfskrift->installEventFilter(this);
    for (QComboBox *c : {cboKilde, cboAntal, cboTrin})
        connect(c, &QComboBox::currentIndexChanged, this, &SpeedDrillPanel::showBest);

    txtResultat->setHtml(
        m_kind == Kind::Calls
            ? tr("<p>Tryk <b>Start</b>. Et kaldesignal spilles; skriv det, og tryk Enter. "
                 "Rigtigt giver højere fart, forkert lavere. F6 spiller det igen én gang "
                 "(halve point).</p>")
            : tr("<p>Tryk <b>Start</b>. Et ord spilles; skriv det, og tryk Enter. Rigtigt "
                 "giver højere fart, forkert lavere. F6 spiller det igen én gang (halve "
                 "point).</p>"));

    const drill::DrillHistory::Contents contents = m_history.read();
    m_records = contents.runs;
    lblHistorik->setText(
        FileProblem::historyNote(m_history.path(), contents.readable, contents.skipped, tr("Nye resultater")));
    lblHistorik->setVisible(!lblHistorik->text().isEmpty());
    showBest();
    updateControls();
}

bool SpeedDrillPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == txtAfskrift && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            txtAfskrift_Return();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

const SpeedDrillPanel::Source &SpeedDrillPanel::source() const
{
    return m_sources[size_t(std::max(0, cboKilde->currentIndex()))];
}

void SpeedDrillPanel::updateControls()
{
    const bool running = m_run.has_value();
    for (QWidget *w : std::initializer_list<QWidget *>{cboKilde, cboAntal, txtStart, cboTrin,
                                                        txtMindst, txtHøjst, cmdImporter, cmdStart})
        w->setEnabled(!running);
    cmdStop->setEnabled(running);
    cmdIgen->setEnabled(running && !m_replayed && !m_pausing);
    txtAfskrift->setEnabled(running);
    txtAfskrift->setReadOnly(m_pausing);
    if (!running)
        lblStatus->setText(tr("Klar."));
    else
        lblStatus->setText(tr("Nr. %1 af %2 · %3 WPM · %4 point")
                               .arg(m_run->copies().size() + 1)
                               .arg(m_run->length())
                               .arg(m_run->wpm())
                               .arg(m_run->points()));
}

void SpeedDrillPanel::cmdStart_Click()
{
    if (m_run)
        return;
    const Source &s = source();
    const int count = cboAntal->currentData().toInt();
    const practice::Uniform random = newRandom();
    m_items.clear();
    if (s.generate) {
        for (int i = 0; i < count; ++i)
            m_items << s.generate(random);
    } else if (!s.items.isEmpty()) {
        // Every item once before any comes again, in a new order each round.
        QStringList pool;
        while (m_items.size() < count) {
            if (pool.isEmpty())
                pool = s.items;
            m_items << pool.takeAt(practice::drawPosition(random(), pool.size()));
        }
    } else {
        QMessageBox::information(this, program::title(), tr("Listen er tom."));
        return;
    }
    const int floor = std::min(txtMindst->value(), txtHøjst->value());
    const int ceiling = std::max(txtMindst->value(), txtHøjst->value());
    m_statsFailed = false;
    m_run.emplace(txtStart->value(), drill::SpeedRule{cboTrin->currentData().toInt(), floor, ceiling},
                  count);
    txtResultat->setHtml(tr("<p>Lyt, skriv, og tryk Enter.</p>"));
    tabVisning->setCurrentWidget(txtResultat);
    playCurrent();
}

void SpeedDrillPanel::playCurrent()
{
    m_replayed = false;
    txtAfskrift->clear();
    updateControls();
    txtAfskrift->setFocus();
    const QString &item = m_items[qsizetype(m_run->copies().size())];
    m_playing = m_player.play(item, m_run->wpm());
    if (!m_playing)
        abortRun();   // the main window has said why
}

void SpeedDrillPanel::cmdIgen_Click()
{
    if (!m_run || m_replayed || m_pausing || m_run->finished())
        return;
    if (m_playing)
        m_player.stop();
    m_replayed = true;
    updateControls();
    txtAfskrift->setFocus();
    m_playing = m_player.play(m_items[qsizetype(m_run->copies().size())], m_run->wpm());
}

void SpeedDrillPanel::playingEnded()
{
    m_playing = false;
}

void SpeedDrillPanel::txtAfskrift_Return()
{
    if (!m_run || m_run->finished() || m_pausing)
        return;
    if (m_playing) {
        m_playing = false;
        m_player.stop();
    }
    const QString &item = m_items[qsizetype(m_run->copies().size())];
    const drill::Copy &c = m_run->record(item, txtAfskrift->text().trimmed().toUpper(), m_replayed);
    // Every character copied counts in the statistics per character, as in the
    // receiving practice; a file that cannot be written is said once per run.
    const bool counted = stats::CharacterStats(stats::CharacterStats::pathBeside(m_history.path()))
                             .append(stats::eventsFromScore(receive::scoreCopy(c.sent, c.typed),
                                                            QDateTime::currentDateTime()));
    if (!counted && !m_statsFailed) {
        m_statsFailed = true;
        lblHistorik->setText(tr("Tegnene kunne ikke gemmes i statistikken %1.")
                                 .arg(stats::CharacterStats::pathBeside(m_history.path())));
        lblHistorik->setVisible(true);
    }
    const QString verdict =
        c.exact() ? tr("Rigtigt: %1 (%2 point)").arg(c.sent).arg(c.points)
                  : tr("Forkert: %1, du skrev %2 (%3 point)")
                        .arg(c.sent, c.typed.isEmpty() ? tr("intet") : c.typed)
                        .arg(c.points);
    txtResultat->setHtml(QStringLiteral("<p>%1</p>").arg(escaped(verdict)));
    txtAfskrift->setAccessibleDescription(verdict);
    if (m_run->finished()) {
        finishRun();
        return;
    }
    // The copy box keeps the focus through the pause (a disabled box would hand it,
    // and the Enter still on its way, to a button); it only takes nothing meanwhile.
    m_pausing = true;
    updateControls();
    QTimer::singleShot(kPauseBeforeNextMs, this, [this] {
        m_pausing = false;
        if (m_run && !m_run->finished())
            playCurrent();
    });
}

void SpeedDrillPanel::cmdStop_Click()
{
    abortRun();
    txtResultat->setHtml(tr("<p>Afbrudt. Intet blev gemt.</p>"));
    cmdStart->setFocus();
}

void SpeedDrillPanel::abortRun()
{
    if (m_playing) {
        m_playing = false;
        m_player.stop();
    }
    m_run.reset();
    m_pausing = false;
    updateControls();
}

void SpeedDrillPanel::finishRun()
{
    const drill::Run run = *m_run;
    m_run.reset();
    drill::RunRecord r;
    r.when = QDateTime::currentDateTime();
    r.when.setTime(QTime(r.when.time().hour(), r.when.time().minute(), r.when.time().second()));
    r.source = source().id;
    r.count = run.length();
    r.step = cboTrin->currentData().toInt();
    r.startWpm = run.startWpm();
    r.topWpm = run.topWpm();
    r.finalWpm = run.finalWpm();
    r.points = run.points();
    r.exact = run.exactCount();

    QString html = tr("<p><b>%1 point.</b> %2 af %3 rigtige. Start %4 WPM, højest %5 WPM, "
                      "slut %6 WPM.</p>")
                       .arg(r.points)
                       .arg(r.exact)
                       .arg(r.count)
                       .arg(r.startWpm)
                       .arg(r.topWpm)
                       .arg(r.finalWpm);
    QString missed;
    for (const drill::Copy &c : run.copies()) {
        if (!c.exact())
            missed += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td></tr>")
                          .arg(escaped(c.sent), escaped(c.typed), QString::number(c.wpm));
    }
    if (!missed.isEmpty())
        html += tr("<p>Ikke rigtigt:</p>") +
                QStringLiteral("<table cellspacing=\"4\"><tr><th>%1</th><th>%2</th><th>%3</th></tr>")
                    .arg(tr("Sendt"), tr("Skrevet"), tr("WPM")) +
                missed + QStringLiteral("</table>");
    if (!m_history.append(r))
        html += tr("<p>Resultatet kunne ikke gemmes i %1.</p>").arg(escaped(m_history.path()));
    m_records.push_back(r);
    txtResultat->setHtml(html);
    tabVisning->setCurrentWidget(txtResultat);
    txtResultat->setAccessibleDescription(txtResultat->toPlainText());
    showBest();
    updateControls();
    cmdStart->setFocus();
}

void SpeedDrillPanel::showBest()
{
    const std::vector<drill::RunRecord> best =
        drill::bestRuns(m_records, source().id, cboAntal->currentData().toInt(),
                        cboTrin->currentData().toInt());
    tblBedste->setRowCount(int(best.size()));
    const QLocale locale;
    for (int i = 0; i < int(best.size()); ++i) {
        const drill::RunRecord &r = best[size_t(i)];
        const QStringList cells{QString::number(r.points), QString::number(r.startWpm),
                                QString::number(r.topWpm), QString::number(r.finalWpm),
                                locale.toString(r.when, QLocale::ShortFormat)};
        for (int c = 0; c < cells.size(); ++c)
            tblBedste->setItem(i, c, new QTableWidgetItem(cells[c]));
    }
}

void SpeedDrillPanel::cmdImporter_Click()
{
    const QString path = QFileDialog::getOpenFileName(
        this, tr("Importer liste"), QString(), tr("Tekstfiler (*.txt);;Alle filer (*)"));
    if (path.isEmpty())
        return;
    const QFileInfo info(path);
    QFile file(path);
    if (!info.isFile() || info.size() > kLargestListBytes || !file.open(QIODevice::ReadOnly)) {
        QMessageBox::warning(this, program::title(),
                             tr("Listen kunne ikke læses:\n%1").arg(QDir::toNativeSeparators(path)));
        return;
    }
    const QByteArray bytes = file.read(kLargestListBytes + 1);
    const calls::ImportResult result = calls::importList(
        textfile::textFromBytes(bytes),
        m_kind == Kind::Calls ? calls::isValidCall : calls::isSendableWord);
    if (result.entries.isEmpty()) {
        QMessageBox::warning(this, program::title(),
                             tr("Listen indeholder intet, der kan bruges:\n%1")
                                 .arg(QDir::toNativeSeparators(path)));
        return;
    }
    // Danish singular and plural, spelled out: the program carries no translations.
    QString message = result.entries.size() == 1
                          ? tr("Et emne indlæst.")
                          : tr("%1 emner indlæst.").arg(result.entries.size());
    if (!result.badLines.empty()) {
        QStringList numbers;
        for (size_t i = 0; i < std::min<size_t>(result.badLines.size(), 10); ++i)
            numbers << QString::number(result.badLines[i]);
        if (result.badLines.size() > 10)
            numbers << QStringLiteral("...");
        message += u' ' + (result.badLines.size() == 1
                               ? tr("En linje kunne ikke bruges (linje %1).")
                                     .arg(numbers.join(QStringLiteral(", ")))
                               : tr("%1 linjer kunne ikke bruges (linje %2).")
                                     .arg(result.badLines.size())
                                     .arg(numbers.join(QStringLiteral(", "))));
    }
    if (result.duplicates > 0)
        message += u' ' + (result.duplicates == 1 ? tr("En gentagelse sprunget over.")
                                                  : tr("%1 gentagelser sprunget over.")
                                                        .arg(result.duplicates));
    m_sources.push_back({tr("Importeret: %1").arg(info.fileName()), info.fileName(),
                         result.entries, {}});
    cboKilde->addItem(m_sources.back().caption);
    cboKilde->setCurrentIndex(cboKilde->count() - 1);
    QMessageBox::information(this, program::title(), message);
}
