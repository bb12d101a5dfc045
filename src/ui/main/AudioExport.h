#pragma once
// "Gem &lyd som...": asks for a sound file name and renders the main window's text
// into it as the send button would send it, on a worker thread, with progress and a
// cancel button for long work.

#include "engine/SoundExport.h"

#include <QObject>
#include <QString>

class QWidget;

class AudioExport : public QObject {
    Q_OBJECT
public:
    // Dialogs and messages are owned by owner.
    explicit AudioExport(QWidget &owner);

    // The dialog, then exportTo(). textFileName (the current text file, may be
    // empty) suggests the name.
    // Band conditions, when active, are laid over the sound (the receiving practice).
    void saveAs(const QString &text, const Settings &settings, const QString &textFileName,
                const band::Conditions &conditions = {});

    // Renders the whole text, upper case with one space appended, into path in the
    // format its extension names. On failure nothing of it is left, the file at path
    // is as it was, and a message says why; Cancel ends it silently, also while a
    // FIFO waits for its reader.
    FileResult exportTo(const QString &path, const QString &text, const Settings &settings,
                        const band::Conditions &conditions = {});

    // Work that takes longer shows the progress dialog; until then the window
    // takes no input.
    static constexpr int kProgressDelayMs = 500;

private:
    QString askFileName(const QString &textFileName);

    QWidget &m_owner;
    QString m_filter;       // the filter chosen last during this run
    QString m_directory;    // where the last dialog was confirmed
};
