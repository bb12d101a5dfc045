#pragma once
// Test and benchmark helper for the real sound path: captures the private sound
// server's null-sink monitor with parec, renders the engine's reference sound on the
// simulated device, and finds one inside the other.

#include "support/SoundSamples.h"
#include "support/Spin.h"
#include "engine/Morse.h"
#include "engine/sound_device/SimulatedSoundDevice.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QProcess>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

namespace soundtest {

inline QString sinkName()
{
    const QString name = qEnvironmentVariable("TELVOK_SINK");
    return name.isEmpty() ? QStringLiteral("telvok_null") : name;
}

// Empty when the private sound server answers; otherwise why not (for QFAIL).
inline QString serverProblem()
{
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER"))
        return QStringLiteral("PULSE_SERVER is not set: run through scripts/test, which starts "
                              "the private PulseAudio server (scripts/services.sh)");
    QProcess info;
    info.start(QStringLiteral("pactl"), {QStringLiteral("info")});
    if (!info.waitForFinished(5000) || info.exitStatus() != QProcess::NormalExit
        || info.exitCode() != 0)
        return QStringLiteral("pactl info got no answer from PULSE_SERVER=%1")
            .arg(qEnvironmentVariable("PULSE_SERVER"));
    return {};
}

// A device error for a failure message.
inline const char *errorName(SoundError error)
{
    switch (error) {
    case SoundError::None: return "no error";
    case SoundError::NoServer: return "no server";
    case SoundError::RefusedFormat: return "format refused";
    case SoundError::ServerLost: return "server lost";
    case SoundError::InvalidBuffer: return "invalid buffer";
    }
    return "?";
}

// A parec of the sink's monitor, read on the calling thread's event loop. Each
// chunk's arrival time is kept, so a sample can be dated.
class Capture {
public:
    explicit Capture(const QElapsedTimer &clock) : m_clock(clock)
    {
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput, &m_process, [this] {
            m_data += m_process.readAllStandardOutput();
            m_arrivals.push_back({qint64(m_data.size() / 2), m_clock.nsecsElapsed()});
        });
    }
    ~Capture() { stop(); }

    // Starts parec and waits until the stream delivers. False: it did not.
    bool start(int timeoutMs = 5000)
    {
        m_process.start(QStringLiteral("parec"),
                        {QStringLiteral("--raw"), QStringLiteral("--format=s16le"),
                         QStringLiteral("--rate=44100"), QStringLiteral("--channels=1"),
                         QStringLiteral("--latency-msec=10"), QStringLiteral("-d"),
                         sinkName() + QStringLiteral(".monitor")});
        if (!m_process.waitForStarted(timeoutMs))
            return false;
        return waitFor([this] { return m_data.size() > 0; }, timeoutMs);
    }

    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(2000)) {
            m_process.kill();
            m_process.waitForFinished(2000);
        }
    }

    qint64 sampleCount() const { return m_data.size() / 2; }

    std::vector<std::int16_t> samples() const { return toSamples(m_data); }

    // Clock time (ns) at which the chunk holding sample index arrived; -1 if never.
    qint64 arrivalNs(qint64 index) const
    {
        for (const auto &a : m_arrivals)
            if (a.samplesSoFar > index)
                return a.ns;
        return -1;
    }

    // The first non-zero sample at or after from, or -1.
    qint64 firstSound(qint64 from = 0) const
    {
        const auto s = samples();
        for (size_t i = size_t(std::max<qint64>(from, 0)); i < s.size(); ++i)
            if (s[i] != 0)
                return qint64(i);
        return -1;
    }

    // The last non-zero sample, or -1.
    qint64 lastSound() const
    {
        const auto s = samples();
        qint64 i = qint64(s.size()) - 1;
        while (i >= 0 && s[size_t(i)] == 0)
            --i;
        return i;
    }

private:
    struct Arrival {
        qint64 samplesSoFar;
        qint64 ns;
    };
    const QElapsedTimer &m_clock;
    QProcess m_process;
    QByteArray m_data;
    std::vector<Arrival> m_arrivals;
};

// What the engine plays for text with these settings, through the same engine path
// on the simulated device: from the first sample to the last one before it stops.
inline std::vector<std::int16_t> reference(const Settings &settings, const QString &text)
{
    Settings s = settings;
    auto *device = new SimulatedSoundDevice;
    Morse morse(s, std::unique_ptr<SoundDevice>(device));
    if (!morse.LavLyd())
        return {};
    morse.setText(text);
    morse.StartSending();
    device->runUntilStopped(qint64(3600) * 44100);
    return toSamples(device->played());
}

// How the capture holds the reference: where it starts, how many reference samples
// follow it unchanged, and what comes after them.
struct Match {
    bool found = false;         // the capture holds the start of the reference's sound
    qint64 offset = 0;          // capture index of reference sample 0
    qint64 matched = 0;         // reference samples found in order from the first sound on
    qint64 firstSound = -1;     // index in the reference of its first non-zero sample
    qint64 noiseAfter = 0;      // non-zero capture samples after the matched part
};

// Finds the reference in the capture by the first sound of the capture (the stream
// may have lost its first milliseconds while it joined, so that sound may lie a
// little into the reference), then counts how far they agree.
inline Match locate(const std::vector<std::int16_t> &captured, const std::vector<std::int16_t> &ref)
{
    constexpr qint64 kWindow = 64;              // samples that must agree to align
    constexpr qint64 kMaxLoss = 44100 / 2;      // samples the capture may have lost
    Match m;
    qint64 r = 0;
    while (r < qint64(ref.size()) && ref[size_t(r)] == 0)
        ++r;
    qint64 c = 0;
    while (c < qint64(captured.size()) && captured[size_t(c)] == 0)
        ++c;
    if (r == qint64(ref.size()) || c + kWindow > qint64(captured.size()))
        return m;
    for (qint64 p = r; p < std::min<qint64>(r + kMaxLoss, qint64(ref.size()) - kWindow); ++p) {
        if (std::equal(captured.begin() + c, captured.begin() + c + kWindow, ref.begin() + p)) {
            m.found = true;
            m.offset = c - p;
            r = p;
            break;
        }
    }
    if (!m.found)
        return m;
    m.firstSound = r;
    qint64 i = r;
    while (i < qint64(ref.size()) && m.offset + i < qint64(captured.size())
           && captured[size_t(m.offset + i)] == ref[size_t(i)])
        ++i;
    m.matched = i - r;
    for (qint64 k = m.offset + i; k < qint64(captured.size()); ++k)
        if (captured[size_t(k)] != 0)
            ++m.noiseAfter;
    return m;
}

} // namespace soundtest
