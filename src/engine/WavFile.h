#pragma once
// A WAV file (RIFF, PCM, mono, 44100 Hz, 16-bit) written as a stream of samples
// through a FileTarget: a regular file is replaced only when commit() succeeds; a
// device or FIFO gets the bytes in place, its header first, with the size given to
// announce().

#include "engine/FileTarget.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

class WavFile {
public:
    enum class Error {
        None,
        File,              // opening or writing failed: target().error() tells why
        TooLong,           // the samples would not fit the format's 32-bit sizes
        WrongSize,         // in place, the samples differed from the size given to open()
    };

    // Largest data chunk the 32-bit RIFF sizes can describe, in bytes (a whole
    // number of samples; about 13.5 hours of sound).
    static constexpr qint64 kMaxDataBytes = 0xFFFFFFFFLL - 36 - 1;

    explicit WavFile(const QString &path);
    ~WavFile();   // discards what was not committed
    WavFile(const WavFile &) = delete;
    WavFile &operator=(const WavFile &) = delete;

    // Opens the target. A regular file gets a provisional header (the sizes follow
    // at commit()). False: error() tells why.
    bool open();
    // True when written in place: announce() must come before the first append().
    bool isSequential() const { return m_file.isSequential(); }
    // In place: writes the header for a data chunk of dataBytes bytes.
    bool announce(qint64 dataBytes);
    // Appends little-endian 16-bit samples (an even number of bytes).
    bool append(QByteArrayView pcm);
    // Completes the header and replaces the file at the path.
    bool commit();
    // Throws away everything written; the file at the path stays as it was.
    void cancel();

    Error error() const { return m_error; }
    const FileTarget &target() const { return m_file; }
    qint64 dataBytes() const { return m_dataBytes; }

    // The 44-byte header for a data chunk of dataBytes bytes.
    static QByteArray header(qint64 dataBytes);
    static constexpr int kHeaderBytes = 44;

private:
    bool fail(Error error);
    bool flush();

    QString m_path;
    FileTarget m_file;
    qint64 m_expectedBytes = -1;    // the data size an in-place header announced
    QByteArray m_pending;       // samples not yet written; one buffer, reused
    qint64 m_dataBytes = 0;
    Error m_error = Error::None;
    bool m_open = false;
};
