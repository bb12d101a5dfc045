#pragma once
// Reading a file the user (or another program) may have put anything at: only a
// regular file of at most a given size is read. A FIFO, a device, a socket or a
// symbolic link to one of them is refused without waiting on it or reading it.

#include "engine/FileResult.h"

#include <QByteArray>
#include <QString>

struct UserFileContents {
    QByteArray bytes;
    // Done; or File with NotFound (nothing at path), IsFolder, NotRegular,
    // TooLarge or the system's error.
    FileResult result;
    qint64 size = 0;   // the file's size when TooLarge, in bytes (at least maxBytes + 1)
};

// Reads the whole regular file at path when it holds at most maxBytes bytes.
// The open never blocks (a FIFO swapped in after a check is still refused), and a
// file that reports no size (as in /proc) is read up to one byte past the limit.
UserFileContents readUserFile(const QString &path, qint64 maxBytes);
