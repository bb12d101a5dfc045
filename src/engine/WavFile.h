#pragma once
// A WAV file (RIFF, PCM, mono, 44100 Hz, 16-bit) written as a stream of samples and
// replaced atomically: until commit() succeeds, the file at the path is untouched.

#include <QByteArray>
#include <QByteArrayView>
#include <QSaveFile>
#include <QString>

class WavFile {
public:
    enum class Error {
        None,
        FolderMissing,     // the folder the file should go into does not exist
        IsFolder,          // the path names a folder
        AccessDenied,
        WriteFailed,       // a write failed (disk full, device gone)
        TooLong,           // the samples would not fit the format's 32-bit sizes
    };

    // Largest data chunk the 32-bit RIFF sizes can describe, in bytes (a whole
    // number of samples; about 13.5 hours of sound).
    static constexpr qint64 kMaxDataBytes = 0xFFFFFFFFLL - 36 - 1;

    explicit WavFile(const QString &path);
    ~WavFile();   // discards what was not committed
    WavFile(const WavFile &) = delete;
    WavFile &operator=(const WavFile &) = delete;

    // Creates the temporary file with a provisional header. False: error() tells why.
    bool open();
    // Appends little-endian 16-bit samples (an even number of bytes).
    bool append(QByteArrayView pcm);
    // Completes the header and replaces the file at the path.
    bool commit();
    // Throws away everything written; the file at the path stays as it was.
    void cancel();

    Error error() const { return m_error; }
    qint64 dataBytes() const { return m_dataBytes; }

    // The 44-byte header for a data chunk of dataBytes bytes.
    static QByteArray header(qint64 dataBytes);
    static constexpr int kHeaderBytes = 44;

private:
    bool fail(Error error);
    bool flush();

    QString m_path;
    QSaveFile m_file;
    QByteArray m_pending;       // samples not yet written; one buffer, reused
    qint64 m_dataBytes = 0;
    Error m_error = Error::None;
    bool m_open = false;
};
