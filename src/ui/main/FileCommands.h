#pragma once
// The "&Filer" menu's work: the current file name, the open and save dialogs, and
// reading and writing text files with CR LF line ends, in the encoding the file was
// read in (Windows-1252 for a new text).

#include "engine/FileTarget.h"
#include "engine/TextFile.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTextOption>

class QLabel;
class QWidget;
class TextBox;

class FileCommands : public QObject {
    Q_OBJECT
public:
    // Dialogs and messages are owned by owner; box is the text, status the panel
    // that shows the path of the file last opened.
    FileCommands(QWidget &owner, TextBox &box, QLabel &status);

    // Empty: the text has no file yet.
    QString fileName() const { return m_fileName; }
    // How the text was read, and how "&Gem" and "Gem so&m..." write it.
    textfile::Encoding encoding() const { return m_encoding; }

    void newText();     // "&Ny"
    void open();        // "Å&bn...": the dialog, then load()
    void save();        // "&Gem": to the current file, or as Save As without one
    void saveAs();      // "Gem so&m...": the dialog, then saveTo()

    // Files above this are refused: loading takes about 0.1 s and 7 MB of memory per
    // MB of text (16 MiB: 1.5 s), so a larger file would freeze the window for many
    // seconds; a practice text is a few kilobytes.
    static constexpr qint64 kMaxFileBytes = qint64(16) << 20;
    // Longer words make the box wrap anywhere, not only at blanks.
    static constexpr qsizetype kLongWordChars = 1000;

    // Reads the whole file before anything changes. On failure (no regular file,
    // above kMaxFileBytes, unreadable, a name that is not UTF-8 and so may address
    // another file) the text, the file name and the status panel stay as they were
    // and a message says why.
    bool load(const QString &path);
    // Writes through a FileTarget: a regular file through a temporary file that
    // replaces it only when complete, so a failure leaves the old file intact; a
    // device or FIFO in place; other special files refused. False: not written
    // (failure, a name that is not UTF-8, or the user declined to write unencodable
    // characters as '?'), the file name unchanged.
    bool saveTo(const QString &path);

private:
    enum class Dialog { Open, Save };
    QString askFileName(Dialog kind);
    void rememberDirectory(const QString &path);
    QString tooLarge(qint64 bytes) const;
    bool confirmReplace(const QString &path);

    QWidget &m_owner;
    TextBox &m_box;
    QLabel &m_status;
    QString m_fileName;
    textfile::Encoding m_encoding = textfile::Encoding::Windows1252;
    QString m_directory;    // where the last dialog was confirmed
    QTextOption::WrapMode m_wordWrap;   // the box's own mode, for texts without long words
};
