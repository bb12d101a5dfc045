#pragma once
// Where a file is written: a regular file (or a new name) through a temporary file
// that replaces it only on commit(), once every byte is flushed and synced; a
// character device or FIFO in place; any other special file refused. Nothing ever
// renames a file over a device or a FIFO, and no open waits on a FIFO without end.
//
// Use:
//     FileTarget target;
//     if (!target.open(path)) ...               // result()
//     target.write(bytes);                      // or target.device()->write(...)
//     if (!target.commit()) ...                 // result()
// The destructor cancels what was not committed.

#include "engine/FileResult.h"

#include <QByteArrayView>
#include <QString>

#include <functional>
#include <memory>
#include <system_error>

class QFileDevice;
class QIODevice;

class FileTarget {
public:
    // The names older callers use for the file error and its system-error mapping.
    using Error = FileError;
    static FileError errorFor(std::error_code code) { return fileErrorFor(code); }

    // How long open() waits for a FIFO's reader when the caller gives no way out.
    static constexpr int kFifoReaderWaitMs = 1000;
    // Asked about every 20 ms while a FIFO has no reader; false stops waiting
    // (result Cancelled).
    using KeepWaiting = std::function<bool()>;

    FileTarget();
    ~FileTarget();      // cancels what was not committed
    FileTarget(const FileTarget &) = delete;
    FileTarget &operator=(const FileTarget &) = delete;

    // Opens path for writing. A FIFO without a reader is waited for while
    // keepWaiting says so, or kFifoReaderWaitMs without it, then refused (NoReader).
    bool open(const QString &path, const KeepWaiting &keepWaiting = {});
    // The open device; null before open() and after commit() or cancel().
    QIODevice *device() const;
    // True when written in place (a device, a FIFO, standard output): what is
    // written cannot be taken back, and seeking back is not possible.
    bool isSequential() const { return m_inPlace; }

    // Writes all of bytes; false (and result() set) when the system refused.
    bool write(QByteArrayView bytes);
    // Flushes and, for a regular file, syncs it and replaces the file at the path.
    // False, and the file at the path untouched, unless every byte reached the disk.
    bool commit();
    // A regular file: removes the temporary, the file at the path stays as it was.
    // In place: closes the device.
    void cancel();

    // After a write on device() that failed: records why (from errno or the
    // device), cancels, and returns false.
    bool failFromDevice();
    // Records result (a failure or Cancelled), cancels, and returns false.
    bool fail(FileResult result);

    const FileResult &result() const { return m_result; }
    FileError error() const { return m_result.file; }
    // The system's own words for the failure (not translated), or empty.
    QString systemReason() const { return m_result.systemReason; }

private:
    bool openInPlace(const QString &path, bool fifo, const KeepWaiting &keepWaiting);
    bool failWith(FileError error, int systemError);

    std::unique_ptr<QFileDevice> m_file;
    QString m_path;
    bool m_inPlace = false;
    FileResult m_result;
};
