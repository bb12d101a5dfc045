#pragma once
// The key filter of the text boxes: typed text is upper-cased (optionally, the
// Windows-1252 mapping) and a character is kept only when it is in the box's accepted
// set or is one of the six control codes every box accepts (Backspace, CR, LF, Ctrl+C,
// Ctrl+V, Ctrl+X). Key presses and input-method text (dead keys, compose sequences,
// input methods) pass the same rule. Keys that type no character (arrows, Delete,
// Home...) are not filtered; pasted text is not either.

#include <QObject>
#include <QString>

class QInputMethodEvent;
class QKeyEvent;
class QWidget;

namespace ui {

// What the user can type into the main window's text box and the receiving
// practice's copy box (besides the accepted control keys).
inline constexpr QStringView kTextBoxAccepted =
    u" ABCDEFGHIJKLMNOPQRSTUVWXYZÆØÅ12434567890/#?,.-:()=<>$!;\"_'ÉÜÑ";

// What the filter keeps of typed text, character by character. A character outside
// the Basic Multilingual Plane (a surrogate pair) is always discarded. The control
// codes are kept only when controls is true: they are editing keys of a key press,
// never characters an input method commits into the text.
QString filterText(const QString &text, const QString &accepted, bool upperCase, bool controls);

class KeyFilter : public QObject {
    Q_OBJECT
public:
    KeyFilter(QString accepted, bool upperCase, QObject *parent);
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool filterKeyPress(QObject *watched, const QKeyEvent &key);
    bool filterInputMethod(QObject *watched, const QInputMethodEvent &input);
    // Delivers a rewritten event to watched without passing this filter again.
    void deliver(QObject *watched, QEvent &event);

    QString m_accepted;
    bool m_upperCase;
};

// Installs a KeyFilter on edit (owned by it).
void installKeyFilter(QWidget *edit, const QString &accepted, bool upperCase);

} // namespace ui
