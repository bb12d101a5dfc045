#include "engine/sound_device/SimulatedSidetoneStream.h"

#include <algorithm>

bool SimulatedSidetoneStream::start(SidetoneSource *source)
{
    stop();
    if (m_startFails || !source) {
        m_error = SoundError::NoServer;
        return false;
    }
    m_error = SoundError::None;
    m_source = source;
    return true;
}

void SimulatedSidetoneStream::stop()
{
    m_source = nullptr;
}

void SimulatedSidetoneStream::advance(qint64 samples, int blockSamples)
{
    while (m_source && samples > 0) {
        const auto n = size_t(std::min<qint64>(samples, std::max(1, blockSamples)));
        m_block.resize(n);
        m_source->render(m_block);
        m_played.insert(m_played.end(), m_block.begin(), m_block.end());
        samples -= qint64(n);
    }
}

void SimulatedSidetoneStream::refresh()
{
    if (!m_source)
        return;
    const auto n = m_source->takeBack(std::min<std::int64_t>(m_queued, std::int64_t(m_played.size())));
    m_lastRefresh = n;
    if (n <= 0)
        return;
    m_played.resize(m_played.size() - size_t(n));
    m_block.resize(size_t(n));
    m_source->render(m_block);
    m_played.insert(m_played.end(), m_block.begin(), m_block.end());
}

void SimulatedSidetoneStream::failNow()
{
    if (!m_source)
        return;
    m_source = nullptr;
    m_error = SoundError::ServerLost;
    if (failed)
        failed();
}
