#pragma once
// Where a file is written: a regular file (or a new name) through a temporary file
// that replaces it only on commit(), a character device or FIFO in place, and any
// other special file refused. Nothing ever renames a file over a device or a FIFO.
//
// Use:
//     FileTarget target;
//     if (!target.open(path)) ...               // error(), systemReason()
//     target.write(bytes);                      // or target.device()->write(...)
//     if (!target.commit()) ...                 // error(), systemReason()
// The destructor cancels what was not committed.

#include <QByteArrayView>
#include <QString>

#include <memory>
#include <system_error>

class QFileDevice;
class QIODevice;

class FileTarget {
public:
    enum class Error {
        None,
        FolderMissing,   // the folder the file should go into does not exist
        IsFolder,        // the path names a folder
        SpecialFile,     // neither a regular file, a character device nor a FIFO
        AccessDenied,    // permissions
        ReadOnly,        // a read-only file system
        NameTooLong,     // the name or the path is longer than the system allows
        SymlinkLoop,     // symbolic links that point round in a circle
        NoSpace,         // the disk (or quota, or /dev/full) is full
        Failed,          // anything else; systemReason() says what
    };

    FileTarget();
    ~FileTarget();      // cancels what was not committed
    FileTarget(const FileTarget &) = delete;
    FileTarget &operator=(const FileTarget &) = delete;

    // Opens path for writing. A FIFO's open waits until a reader opens it.
    bool open(const QString &path);
    // The open device; null before open() and after commit() or cancel().
    QIODevice *device() const;
    // True when written in place (a device, a FIFO, standard output): what is
    // written cannot be taken back, and seeking back is not possible.
    bool isSequential() const { return m_inPlace; }

    // Writes all of bytes; false (and error() set) when the system refused.
    bool write(QByteArrayView bytes);
    // Flushes and, for a regular file, replaces the file at the path.
    bool commit();
    // A regular file: removes the temporary, the file at the path stays as it was.
    // In place: closes the device.
    void cancel();

    // After a write on device() that failed: records why (from errno or the
    // device), cancels, and returns false.
    bool failFromDevice();

    Error error() const { return m_error; }
    // The error for a system error code (from std::filesystem or errno).
    static Error errorFor(std::error_code code);
    // The system's own words for the failure (not translated), or empty.
    QString systemReason() const { return m_reason; }

private:
    bool fail(Error error, int systemError);

    std::unique_ptr<QFileDevice> m_file;
    QString m_path;
    bool m_inPlace = false;
    Error m_error = Error::None;
    QString m_reason;
};
