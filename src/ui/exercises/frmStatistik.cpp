#include "exercises/frmStatistik.h"

#include "exercises/AccuracyChart.h"
#include "Fonts.h"
#include "SecondaryWindow.h"

#include <QChartView>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace stats;

namespace {

constexpr double kClientWidth = 11400;    // twips
constexpr double kClientHeight = 8400;    // twips
constexpr int kShownConfusions = 3;
constexpr int kCurveWindow = 20;          // times the chart's accuracy is taken over
constexpr int kDefaultGroups = 20;

const QLocale &danish()
{
    static const QLocale locale(QLocale::Danish, QLocale::Denmark);
    return locale;
}

QTableWidgetItem *cell(const QString &text, bool right = true)
{
    auto *item = new QTableWidgetItem(text);
    if (right)
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

} // namespace

frmStatistik::frmStatistik(QString statsPath, QWidget *owner) : QDialog(owner)
{
    exercises::applyLayoutFont(*this);
    ui::setupSecondaryWindow(*this, owner, {kClientWidth, kClientHeight});
    setWindowTitle(tr("Statistik"));

    tblTegn = new QTableWidget(0, 6, this);
    tblTegn->setObjectName(QStringLiteral("tblTegn"));
    tblTegn->setAccessibleName(tr("Tegn, det svageste først"));
    tblTegn->setHorizontalHeaderLabels({tr("Tegn"), tr("Gange"), tr("Nøjagtighed (sidste 100)"),
                                        tr("Tendens"), tr("Forvekslinger"), tr("Reaktionstid")});
    tblTegn->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblTegn->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblTegn->setSelectionMode(QAbstractItemView::SingleSelection);
    tblTegn->verticalHeader()->setVisible(false);
    tblTegn->horizontalHeader()->setStretchLastSection(true);
    auto *tableLabel = new QLabel(tr("&Tegn (det svageste først):"), this);
    tableLabel->setBuddy(tblTegn);

    chtTegn = new QChartView(this);
    chtTegn->setObjectName(QStringLiteral("chtTegn"));
    chtTegn->setAccessibleName(tr("Nøjagtighed for det valgte tegn over tid"));
    chtTegn->setRenderHint(QPainter::Antialiasing);
    chtTegn->setFocusPolicy(Qt::StrongFocus);

    txtAntal = new QSpinBox(this);
    txtAntal->setObjectName(QStringLiteral("txtAntal"));
    txtAntal->setRange(practice::kMinGroupCount, practice::kMaxGroupCount);
    txtAntal->setValue(kDefaultGroups);
    cmdØv = new QPushButton(tr("Øv &svage tegn"), this);
    cmdØv->setObjectName(QStringLiteral("cmdØv"));
    cmdØv->setDefault(true);
    cmdLuk = new QPushButton(tr("&Luk"), this);
    cmdLuk->setObjectName(QStringLiteral("cmdLuk"));
    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setWordWrap(true);

    auto *count = new QFormLayout;
    count->addRow(tr("&Antal grupper:"), txtAntal);
    auto *bottom = new QHBoxLayout;
    bottom->addLayout(count);
    bottom->addStretch();
    bottom->addWidget(cmdØv);
    bottom->addWidget(cmdLuk);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(tableLabel);
    layout->addWidget(tblTegn, 1);
    layout->addWidget(chtTegn, 1);
    layout->addWidget(lblStatus);
    layout->addLayout(bottom);

    connect(cmdØv, &QPushButton::clicked, this, &frmStatistik::cmdØv_Click);
    connect(cmdLuk, &QPushButton::clicked, this, &QDialog::reject);
    connect(tblTegn, &QTableWidget::currentCellChanged, this,
            [this](int row) { showCharacter(row); });

    const CharacterStats store(statsPath);
    CharacterStats::Contents contents = store.read();
    m_events = std::move(contents.events);
    m_summaries = summarize(m_events);
    QStringList notes;
    if (!contents.readable)
        notes << tr("Statistikken kunne ikke læses fra %1.").arg(store.path());
    else if (contents.skipped == 1)
        notes << tr("En beskadiget linje i statistikken blev sprunget over.");
    else if (contents.skipped > 1)
        notes << tr("%1 beskadigede linjer i statistikken blev sprunget over.").arg(contents.skipped);
    if (m_summaries.empty())
        notes << tr("Der er ingen tegn i statistikken endnu. Tegnene fra Modtagetræning, "
                    "Koch-kursus og Genkendelse kommer med her.");
    lblStatus->setText(notes.join(u' '));
    lblStatus->setVisible(!notes.isEmpty());

    tblTegn->setRowCount(int(m_summaries.size()));
    for (int r = 0; r < int(m_summaries.size()); ++r) {
        const Summary &s = m_summaries[size_t(r)];
        QStringList confusions;
        for (size_t i = 0; i < s.confusions.size() && int(i) < kShownConfusions; ++i) {
            const Confusion &c = s.confusions[i];
            confusions << tr("%1 → %2 %3 ×")
                              .arg(s.character, c.takenFor.isEmpty() ? tr("(intet)") : c.takenFor)
                              .arg(c.count);
        }
        tblTegn->setItem(r, 0, cell(s.character, false));
        tblTegn->setItem(r, 1, cell(QString::number(s.total)));
        tblTegn->setItem(r, 2, cell(danish().toString(s.accuracy, 'f', 0) + QStringLiteral(" %")));
        tblTegn->setItem(r, 3, cell(s.trend ? (*s.trend > 0 ? QStringLiteral("+") : QString())
                                            + danish().toString(*s.trend, 'f', 0)
                                        : QStringLiteral("–")));
        tblTegn->setItem(r, 4, cell(confusions.join(QStringLiteral(", ")), false));
        tblTegn->setItem(r, 5, cell(s.meanReactionMs ? tr("%1 ms").arg(qRound(*s.meanReactionMs))
                                                     : QStringLiteral("–")));
    }
    tblTegn->resizeColumnsToContents();
    bool anyWeak = false;
    for (const Summary &s : m_summaries)
        anyWeak = anyWeak || s.errorRate() > 0;
    cmdØv->setEnabled(anyWeak);
    txtAntal->setEnabled(anyWeak);
    if (m_summaries.empty())
        showCharacter(-1);
    else
        tblTegn->setCurrentCell(0, 0);
    tblTegn->setFocus();
}

void frmStatistik::showCharacter(int row)
{
    ui::AccuracySeries series;
    QString character;
    if (row >= 0 && row < int(m_summaries.size())) {
        character = m_summaries[size_t(row)].character;
        const std::vector<double> curve = accuracyCurve(m_events, character, kCurveWindow);
        series.points.reserve(curve.size());
        for (size_t i = 0; i < curve.size(); ++i)
            series.points.emplace_back(double(i + 1), curve[i]);
        series.name = character;
    }
    const double count = double(series.points.size());
    ui::showAccuracyChart(chtTegn, {series}, count, tr("Gange hørt"), tr("Nøjagtighed (%)"),
                          tr("Intet tegn valgt"));
    if (!character.isEmpty())
        chtTegn->chart()->setTitle(tr("Nøjagtighed for %1 over tid (de sidste %2 gange hver gang)")
                                       .arg(character)
                                       .arg(kCurveWindow));
}

void frmStatistik::cmdØv_Click()
{
    const QString text = weakGroups(m_summaries, txtAntal->value(), newRandom());
    if (text.isEmpty())
        return;
    m_generated = text;
    accept();
}
