#pragma once
// The "Forhold" group of the receiving practice: a preset and the band conditions
// the attempt is heard through (S/N, filter, fading, other stations, static).

#include "engine/BandConditions.h"

#include <QGroupBox>

class QComboBox;
class QSpinBox;

class ConditionsBox : public QGroupBox {
    Q_OBJECT
public:
    explicit ConditionsBox(QWidget *parent);

    void setConditions(const band::Conditions &conditions);
    // The conditions as set, with seed for their random choices.
    band::Conditions conditions(std::uint64_t seed) const;
    // True once the user has changed anything since setConditions.
    bool changed() const { return m_changed; }
    void clearChanged() { m_changed = false; }

    QComboBox *cboForhold;
    QSpinBox *spnSN;
    QComboBox *cboFilter;
    QComboBox *cboQSB;
    QSpinBox *spnQRM;
    QComboBox *cboQRN;

private:
    void presetChosen(int index);
    void valueEdited();
    void updateEnabled();

    bool m_loading = false;
    bool m_changed = false;
};
