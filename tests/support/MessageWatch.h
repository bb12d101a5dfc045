#pragma once
// Records every message box that shows up while it lives, whoever opens it, and
// answers it with its default (or escape) button, so no command can hang a test on
// a box nobody expected.

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QPointer>
#include <QTimer>

class MessageWatch : public QObject {
public:
    MessageWatch()
    {
        m_timer.setInterval(10);
        connect(&m_timer, &QTimer::timeout, this, [this] { poll(); });
        m_timer.start();
    }

    QStringList messages;

private:
    void poll()
    {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<QMessageBox *>(w);
            if (!box || !box->isVisible() || m_answered.contains(box))
                continue;
            m_answered << box;
            messages << box->text();
            QTimer::singleShot(0, box, [box] {
                if (QAbstractButton *b = box->defaultButton())
                    b->click();
                else if (QAbstractButton *e = box->escapeButton())
                    e->click();
                else
                    box->reject();
            });
        }
    }

    QTimer m_timer;
    QList<QPointer<QMessageBox>> m_answered;
};
