#pragma once
// The character list "Anvendte morsetegn": every character and prosign the program
// sends, with its dots and dashes, built from the engine's own code table.

#include <QDialog>
#include <QString>

#include <string_view>

class QListWidget;
class QPushButton;

namespace ui {

// The dots and dashes of an element pattern: "4" gives ".", the "1" that starts a
// dash ("123") gives "-", every other symbol (the rest of a dash, gaps) nothing.
QString dotDashText(std::string_view pattern);

} // namespace ui

class frmCWTegn : public QDialog {
    Q_OBJECT
public:
    // Builds the rows at once from the code table the symbol source sends by.
    explicit frmCWTegn(QWidget *owner);

    // The 66 tokens in list order, 93 characters; prosigns as "<AR>".
    static const QString &characterList();

private:
    void Form_Load();
    void cmdLuk_Click();

    QListWidget *List1;
    QPushButton *cmdLuk;
};
