#include "engine/SoundFile.h"

#include "engine/constants.h"

#include <QIODevice>
#include <QSysInfo>
#include <QtEndian>

#include <sndfile.h>

#include <algorithm>
#include <cerrno>

namespace {

constexpr qsizetype kWriteBytes = 1 << 20;   // bytes collected before each device write

// Encoder settings for a keyed pure tone in mono, measured on a 20 WPM practice text
// at 800 Hz (bench/sound_export; the error is the decoded file against the samples
// played): LAME's VBR quality 5 takes about 41 kbit/s (310 kB a minute) with the
// error 42 dB below the tone; quality 4 costs a quarter more for 54 dB, quality 7
// leaves only 29 dB. Vorbis quality 0.4 takes about 20 kbit/s (150 kB a minute) at
// 32 dB. Neither setting changes the encoding speed measurably.
constexpr double kMp3Compression = 0.5;      // libsndfile level: LAME VBR quality 5 of 0..9
constexpr double kVorbisCompression = 0.6;   // libsndfile level: Vorbis quality 0.4

int sndfileFormat(SoundFileFormat format)
{
    switch (format) {
    case SoundFileFormat::Wav:
        return SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    case SoundFileFormat::Flac:
        return SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    case SoundFileFormat::OggVorbis:
        return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    case SoundFileFormat::Mp3:
        return SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
    }
    return 0;
}

SoundFileWriter *writerOf(void *user)
{
    return static_cast<SoundFileWriter *>(user);
}

sf_count_t vioLength(void *user)
{
    return writerOf(user)->deviceLength();
}

sf_count_t vioSeek(sf_count_t offset, int whence, void *user)
{
    SoundFileWriter *w = writerOf(user);
    const qint64 base = whence == SEEK_CUR ? w->tell() : whence == SEEK_END ? w->deviceLength() : 0;
    return w->seekTo(base + offset);
}

sf_count_t vioRead(void *, sf_count_t, void *)
{
    return 0;   // write only
}

sf_count_t vioWrite(const void *data, sf_count_t bytes, void *user)
{
    return writerOf(user)->append(data, bytes);
}

sf_count_t vioTell(void *user)
{
    return writerOf(user)->tell();
}

void putU32(QByteArray &out, quint32 v)
{
    char bytes[4];
    qToLittleEndian(v, bytes);
    out.append(bytes, 4);
}

void putU16(QByteArray &out, quint16 v)
{
    char bytes[2];
    qToLittleEndian(v, bytes);
    out.append(bytes, 2);
}

} // namespace

namespace soundfile {

SoundFileFormat formatForName(const QString &fileName)
{
    if (fileName.endsWith(QLatin1String(".flac"), Qt::CaseInsensitive))
        return SoundFileFormat::Flac;
    if (fileName.endsWith(QLatin1String(".ogg"), Qt::CaseInsensitive))
        return SoundFileFormat::OggVorbis;
    if (fileName.endsWith(QLatin1String(".mp3"), Qt::CaseInsensitive))
        return SoundFileFormat::Mp3;
    return SoundFileFormat::Wav;
}

bool hasSoundExtension(const QString &fileName)
{
    return formatForName(fileName) != SoundFileFormat::Wav
           || fileName.endsWith(QLatin1String(".wav"), Qt::CaseInsensitive);
}

QString extension(SoundFileFormat format)
{
    switch (format) {
    case SoundFileFormat::Wav:
        break;
    case SoundFileFormat::Flac:
        return QStringLiteral("flac");
    case SoundFileFormat::OggVorbis:
        return QStringLiteral("ogg");
    case SoundFileFormat::Mp3:
        return QStringLiteral("mp3");
    }
    return QStringLiteral("wav");
}

QByteArray wavHeader(qint64 dataBytes)
{
    using namespace morse;
    QByteArray h;
    h.reserve(kWavHeaderBytes);
    h.append("RIFF", 4);
    putU32(h, quint32(36 + dataBytes));          // everything after this field
    h.append("WAVE", 4);
    h.append("fmt ", 4);
    putU32(h, 16);                                // PCM format chunk size
    putU16(h, quint16(kWaveFormat.formatTag));
    putU16(h, quint16(kWaveFormat.channels));
    putU32(h, quint32(kWaveFormat.samplesPerSec));
    putU32(h, quint32(kWaveFormat.avgBytesPerSec));
    putU16(h, quint16(kWaveFormat.blockAlign));
    putU16(h, quint16(kWaveFormat.bitsPerSample));
    h.append("data", 4);
    putU32(h, quint32(dataBytes));
    return h;
}

} // namespace soundfile

