#pragma once
// What the four exercise windows share beyond the text rules: the hook through which
// they get a random source (a fixed seed in tests), the font their layout was measured
// in, the group-count check, and the focus rule of their option buttons.

#include "exercises/PracticeText.h"
#include "Fonts.h"     // ui::fitCaptions, which every exercise window calls

#include <functional>

class QDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

namespace exercises {

// True when set holds a character, other than the blank, that is sent as Morse code
// (after upper-casing, as sending does).
bool hasSendableCharacter(QStringView set);

// Before groups are drawn from the character box txtTegn: when it holds nothing
// to send, says so, puts the focus in the box and returns false; the main window's
// text then stays as it was.
bool checkCharacters(QDialog &window, QLineEdit *txtTegn);

// The key filters of the count and character boxes: a typed character is kept when it
// is in the text (or is one of the six control codes every box accepts). The count
// box takes digits (4 is listed twice); the character box upper-cases first and takes
// only characters with a Morse code of their own ("#", "<" and ">" have none: a group
// holding them would be silent or swallow its neighbours into a prosign). How this set
// differs from the code table's and the exercises' is told in engine/MorseTable.h.
inline constexpr QStringView kCountAccepted = u"12434567890";
inline constexpr QStringView kCharactersAccepted =
    u" ABCDEFGHIJKLMNOPQRSTUVWXYZÆØÅ12434567890/?,.-:()=";
constexpr int kCountBoxLength = 3;      // characters the count box holds (up to 300)

// Gives a new random source for every generation.
using RandomFactory = std::function<practice::Uniform()>;

// The group count of txtAntal, 1 to 300. Otherwise 0, after saying so in a message
// box and putting the focus back into the box.
int checkedGroupCount(QWidget &window, QLineEdit *txtAntal);

// The font the windows were laid out with (8.25 point sans serif), so that their
// twips positions fit their captions.
void applyLayoutFont(QWidget &window);

// An option button that receives the focus becomes selected and raises its click,
// as the option groups of these windows expect. Qt's own radio buttons select only
// on a click or an arrow key, so the first option would open unselected.
void selectOnFocus(QRadioButton *button, std::function<void()> click);

// The two command buttons of every exercise window, the one below the other: the
// default button cmdØvelse with the given caption at (left, top) twips, and cmdLuk
// ("&Luk"), which closes the window.
void addCommandButtons(QDialog &window, const QString &caption, double left, double top,
                       QPushButton *&cmdØvelse, QPushButton *&cmdLuk);

// Twips rectangles: left, top, width, height.
struct TwipsRect {
    double left, top, width, height;
};

// The "5-bogstavsgrupper" frame Frame2 of the two group windows: the count box
// txtAntal (20 to start with), the label Label3 ("Bestående af tegnene:") and the
// character box txtTegn, each box with its key filter. The frame's rectangle is in
// the window, the others in the frame. What stands before the count box is the
// caller's.
struct GroupsFrameLayout {
    TwipsRect frame, count, label, characters;
};
struct GroupsFrame {
    QGroupBox *&Frame2;
    QLineEdit *&txtAntal;
    QLineEdit *&txtTegn;
    QLabel *&Label3;
};
void addGroupsFrame(QDialog &window, const GroupsFrameLayout &twips, GroupsFrame made);

} // namespace exercises
