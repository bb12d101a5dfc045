#include "engine/WavFile.h"

#include "engine/constants.h"

#include <QIODevice>
#include <QtEndian>

namespace {

constexpr qsizetype kWriteBytes = 1 << 20;   // bytes collected before each write

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

WavFile::WavFile(const QString &path) : m_path(path) {}

WavFile::~WavFile()
{
    cancel();
}

QByteArray WavFile::header(qint64 dataBytes)
{
    using namespace morse;
    QByteArray h;
    h.reserve(kHeaderBytes);
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

bool WavFile::fail(Error error)
{
    m_error = error;
    cancel();
    return false;
}

bool WavFile::open()
{
    m_error = Error::None;
    m_dataBytes = 0;
    m_expectedBytes = -1;
    if (!m_file.open(m_path))
        return fail(Error::File);
    m_open = true;
    m_pending.reserve(kWriteBytes);
    if (!m_file.isSequential() && !m_file.write(header(0)))
        return fail(Error::File);
    return true;
}

bool WavFile::announce(qint64 dataBytes)
{
    if (!m_open || !m_file.isSequential() || m_expectedBytes >= 0)
        return m_open;
    if (dataBytes > kMaxDataBytes)
        return fail(Error::TooLong);
    m_expectedBytes = dataBytes;
    return m_file.write(header(dataBytes)) || fail(Error::File);
}

bool WavFile::append(QByteArrayView pcm)
{
    if (!m_open)
        return false;
    if (m_dataBytes + pcm.size() > kMaxDataBytes)
        return fail(Error::TooLong);
    if (m_file.isSequential() && m_dataBytes + pcm.size() > m_expectedBytes)
        return fail(Error::WrongSize);
    // Collected into writes of about 1 MiB: one system call per half-second half
    // costs more than the copy.
    if (m_pending.size() + pcm.size() > kWriteBytes && !flush())
        return false;
    m_pending.append(pcm);
    m_dataBytes += pcm.size();
    return true;
}

bool WavFile::flush()
{
    if (!m_pending.isEmpty() && !m_file.write(m_pending))
        return fail(Error::File);
    m_pending.resize(0);    // keeps the capacity
    return true;
}

bool WavFile::commit()
{
    if (!m_open || !flush())
        return false;
    if (m_file.isSequential()) {
        if (m_dataBytes != m_expectedBytes)
            return fail(Error::WrongSize);
    } else if (!m_file.device()->seek(0) || !m_file.write(header(m_dataBytes))) {
        return fail(Error::File);
    }
    m_open = false;
    if (!m_file.commit()) {
        m_error = Error::File;
        return false;
    }
    return true;
}

void WavFile::cancel()
{
    m_file.cancel();
    m_open = false;
}
