#include "ui/main/FileCommands.h"

#include "app/ProgramInfo.h"
#include "engine/Cp1252.h"
#include "ui/main/TextBox.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLabel>
#include <QMessageBox>
#include <QSaveFile>

namespace textfile {

QString textFromBytes(const QByteArray &bytes)
{
    const QString decoded = cp1252::decode(bytes);
    QString text;
    text.reserve(decoded.size() + decoded.size() / 32 + 2);
    qsizetype start = 0;
    while (start < decoded.size()) {
        qsizetype cr = decoded.indexOf(u'\r', start);
        if (cr < 0)
            cr = decoded.size();
        text += QStringView(decoded).mid(start, cr - start);
        text += QLatin1String("\r\n");
        start = cr + 1;
        if (start < decoded.size() && decoded[start] == u'\n')
            ++start;
    }
    return text;
}

QByteArray bytesFromText(const QString &text, bool *lossy)
{
    return cp1252::encode(text + QLatin1String("\r\n"), lossy);
}

} // namespace textfile

namespace {

const char *const kTextFilter = QT_TRANSLATE_NOOP("FileCommands", "Tekstfiler(*.txt)");
const char *const kAllFilter = QT_TRANSLATE_NOOP("FileCommands", "Alle filer(*.*)");

} // namespace

FileCommands::FileCommands(QWidget &owner, TextBox &box, QLabel &status)
    : QObject(&owner), m_owner(owner), m_box(box), m_status(status)
{
}

void FileCommands::newText()
{
    m_box.setText(QString());
    m_fileName.clear();
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
    bool ok = file.open(QIODevice::ReadOnly);
    if (ok) {
        bytes = file.readAll();
        ok = file.error() == QFileDevice::NoError;
    }
    if (!ok) {
        QMessageBox::critical(&m_owner, program::title(),
                              tr("Filen kunne ikke åbnes.") + QLatin1String("\n\n")
                                  + QDir::toNativeSeparators(path) + QLatin1Char('\n')
                                  + file.errorString());
        return false;
    }
    m_box.setText(textfile::textFromBytes(bytes));
    m_fileName = path;
    m_status.setText(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
    return true;
}

bool FileCommands::saveTo(const QString &path)
{
    bool lossy = false;
    const QByteArray bytes = textfile::bytesFromText(m_box.Text(), &lossy);
    if (lossy) {
        const auto answer = QMessageBox::warning(
            &m_owner, program::title(),
            tr("Teksten indeholder tegn, der ikke kan gemmes i en tekstfil.\n"
               "Skal de gemmes som \"?\"?"),
            QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel);
        if (answer != QMessageBox::Ok)
            return false;
    }
    QSaveFile file(path);
    const bool ok = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size()
                    && file.commit();
    if (!ok) {
        const QString reason = file.errorString();
        file.cancelWriting();
        QMessageBox::critical(&m_owner, program::title(),
                              tr("Filen kunne ikke gemmes.") + QLatin1String("\n\n")
                                  + QDir::toNativeSeparators(path) + QLatin1Char('\n') + reason);
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
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    const QString path = dialog.selectedFiles().value(0);
    rememberDirectory(path);
    return path;
}

void FileCommands::rememberDirectory(const QString &path)
{
    if (!path.isEmpty())
        m_directory = QFileInfo(path).absolutePath();
}
