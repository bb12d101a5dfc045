#include "main/AudioExport.h"

#include "FileProblem.h"
#include "program/ProgramInfo.h"
#include "engine/FileName.h"
#include "engine/SendText.h"
#include "engine/constants.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>

#include <array>
#include <atomic>
#include <memory>

namespace {

struct Filter {
    const char *text;
    SoundFileFormat format;
};

// In the dialog's order; the first is chosen until the user picks another.
const std::array<Filter, 4> kFilters = {{
    {QT_TRANSLATE_NOOP("AudioExport", "MP3-lyd (*.mp3)"), SoundFileFormat::Mp3},
    {QT_TRANSLATE_NOOP("AudioExport", "Ogg Vorbis-lyd (*.ogg)"), SoundFileFormat::OggVorbis},
    {QT_TRANSLATE_NOOP("AudioExport", "FLAC-lyd (*.flac)"), SoundFileFormat::Flac},
    {QT_TRANSLATE_NOOP("AudioExport", "WAV-lyd (*.wav)"), SoundFileFormat::Wav},
}};

constexpr int kProgressSteps = 1000;
constexpr int kProgressTickMs = 100;

// "m:ss" for a number of samples.
QString soundTime(qint64 samples)
{
    const qint64 seconds = samples / morse::kSampleRate;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

AudioExport::AudioExport(QWidget &owner) : QObject(&owner), m_owner(owner) {}

void AudioExport::saveAs(const QString &text, const Settings &settings, const QString &textFileName,
                         const band::Conditions &conditions)
{
    const QString path = askFileName(textFileName);
    if (!path.isEmpty())
        exportTo(path, text, settings, conditions);
}

QString AudioExport::askFileName(const QString &textFileName)
{
    QFileDialog dialog(&m_owner, tr("Gem lyd som"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // Asked below, about the name with its extension.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    QStringList filters;
    for (const Filter &f : kFilters)
        filters << tr(f.text);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(m_filter.isEmpty() ? filters.first() : m_filter);
    const auto chosenFormat = [&] {
        const qsizetype i = filters.indexOf(dialog.selectedNameFilter());
        return kFilters[size_t(i < 0 ? 0 : i)].format;
    };
    // The text file's name without its extension, where the text file is: the
    // filter the user picks then gives the extension.
    if (!textFileName.isEmpty()) {
        const QFileInfo info(textFileName);
        dialog.setDirectory(m_directory.isEmpty() ? info.absolutePath() : m_directory);
        dialog.selectFile(info.completeBaseName());
    } else if (!m_directory.isEmpty()) {
        dialog.setDirectory(m_directory);
    }

    for (;;) {
        if (dialog.exec() != QDialog::Accepted)
            return QString();
        m_filter = dialog.selectedNameFilter();
        QString path = dialog.selectedFiles().value(0);
        if (path.isEmpty())
            return QString();
        // A sound extension the user typed wins over the filter.
        if (!soundfile::hasSoundExtension(path))
            path += u'.' + soundfile::extension(chosenFormat());
        m_directory = QFileInfo(path).absolutePath();
        // A name Qt could not decode may stand for another file: never write there.
        if (!filename::isExact(path)) {
            QMessageBox::critical(&m_owner, tr("Gem lyd som"),
                                  tr("Navnet indeholder tegn, der ikke er UTF-8, og kan derfor ikke "
                                     "bruges. Giv filen eller mappen et nyt navn."));
            continue;
        }
        if (!QFileInfo::exists(path))
            return path;
        const auto answer = QMessageBox::warning(
            &m_owner, tr("Gem lyd som"),
            tr("%1 findes allerede.\nVil du erstatte den?").arg(QFileInfo(path).fileName()),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer == QMessageBox::Yes)
            return path;
        dialog.selectFile(path);
    }
}

FileResult AudioExport::exportTo(const QString &path, const QString &text, const Settings &settings,
                                 const band::Conditions &conditions)
{
    const QString sendText = morse::sendText(text);
    const SoundFileFormat format = soundfile::formatForName(path);
    std::atomic<qint64> done{0};
    std::atomic<qint64> total{0};
    std::atomic<bool> cancelled{false};
    FileResult result = FileResult::failure(FileResult::Kind::NotRendered);
    const std::unique_ptr<QThread> worker(QThread::create([&, settings] {
        result = soundexport::exportText(settings, sendText, path, format, [&](qint64 d, qint64 t) {
            done = d;
            total = t;
            return !cancelled;
        }, conditions);
    }));

    QEventLoop loop;
    connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    // A short export just runs; input that comes meanwhile waits until it is done.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QTimer delay;
    delay.setSingleShot(true);
    connect(&delay, &QTimer::timeout, &loop, &QEventLoop::quit);
    delay.start(kProgressDelayMs);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    delay.stop();
    QApplication::restoreOverrideCursor();

    if (!worker->isFinished()) {
        QProgressDialog progress(&m_owner);
        progress.setWindowTitle(tr("Gem lyd som"));
        progress.setCancelButtonText(tr("Annuller"));
        progress.setRange(0, kProgressSteps);
        progress.setAutoReset(false);
        progress.setAutoClose(false);
        progress.setMinimumDuration(0);
        progress.setWindowModality(Qt::WindowModal);
        const auto update = [&] {
            const qint64 t = total;
            const qint64 d = done;
            // No total yet: a FIFO waits for a program to read it.
            progress.setLabelText(t > 0 ? tr("Gemmer lyden: %1 af %2").arg(soundTime(d), soundTime(t))
                                        : tr("Venter på, at et program læser fra FIFO'en ..."));
            if (t > 0)
                progress.setValue(int(d * kProgressSteps / t));
        };
        connect(&progress, &QProgressDialog::canceled, &progress, [&] {
            cancelled = true;
            progress.setLabelText(tr("Annullerer..."));
        });
        QTimer tick;
        connect(&tick, &QTimer::timeout, &progress, [&] {
            if (!cancelled)
                update();
        });
        update();
        progress.show();
        tick.start(kProgressTickMs);
        if (!worker->isFinished())
            loop.exec();
    }
    worker->wait();

    if (!result.ok() && result.kind != FileResult::Kind::Cancelled) {
        QMessageBox::critical(&m_owner, program::title(),
                              FileProblem::message(tr("Lydfilen kunne ikke gemmes."), path, result));
    }
    return result;
}