SoundFileWriter::SoundFileWriter(QIODevice &device, bool seekable, SoundFileFormat format)
    : m_device(device), m_seekable(seekable), m_format(format)
{
}

SoundFileWriter::~SoundFileWriter()
{
    // An unfinished stream is abandoned: libsndfile's last bytes go nowhere.
    m_discarding = true;
    if (m_sndfile)
        sf_close(m_sndfile);
}

bool SoundFileWriter::fail(FileResult result)
{
    if (m_result.ok())
        m_result = std::move(result);
    return false;
}

// A write the device refused: errno says why where the system set it.
bool SoundFileWriter::failWrite()
{
    const int systemError = errno;
    return fail(systemError != 0 ? FileResult::fromSystemError(systemError)
                                 : FileResult::fileFailure(FileError::Failed, m_device.errorString()));
}

bool SoundFileWriter::open(qint64 totalSamples)
{
    m_expectedSamples = totalSamples;
    m_pending.reserve(kWriteBytes);
    const bool wav = m_format == SoundFileFormat::Wav;
    if (wav && totalSamples * morse::kBytesPerSample > soundfile::kMaxWavDataBytes)
        return fail(FileResult::failure(FileResult::Kind::TooLong));
    // libsndfile completes a WAV header by seeking back to it, which a pipe cannot;
    // the length is known beforehand, so the header is right from the start.
    if (wav && !m_seekable) {
        m_ownHeader = true;
        return writeRaw(soundfile::wavHeader(totalSamples * morse::kBytesPerSample));
    }

    SF_INFO info = {};
    info.samplerate = morse::kWaveFormat.samplesPerSec;
    info.channels = morse::kWaveFormat.channels;
    info.format = sndfileFormat(m_format);
    SF_VIRTUAL_IO io = {vioLength, vioSeek, vioRead, vioWrite, vioTell};
    m_sndfile = sf_open_virtual(&io, SFM_WRITE, &info, this);
    if (!m_sndfile)
        return fail(FileResult::failure(FileResult::Kind::Unsupported));
    // FLAC at its fastest level: a keyed tone packs nearly as small at it (measured
    // 3 % larger than at the slowest) in half the time.
    double level = m_format == SoundFileFormat::Mp3         ? kMp3Compression
                   : m_format == SoundFileFormat::OggVorbis ? kVorbisCompression
                   : m_format == SoundFileFormat::Flac      ? 0.0
                                                            : -1.0;
    if (level >= 0 && !sf_command(m_sndfile, SFC_SET_COMPRESSION_LEVEL, &level, sizeof level))
        return fail(FileResult::failure(FileResult::Kind::Unsupported));
    return m_result.ok();
}

bool SoundFileWriter::write(QByteArrayView pcm)
{
    if (!m_result.ok())
        return false;
    const qint64 samples = pcm.size() / morse::kBytesPerSample;
    if (m_format == SoundFileFormat::Wav
        && (m_samples + samples) * morse::kBytesPerSample > soundfile::kMaxWavDataBytes)
        return fail(FileResult::failure(FileResult::Kind::TooLong));
    // The header already written describes exactly the announced samples.
    if (m_ownHeader && m_samples + samples > m_expectedSamples)
        return fail(FileResult::failure(FileResult::Kind::NotRendered));
    m_samples += samples;
    if (m_ownHeader)
        return writeRaw(pcm);
    if (!m_sndfile)
        return false;
    const short *data = nullptr;
    if constexpr (QSysInfo::ByteOrder == QSysInfo::LittleEndian) {
        data = reinterpret_cast<const short *>(pcm.data());
    } else {
        m_swapped.resize(pcm.size());
        qFromLittleEndian<qint16>(pcm.data(), samples, m_swapped.data());
        data = reinterpret_cast<const short *>(m_swapped.constData());
    }
    // Some encoders only log a short write; the device's own result counts, and a
    // failure the device reported first is kept.
    if (sf_write_short(m_sndfile, data, samples) != samples)
        return fail(FileResult::fileFailure(FileError::Failed, QString::fromUtf8(sf_strerror(m_sndfile))));
    return m_result.ok();
}

