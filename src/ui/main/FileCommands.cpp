#include "main/FileCommands.h"

#include "program/ProgramInfo.h"
#include "engine/Cp1252.h"
#include "engine/FileName.h"
#include "engine/FileTarget.h"
#include "FileProblem.h"
#include "main/TextBox.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLabel>
#include <QMessageBox>
#include <QLocale>

#include <algorithm>

namespace {

const char *const kTextFilter = QT_TRANSLATE_NOOP("FileCommands", "Tekstfiler(*.txt)");
const char *const kAllFilter = QT_TRANSLATE_NOOP("FileCommands", "Alle filer(*.*)");
const char *const kTextExtension = "txt";
// Under a name Qt could not decode, a file dialog's choice may name another file.
const char *const kInexactName = QT_TRANSLATE_NOOP(
    "FileCommands", "Navnet indeholder tegn, der ikke er UTF-8, og kan derfor ikke bruges. "
                    "Giv filen eller mappen et nyt navn.");

} // namespace

FileCommands::FileCommands(QWidget &owner, TextBox &box, QLabel &status)
    : QObject(&owner), m_owner(owner), m_box(box), m_status(status), m_wordWrap(box.wordWrapMode())
{
}

void FileCommands::newText()
{
    m_box.setWordWrapMode(m_wordWrap);
    m_box.setText(QString());
    m_fileName.clear();
    m_encoding = textfile::Encoding::Windows1252;
}

void FileCommands::open()
{
    const QString path = askFileName(Dialog::Open);
    if (!path.isEmpty())
        load(path);
}

void FileCommands::save()
{
    if (m_fileName.isEmpty())
        saveAs();
    else
        saveTo(m_fileName);
}

void FileCommands::saveAs()
{
    const QString path = askFileName(Dialog::Save);
    if (!path.isEmpty() && saveTo(path))
        m_fileName = path;
}

bool FileCommands::load(const QString &path)
{
    QFile file(path);
    QByteArray bytes;
    QString reason;
    const QFileInfo info(path);
    // Only a regular file: a pipe would block the window until someone writes to
    // it, a device like /dev/zero never ends.
    if (!filename::isExact(path)) {
        reason = tr(kInexactName);
    } else if (info.exists() && !info.isFile()) {
        reason = info.isDir() ? tr("Det er en mappe.") : tr("Det er ikke en almindelig fil.");
    } else if (info.size() > kMaxFileBytes) {
        reason = tooLarge(info.size());
    } else if (!file.open(QIODevice::ReadOnly)) {
        reason = file.errorString();
    } else {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        // One byte more than allowed tells a file that grew (or a size the system
        // does not report, as in /proc) from one that fits.
        bytes = file.read(kMaxFileBytes + 1);
        QApplication::restoreOverrideCursor();
        if (file.error() != QFileDevice::NoError)
            reason = file.errorString();
        else if (bytes.size() > kMaxFileBytes)
            reason = tooLarge(std::max<qint64>(file.size(), bytes.size()));
    }
    if (!reason.isEmpty()) {
        QMessageBox::critical(&m_owner, program::title(),
                              tr("Filen kunne ikke åbnes.") + QLatin1String("\n\n")
                                  + QDir::toNativeSeparators(path) + QLatin1Char('\n') + reason);
        return false;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    textfile::Encoding encoding = textfile::Encoding::Windows1252;
    const QString text = textfile::textFromBytes(bytes, &encoding);
    // The box lays out a word wider than itself in time that grows with the square
    // of its length (a 1 MB word takes over a minute); breaking anywhere is linear.
    m_box.setWordWrapMode(textfile::longestWord(text) > kLongWordChars ? QTextOption::WrapAnywhere
                                                                       : m_wordWrap);
    m_box.setText(text);
    QApplication::restoreOverrideCursor();
    m_fileName = path;
    m_encoding = encoding;
    m_status.setText(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
    return true;
}

QString FileCommands::tooLarge(qint64 bytes) const
{
    const QLocale locale;
    return tr("Filen fylder %1 MB; der kan højst åbnes filer på %2 MB.")
        .arg(locale.toString(double(bytes) / (1 << 20), 'f', 1),
             locale.toString(kMaxFileBytes >> 20));
}

bool FileCommands::saveTo(const QString &path)
{
    if (!filename::isExact(path)) {
        QMessageBox::critical(&m_owner, program::title(),
                              tr("Filen kunne ikke gemmes.") + QLatin1String("\n\n")
                                  + QDir::toNativeSeparators(path) + QLatin1Char('\n') + tr(kInexactName));
        return false;
    }
    bool lossy = false;
    const QByteArray bytes = textfile::bytesFromText(m_box.Text(), m_encoding, &lossy);
    if (lossy) {
        const auto answer = QMessageBox::warning(
            &m_owner, program::title(),
            tr("Teksten indeholder tegn, der ikke kan gemmes i en tekstfil.\n"
               "Skal de gemmes som \"?\"?"),
            QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel);
        if (answer != QMessageBox::Ok)
            return false;
    }
    FileTarget file;
    if (!file.open(path) || !file.write(bytes) || !file.commit()) {
        QMessageBox::critical(&m_owner, program::title(),
                              FileProblem::message(tr("Filen kunne ikke gemmes."), path, file.result()));
        return false;
    }
    return true;
}

QString FileCommands::askFileName(Dialog kind)
{
    const bool opening = kind == Dialog::Open;
    QFileDialog dialog(&m_owner, opening ? tr("Åbn") : tr("Gem som"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(opening ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    // Asked below, about the name with the extension the filter adds.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setFileMode(opening ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    const QString textFilter = tr(kTextFilter);
    const QString allFilter = tr(kAllFilter);
    dialog.setNameFilters({textFilter, allFilter});
    dialog.selectNameFilter(textFilter);
    // "*.*" is meant as every file, also one without a dot in its name.
    auto *model = dialog.findChild<QFileSystemModel *>();
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [model, allFilter](const QString &f) {
        if (model && f == allFilter)
            model->setNameFilters({QStringLiteral("*")});
    });
    if (!m_fileName.isEmpty())
        dialog.selectFile(m_fileName);
    else if (!m_directory.isEmpty())
        dialog.setDirectory(m_directory);
    for (;;) {
        if (dialog.exec() != QDialog::Accepted)
            return QString();
        QString path = dialog.selectedFiles().value(0);
        rememberDirectory(path);
        if (opening || path.isEmpty())
            return path;
        // A text file gets its extension, or "Å&bn..." would not show it.
        if (dialog.selectedNameFilter() == textFilter && QFileInfo(path).suffix().isEmpty()
            && !path.endsWith(u'.'))
            path += u'.' + QLatin1String(kTextExtension);
        if (confirmReplace(path))
            return path;
        dialog.selectFile(path);
    }
}

bool FileCommands::confirmReplace(const QString &path)
{
    if (!QFileInfo::exists(path))
        return true;
    return QMessageBox::warning(&m_owner, tr("Gem som"),
                                tr("%1 findes allerede.\nVil du erstatte den?").arg(QFileInfo(path).fileName()),
                                QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
           == QMessageBox::Yes;
}

void FileCommands::rememberDirectory(const QString &path)
{
    if (!path.isEmpty())
        m_directory = QFileInfo(path).absolutePath();
}
