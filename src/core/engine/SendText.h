#pragma once
// The text the engine sends for a text the user typed or opened.

#include <QString>
#include <QStringList>
#include <QStringView>

namespace morse {

// The typed text in upper case (Windows-1252 rules, length kept, so positions
// in it are positions in the typed text) with one blank appended, so that the
// last character is followed by a word space before the sound ends.
QString sendText(const QString &typed);

// What the symbol source will make of a send text.
struct SendCheck {
    // Characters (and "<XY>" prosigns) the code table lacks, each once, in the order
    // they first appear; they sound as silence. Line ends and tabs are not among them.
    QStringList unsendable;
    bool anySound = false;      // at least one character sounds
};
SendCheck checkSendText(QStringView text);

} // namespace morse
