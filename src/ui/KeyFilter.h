#pragma once
// The key filter of the text boxes: a typed character is upper-cased (optionally,
// the Windows-1252 mapping) and kept only when it is in the box's accepted set or is
// one of the six control codes every box accepts (Backspace, CR, LF, Ctrl+C, Ctrl+V,
// Ctrl+X). Keys that type no character (arrows, Delete, Home...) are not filtered.

#include <QObject>
#include <QString>

class QWidget;

namespace ui {

// What the user can type into the main window's text box and the receiving
// practice's copy box (besides the accepted control keys).
inline constexpr QStringView kTextBoxAccepted =
    u" ABCDEFGHIJKLMNOPQRSTUVWXYZÆØÅ12434567890/#?,.-:()=<>$!;\"_'ÉÜÑ";

// The character to type for c: c, or its upper case, when accepted; QChar() when
// the key is discarded.
QChar filterCharacter(QChar c, const QString &accepted, bool upperCase);

// True for the characters a key press can hand to the filter: the control codes
// 1..31 and the printable ones (Delete, 127, types nothing and is never filtered).
bool isTypedCharacter(QChar c);

class KeyFilter : public QObject {
    Q_OBJECT
public:
    KeyFilter(QString accepted, bool upperCase, QObject *parent);
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString m_accepted;
    bool m_upperCase;
};

// Installs a KeyFilter on edit (owned by it).
void installKeyFilter(QWidget *edit, const QString &accepted, bool upperCase);

} // namespace ui
