#include "engine/sound_device/SimulatedSoundDevice.h"

#include "engine/sound_device/SimulatedSidetoneStream.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

bool SimulatedSoundDevice::open(int bufferBytes)
{
    release();
    if (m_openFails || bufferBytes <= 0) {
        m_error = m_openFails ? m_openError : SoundError::InvalidBuffer;
        return false;
    }
    m_error = SoundError::None;
    m_buffer = QByteArray(bufferBytes, '\0');
    m_position = 0;
    m_open = true;
    return true;
}

void SimulatedSoundDevice::setNotificationPositions(std::vector<int> byteOffsets)
{
    m_notify = std::move(byteOffsets);
}

void SimulatedSoundDevice::write(int byteOffset, std::span<const std::int16_t> samples)
{
    if (!m_open)
        return;
    const qsizetype bytes = qsizetype(samples.size_bytes());
    Q_ASSERT(byteOffset >= 0 && byteOffset + bytes <= m_buffer.size());
    // The engine's samples are host order; the buffer holds little-endian PCM
    // (a plain block copy on little-endian hosts).
    qToLittleEndian<std::int16_t>(samples.data(), qsizetype(samples.size()),
                                  m_buffer.data() + byteOffset);
    ++m_writes;
}

void SimulatedSoundDevice::setPosition(int byteOffset)
{
    m_position = byteOffset;
}

void SimulatedSoundDevice::playLooping()
{
    if (m_open) {
        m_playing = true;
        m_finishing = false;
    }
}

void SimulatedSoundDevice::stop()
{
    m_playing = false;
    m_finishing = false;
}

void SimulatedSoundDevice::finishAtNextNotification()
{
    if (m_playing)
        m_finishing = true;
}

void SimulatedSoundDevice::release()
{
    stop();
    m_open = false;
    m_buffer.clear();
}

qint64 SimulatedSoundDevice::advance(qint64 samples)
{
    qint64 done = 0;
    while (done < samples && m_playing) {
        // Play a run of whole samples up to the next notification offset (the last
        // byte of a region: passed once the sample holding it has played) or the
        // end of the buffer, whichever comes first.
        const int size = int(m_buffer.size());
        int runEnd = size;
        int hitIndex = -1;
        for (int i = 0; i < int(m_notify.size()); ++i) {
            const int passedAt = (m_notify[size_t(i)] / 2 + 1) * 2;
            if (passedAt > m_position && passedAt < runEnd + (hitIndex < 0 ? 1 : 0)) {
                runEnd = passedAt;
                hitIndex = i;
            }
        }
        const qint64 runSamples = std::min<qint64>((runEnd - m_position) / 2, samples - done);
        m_played.append(m_buffer.constData() + m_position, qsizetype(runSamples * 2));
        m_position += int(runSamples * 2);
        done += runSamples;
        const bool passed = hitIndex >= 0 && m_position == runEnd;
        if (m_position >= size)
            m_position = 0;
        if (!passed)
            continue;
        if (m_finishing) {
            m_playing = false;
            m_finishing = false;
            if (playedOut)
                playedOut();
        } else if (notified) {
            notified(hitIndex);
        }
    }
    return done;
}

qint64 SimulatedSoundDevice::runUntilStopped(qint64 maxSamples)
{
    qint64 done = 0;
    while (m_playing && done < maxSamples)
        done += advance(maxSamples - done);
    return done;
}

void SimulatedSoundDevice::setOpenFails(bool fails, SoundError error)
{
    m_openFails = fails;
    m_openError = error;
}

void SimulatedSoundDevice::failNow()
{
    const bool wasOpen = m_open;
    release();
    m_error = SoundError::ServerLost;
    if (wasOpen && failed)
        failed();
}

std::unique_ptr<SidetoneStream> SimulatedSoundDevice::makeSidetoneStream()
{
    auto stream = std::make_unique<SimulatedSidetoneStream>();
    m_lastSidetone = stream.get();
    return stream;
}