bool SoundFileWriter::finish()
{
    if (!m_result.ok())
        return false;
    // The header would describe other samples.
    if (m_ownHeader && m_samples != m_expectedSamples)
        return fail(FileResult::failure(FileResult::Kind::NotRendered));
    if (m_sndfile) {
        const int closed = sf_close(m_sndfile);
        m_sndfile = nullptr;
        // A write that failed while closing has said why already, and stays.
        if (closed != 0)
            return fail(FileResult::fileFailure(FileError::Failed, QString::fromUtf8(sf_error_number(closed))));
    }
    return flush();
}

bool SoundFileWriter::writeRaw(QByteArrayView bytes)
{
    return append(bytes.data(), bytes.size()) == bytes.size();
}

qint64 SoundFileWriter::append(const void *data, qint64 bytes)
{
    if (m_discarding)
        return bytes;
    if (!m_result.ok())
        return 0;
    // Writes are collected into about 1 MiB: one system call per half second of
    // sound costs more than the copy.
    if (m_position != m_flushed + m_pending.size()) {
        // libsndfile seeked back into the collected bytes: write over them there.
        const qint64 at = m_position - m_flushed;
        if (at >= 0 && at + bytes <= m_pending.size()) {
            std::copy_n(static_cast<const char *>(data), bytes, m_pending.data() + at);
            m_position += bytes;
            return bytes;
        }
        errno = 0;
        if (!flush() || !m_device.seek(m_position)) {
            failWrite();
            return 0;
        }
        m_flushed = m_position;
    }
    if (m_pending.size() + bytes > kWriteBytes && !flush())
        return 0;
    if (bytes >= kWriteBytes) {
        if (!writeAll(static_cast<const char *>(data), bytes))
            return 0;
        m_flushed += bytes;
    } else {
        m_pending.append(static_cast<const char *>(data), qsizetype(bytes));
    }
    m_position += bytes;
    m_length = std::max(m_length, m_position);
    return bytes;
}

bool SoundFileWriter::flush()
{
    if (m_pending.isEmpty())
        return m_result.ok();
    if (!writeAll(m_pending.constData(), m_pending.size()))
        return false;
    m_flushed += m_pending.size();
    m_pending.resize(0);    // keeps the capacity
    return true;
}

bool SoundFileWriter::writeAll(const char *data, qint64 bytes)
{
    // A file that fills up takes part of a write without an error; the next write
    // for the rest fails with one (disk full) that the caller can report.
    while (bytes > 0) {
        errno = 0;
        const qint64 n = m_device.write(data, bytes);
        if (n <= 0)
            return failWrite();
        data += n;
        bytes -= n;
    }
    return true;
}

qint64 SoundFileWriter::seekTo(qint64 position)
{
    if (m_discarding)
        return -1;
    if (position == m_position)
        return position;
    // A sequential device only grows; libsndfile then leaves its headers as they are
    // (the MP3 info frame, the FLAC sample count), which players do without.
    if (!m_seekable || position < 0 || position > m_length)
        return -1;
    if (position >= m_flushed && position <= m_flushed + m_pending.size()) {
        m_position = position;
        return position;
    }
    errno = 0;
    if (!flush() || (!m_device.seek(position) && !failWrite()))
        return -1;
    m_flushed = position;
    m_position = position;
    return position;
}
