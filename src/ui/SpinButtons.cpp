#include "SpinButtons.h"

#include "settings/SettingsStore.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QToolButton>

#include <algorithm>

SpinButtons::SpinButtons(QLineEdit *buddy, int minimum, int maximum, int step, QWidget *parent)
    : QWidget(parent), m_buddy(buddy), m_up(new QToolButton(this)), m_down(new QToolButton(this)),
      m_minimum(minimum), m_maximum(maximum), m_step(step)
{
    setFocusPolicy(Qt::StrongFocus);
    for (QToolButton *b : {m_up, m_down}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRepeat(true);
        b->setAutoRaise(false);
    }
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    m_up->setObjectName(QStringLiteral("up"));
    m_down->setObjectName(QStringLiteral("down"));
    m_up->setAccessibleName(tr("Op"));
    m_down->setAccessibleName(tr("Ned"));
    setAccessibleDescription(tr("Pil op og pil ned ændrer værdien."));
    connect(m_up, &QToolButton::clicked, this, [this] { stepBy(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { stepBy(-1); });
    m_buddy->installEventFilter(this);
}

bool SpinButtons::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_buddy && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            stepBy(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

int SpinButtons::value() const
{
    bool ok = false;
    const int shown = m_buddy->text().toInt(&ok);
    return ok ? shown : m_minimum;
}

void SpinButtons::stepBy(int steps)
{
    const int current = value();
    const long long target = static_cast<long long>(current) + static_cast<long long>(steps) * m_step;
    const int next = static_cast<int>(std::clamp<long long>(target, m_minimum, m_maximum));
    if (next == current)
        return;                          // at a bound: no wrap, no change event
    m_buddy->setText(settings::integerText(next));
    emit valueChanged(next);
}

void SpinButtons::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Up:
        stepBy(1);
        break;
    case Qt::Key_Down:
        stepBy(-1);
        break;
    default:
        QWidget::keyPressEvent(event);   // Enter, Escape and Tab reach the dialog
        return;
    }
    event->accept();
}

void SpinButtons::paintEvent(QPaintEvent *)
{
    if (!hasFocus())
        return;
    // The buttons leave a one-pixel margin for the focus frame.
    QStylePainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
}

void SpinButtons::resizeEvent(QResizeEvent *)
{
    const QRect inner = rect().adjusted(1, 1, -1, -1);
    const int upHeight = inner.height() / 2;
    m_up->setGeometry(inner.left(), inner.top(), inner.width(), upHeight);
    m_down->setGeometry(inner.left(), inner.top() + upHeight, inner.width(),
                        inner.height() - upHeight);
}

void SpinButtons::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update();
}

void SpinButtons::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update();
}
