#pragma once
// What every part of telvok-cw-send shares: the exit statuses, the signal state,
// the messages' translation context and the way they are printed.

#include "engine/FileTarget.h"

#include <QCoreApplication>
#include <QString>

#include <csignal>
#include <cstdio>

namespace cwsend {

class CwSend {
    Q_DECLARE_TR_FUNCTIONS(CwSend)
};

constexpr int kExitOk = 0;
constexpr int kExitFailure = 2;
constexpr int kExitSignalBase = 128;        // interrupted: 128 + signal number

extern const QString kToolName;

// Input above this is refused, as the main window refuses to open larger files.
constexpr qint64 kMaxInputBytes = qint64(16) << 20;

// Set by the signal handler, read by the export's keep-going hook and the poll timer.
extern volatile std::sig_atomic_t g_signal;
// True while nothing needs cleaning up (before a temporary file or a sound buffer
// exists): a signal then ends the process at once, also inside a blocking read.
extern volatile std::sig_atomic_t g_exitAtOnce;

void installSignalHandlers();

// Writes text to stream; false when it could not all be written (a full disk,
// a closed pipe).
bool printTo(std::FILE *stream, const QString &text);

// What went wrong with a file, in Danish: "adgang nægtet", "disken er fuld",
// "lyden er for lang til en WAV-fil (over 4 GB)" ...; for an error without words
// of its own, the system's reason.
QString fileProblem(const FileResult &result);
QString fileProblem(FileError error, const QString &systemReason);
// The whole message for a file that could not be written: "kan ikke skrive
// "path": disken er fuld."
QString writeProblem(const FileResult &result, const QString &path);

// Prints "telvok-cw-send: message" to standard error; returns kExitFailure.
int fail(const QString &message);

} // namespace cwsend
