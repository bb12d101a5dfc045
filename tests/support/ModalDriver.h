#pragma once
// Acts on the modal dialogs a test's command opens, one step per dialog, in order,
// from a timer while the command's own event loop runs. Made with AnswerEveryMessage,
// it instead records every message box that shows up while it lives, whoever opens
// it, and answers it with the next of `answers` or, when those run out, its default
// (or escape) button, so no command can hang a test on a box nobody expected.

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <deque>
#include <functional>

class ModalDriver : public QObject {
public:
    using Step = std::function<void(QWidget *dialog)>;

    enum Mode { Scripted, AnswerEveryMessage };

    explicit ModalDriver(Mode mode = Scripted) : m_mode(mode)
    {
        m_timer.setInterval(10);
        connect(&m_timer, &QTimer::timeout, this, [this] { poll(); });
        m_timer.start();
    }

    void then(Step step) { m_steps.push_back(std::move(step)); }

    // Records a message box's text and presses its button.
    void thenMessage(QMessageBox::StandardButton button = QMessageBox::Ok)
    {
        then([this, button](QWidget *w) {
            auto *box = qobject_cast<QMessageBox *>(w);
            if (!box) {
                messages << QStringLiteral("<not a message box: %1>").arg(w->metaObject()->className());
                w->close();
                return;
            }
            record(*box);
            if (QAbstractButton *b = box->button(button))
                b->click();
            else
                box->reject();
        });
    }

    bool done() const { return m_steps.empty(); }

    // What every message box showed, in the order shown.
    QStringList messages;
    QStringList titles;
    QList<QMessageBox::Icon> icons;
    QList<QMessageBox::StandardButtons> buttons;
    QList<QMessageBox::StandardButton> defaultButtons;
    // AnswerEveryMessage: the buttons pressed, in order, before the default ones.
    QList<QMessageBox::StandardButton> answers;

private:
    void poll()
    {
        if (m_mode == AnswerEveryMessage) {
            answerMessages();
            return;
        }
        QWidget *w = QApplication::activeModalWidget();
        if (!w || w == m_last || m_steps.empty() || !w->isVisible())
            return;
        m_last = w;
        Step step = std::move(m_steps.front());
        m_steps.pop_front();
        // Outside this timer's handler, so a dialog the step opens gets answered too.
        QTimer::singleShot(0, w, [step = std::move(step), w] { step(w); });
    }

    void record(const QMessageBox &box)
    {
        messages << box.text();
        titles << box.windowTitle();
        icons << box.icon();
        buttons << box.standardButtons();
        defaultButtons << (box.defaultButton() ? box.standardButton(box.defaultButton())
                                               : QMessageBox::NoButton);
    }

    void answerMessages()
    {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<QMessageBox *>(w);
            if (!box || !box->isVisible() || m_answered.contains(box))
                continue;
            m_answered << box;
            record(*box);
            const QMessageBox::StandardButton answer =
                answers.isEmpty() ? QMessageBox::NoButton : answers.takeFirst();
            QTimer::singleShot(0, box, [box, answer] {
                if (QAbstractButton *a = box->button(answer))
                    a->click();
                else if (QAbstractButton *b = box->defaultButton())
                    b->click();
                else if (QAbstractButton *e = box->escapeButton())
                    e->click();
                else
                    box->reject();
            });
        }
    }

    Mode m_mode;
    QTimer m_timer;
    std::deque<Step> m_steps;
    QPointer<QWidget> m_last;
    QList<QPointer<QMessageBox>> m_answered;
};
