#pragma once
// Writes the program's sound (PCM, mono, 44100 Hz, 16-bit) onto an open device as a
// WAV, FLAC, Ogg Vorbis or MP3 stream, through libsndfile.

#include "engine/FileResult.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

class QIODevice;
struct sf_private_tag;

enum class SoundFileFormat { Wav, Flac, OggVorbis, Mp3 };

namespace soundfile {

// The format a file name asks for by its extension (".flac", ".ogg", ".mp3", in any
// case); ".wav", any other extension or none is WAV.
SoundFileFormat formatForName(const QString &fileName);
// True when the name ends in one of the four extensions.
bool hasSoundExtension(const QString &fileName);
// "wav", "flac", "ogg" or "mp3".
QString extension(SoundFileFormat format);

// The 44-byte header of a PCM WAV file holding dataBytes bytes of samples.
QByteArray wavHeader(qint64 dataBytes);
constexpr int kWavHeaderBytes = 44;
// Largest data chunk the 32-bit RIFF sizes can describe, in bytes (a whole number of
// samples; about 13.5 hours of sound).
constexpr qint64 kMaxWavDataBytes = 0xFFFFFFFFLL - 36 - 1;

} // namespace soundfile

class SoundFileWriter {
public:
    // device is open for writing and empty. A sequential device (pipe, terminal,
    // character device) is only ever appended to; a seekable one gets its headers
    // completed at finish().
    SoundFileWriter(QIODevice &device, bool seekable, SoundFileFormat format);
    ~SoundFileWriter();
    SoundFileWriter(const SoundFileWriter &) = delete;
    SoundFileWriter &operator=(const SoundFileWriter &) = delete;

    // Starts the stream. totalSamples is the length of the whole sound: a WAV header
    // on a sequential device is written first and has to hold it (elsewhere it is
    // only checked against the WAV limit).
    bool open(qint64 totalSamples);
    // Appends little-endian 16-bit samples (an even number of bytes).
    bool write(QByteArrayView pcm);
    // Ends the stream and completes its headers; the device stays open.
    bool finish();

    // Done; File when the device took fewer bytes than given (disk full, device
    // gone: errno's reason at that write); TooLong for more samples than a WAV
    // file can hold; Unsupported when this libsndfile cannot write the format;
    // NotRendered when the samples differ from the length a WAV header announced.
    const FileResult &result() const { return m_result; }
    qint64 samplesWritten() const { return m_samples; }

    // The libsndfile callbacks, on this writer.
    qint64 deviceLength() const { return m_length; }
    qint64 seekTo(qint64 position);
    qint64 append(const void *data, qint64 bytes);
    qint64 tell() const { return m_position; }

private:
    bool fail(FileResult result);
    bool failWrite();
    bool flush();
    bool writeRaw(QByteArrayView bytes);
    bool writeAll(const char *data, qint64 bytes);

    QIODevice &m_device;
    bool m_seekable;
    SoundFileFormat m_format;
    sf_private_tag *m_sndfile = nullptr;
    bool m_ownHeader = false;    // WAV onto a sequential device: header and samples by hand
    qint64 m_expectedSamples = 0;
    qint64 m_samples = 0;
    QByteArray m_pending;        // bytes not yet on the device; one buffer, reused
    qint64 m_flushed = 0;        // device position at the start of m_pending
    qint64 m_position = 0;       // where libsndfile writes next
    qint64 m_length = 0;         // bytes in the stream so far
    QByteArray m_swapped;        // big-endian hosts: the samples in host order
    FileResult m_result;
    bool m_discarding = false;
};
