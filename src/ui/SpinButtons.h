#pragma once
// Spin buttons bound to a read-only text box, stepping the number it shows.

#include <QWidget>

class QLineEdit;
class QToolButton;

// Spin buttons bound to a read-only text box: the arrows (or the Up and Down keys
// while the control has the focus) step the number shown in the box by the step
// size and stop at the ends of the range, without wrapping.
class SpinButtons : public QWidget {
    Q_OBJECT
public:
    SpinButtons(QLineEdit *buddy, int minimum, int maximum, int step, QWidget *parent);

    // The number shown in the box; the minimum when the box holds no number.
    int value() const;
    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    int singleStep() const { return m_step; }

    // Moves by steps x the step size from the shown number, clamped into the range.
    // Writes the box and emits valueChanged only when the number changes.
    void stepBy(int steps);

signals:
    void valueChanged(int value);

protected:
    // The Up and Down keys step the value also while its box has the focus.
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    QLineEdit *m_buddy;
    QToolButton *m_up;
    QToolButton *m_down;
    int m_minimum;
    int m_maximum;
    int m_step;
};
