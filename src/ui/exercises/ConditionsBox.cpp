#include "exercises/ConditionsBox.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QSpinBox>

#include <cmath>

namespace {

// The presets' list entries; the last one, "Egne", is whatever the controls say.
int ownIndex()
{
    return int(band::presets().size());
}

} // namespace

ConditionsBox::ConditionsBox(QWidget *parent) : QGroupBox(tr("Forhold"), parent)
{
    setObjectName(QStringLiteral("grpForhold"));
    cboForhold = new QComboBox(this);
    for (const band::Preset &p : band::presets()) {
        const QString name = QString::fromUtf16(p.name);
        cboForhold->addItem(p.active ? tr("%1 (%2 dB)").arg(name).arg(p.snrDb, 0, 'f', 0) : name);
    }
    cboForhold->addItem(tr("Egne"));
    spnSN = new QSpinBox(this);
    spnSN->setRange(int(band::kMinSnrDb), int(band::kMaxSnrDb));
    spnSN->setSuffix(tr(" dB"));
    cboFilter = new QComboBox(this);
    for (int w : band::kFilterWidths)
        cboFilter->addItem(tr("%1 Hz").arg(w), w);
    cboQSB = new QComboBox(this);
    cboQSB->addItems({tr("Ingen"), tr("Langsom"), tr("Hurtig"), tr("Flagren")});
    spnQRM = new QSpinBox(this);
    spnQRM->setRange(0, band::kMaxQrm);
    cboQRN = new QComboBox(this);
    cboQRN->addItems({tr("Ingen"), tr("Let"), tr("Kraftig")});

    auto *grid = new QGridLayout(this);
    const auto add = [this, grid](QWidget *w, const char *name, const QString &caption,
                                  const QString &accessible, int row, int column) {
        w->setObjectName(QString::fromLatin1(name));
        w->setAccessibleName(accessible);
        auto *label = new QLabel(caption, this);
        label->setBuddy(w);
        grid->addWidget(label, row, 2 * column);
        grid->addWidget(w, row, 2 * column + 1);
    };
    add(cboForhold, "cboForhold", tr("&Forhold:"), tr("Forudindstillede forhold"), 0, 0);
    add(spnSN, "spnSN", tr("S/N i 500 Hz (d&B):"), tr("Signal/støj i 500 Hz"), 0, 1);
    add(cboFilter, "cboFilter", tr("F&ilter:"), tr("CW-filter"), 0, 2);
    add(cboQSB, "cboQSB", tr("&QSB:"), tr("Fading (QSB)"), 1, 0);
    add(spnQRM, "spnQRM", tr("QR&M:"), tr("Andre stationer (QRM)"), 1, 1);
    add(cboQRN, "cboQRN", tr("QRN (&knitren):"), tr("Atmosfærisk støj (QRN)"), 1, 2);

    connect(cboForhold, &QComboBox::activated, this, &ConditionsBox::presetChosen);
    connect(spnSN, &QSpinBox::valueChanged, this, &ConditionsBox::valueEdited);
    for (QComboBox *c : {cboFilter, cboQSB, cboQRN})
        connect(c, &QComboBox::currentIndexChanged, this, &ConditionsBox::valueEdited);
    connect(spnQRM, &QSpinBox::valueChanged, this, &ConditionsBox::valueEdited);
    setConditions({});
}

void ConditionsBox::setConditions(const band::Conditions &conditions)
{
    const band::Conditions c = band::bounded(conditions);
    m_loading = true;
    spnSN->setValue(int(std::lround(c.snrDb)));
    cboFilter->setCurrentIndex(std::max(0, cboFilter->findData(c.filterHz)));
    cboQSB->setCurrentIndex(int(c.qsb));
    spnQRM->setValue(c.qrm);
    cboQRN->setCurrentIndex(int(c.qrn));
    int preset = c.active ? ownIndex() : 0;
    for (int i = 1; c.active && i < ownIndex(); ++i)
        if (band::presets()[size_t(i)].snrDb == std::round(c.snrDb))
            preset = i;
    cboForhold->setCurrentIndex(preset);
    m_loading = false;
    m_changed = false;
    updateEnabled();
}

band::Conditions ConditionsBox::conditions(std::uint64_t seed) const
{
    band::Conditions c;
    c.active = cboForhold->currentIndex() != 0;
    c.snrDb = spnSN->value();
    c.filterHz = cboFilter->currentData().toInt();
    c.qsb = band::Fading(cboQSB->currentIndex());
    c.qrm = spnQRM->value();
    c.qrn = band::Static(cboQRN->currentIndex());
    c.seed = seed;
    return c;
}

void ConditionsBox::presetChosen(int index)
{
    if (index > 0 && index < ownIndex()) {
        m_loading = true;
        spnSN->setValue(int(band::presets()[size_t(index)].snrDb));
        m_loading = false;
    }
    m_changed = true;
    updateEnabled();
}

void ConditionsBox::valueEdited()
{
    if (m_loading)
        return;
    m_changed = true;
    // A value of one's own turns a preset into "Egne"; "Ren" stays clean.
    const int preset = cboForhold->currentIndex();
    if (preset > 0 && preset < ownIndex() && band::presets()[size_t(preset)].snrDb != spnSN->value())
        cboForhold->setCurrentIndex(ownIndex());
}

void ConditionsBox::updateEnabled()
{
    const bool active = cboForhold->currentIndex() != 0;
    for (QWidget *w : std::initializer_list<QWidget *>{spnSN, cboFilter, cboQSB, spnQRM, cboQRN})
        w->setEnabled(active);
}
