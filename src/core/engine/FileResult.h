#pragma once
// How writing (or reading) a user's file ended: done, cancelled, or why not, with
// the system's own reason. The windows and telvok-cw-send word it; nothing here
// holds words for the user.

#include <QString>

#include <system_error>

enum class FileError {
    None,
    FolderMissing,   // the folder the file should go into does not exist
    NotFound,        // a file to be read does not exist
    IsFolder,        // the path names a folder
    SpecialFile,     // neither a regular file, a character device nor a FIFO
    NotRegular,      // not a regular file where only one will do (a FIFO, a device ...)
    NoReader,        // a FIFO or pipe that no program reads from (any more)
    AccessDenied,    // permissions
    ReadOnly,        // a read-only file system
    NameTooLong,     // the name or the path is longer than the system allows
    SymlinkLoop,     // symbolic links that point round in a circle
    NoSpace,         // the disk (or quota, or /dev/full) is full
    TooLarge,        // a file to be read is larger than its use allows
    Failed,          // anything else; the system's reason says what
};

// The file error for a system error code (from std::filesystem or errno).
FileError fileErrorFor(std::error_code code);

struct FileResult {
    enum class Kind {
        Done,
        Cancelled,     // the caller said stop; the target is as it was
        File,          // the file could not be written or read: see file
        TooLong,       // more sound than a WAV file can hold
        Unsupported,   // the sound library cannot write the format
        NotRendered,   // the engine did not play the text to its end
    };

    Kind kind = Kind::Done;
    FileError file = FileError::None;
    QString systemReason;   // the system's words (not translated), or empty

    bool ok() const { return kind == Kind::Done; }
    explicit operator bool() const { return ok(); }

    static FileResult failure(Kind kind) { return {kind, FileError::None, QString()}; }
    static FileResult fileFailure(FileError error, QString reason = QString())
    {
        return {Kind::File, error, std::move(reason)};
    }
    // The file error and the system's words for errno value systemError (0: Failed).
    static FileResult fromSystemError(int systemError);
};
