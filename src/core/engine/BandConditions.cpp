#include "engine/BandConditions.h"

#include "engine/Keying.h"
#include "engine/Morse.h"
#include "engine/MorseTable.h"
#include "engine/constants.h"

#include <QStringList>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace band {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kFs = morse::kSampleRate;
constexpr int kFadeStep = 32;               // samples between two fading values
constexpr double kHeadroomSigmas = 4.5;     // |x| > 4.5 sigma: 7 in a million
constexpr int kStationRampMs = 5;
constexpr int kStationMessages = 12;        // then the station's sequence repeats

// Key-down power over the noise in 500 Hz, in dB.
constexpr Preset kPresets[] = {
    {u"Ren", false, 0.0},    {u"Let", true, 20.0},     {u"Middel", true, 10.0},
    {u"Svær", true, 3.0},    {u"Ekspert", true, -3.0}, {u"Grænse", true, -8.0},
};

double fadingHz(Fading f)
{
    switch (f) {
    case Fading::Slow: return 0.1;
    case Fading::Fast: return 0.5;
    case Fading::Flutter: return 10.0;
    case Fading::None: break;
    }
    return 0.0;
}

// Independent streams for the noise, the fading, the static and the stations, so
// that turning one on does not change the others' draws.
std::uint64_t streamSeed(std::uint64_t seed, std::uint64_t stream)
{
    std::uint64_t z = seed + stream * 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// One section of a Butterworth low-pass at fc (bilinear transform, prewarped so
// that the cascade is 3 dB down exactly at fc).
void lowPass(double fc, double q, double &b0, double &b1, double &b2, double &a1, double &a2)
{
    const double w0 = 2 * kPi * fc / kFs;
    const double alpha = std::sin(w0) / (2 * q);
    const double c = std::cos(w0);
    const double a0 = 1 + alpha;
    b0 = (1 - c) / 2 / a0;
    b1 = (1 - c) / a0;
    b2 = b0;
    a1 = -2 * c / a0;
    a2 = (1 - alpha) / a0;
}

} // namespace

std::span<const Preset> presets()
{
    return kPresets;
}

Conditions bounded(Conditions c)
{
    c.snrDb = std::clamp(c.snrDb, kMinSnrDb, kMaxSnrDb);
    int best = kFilterWidths[0];
    for (int w : kFilterWidths)
        if (std::abs(w - c.filterHz) < std::abs(best - c.filterHz))
            best = w;
    c.filterHz = best;
    c.qsbDepth = std::clamp(c.qsbDepth, 0.0, 1.0);
    c.qrm = std::clamp(c.qrm, 0, kMaxQrm);
    return c;
}

QString fadingName(Fading f)
{
    switch (f) {
    case Fading::Slow: return QStringLiteral("slow");
    case Fading::Fast: return QStringLiteral("fast");
    case Fading::Flutter: return QStringLiteral("flutter");
    case Fading::None: break;
    }
    return QStringLiteral("none");
}

QString staticName(Static s)
{
    switch (s) {
    case Static::Light: return QStringLiteral("light");
    case Static::Heavy: return QStringLiteral("heavy");
    case Static::None: break;
    }
    return QStringLiteral("none");
}

bool parseFading(QStringView text, Fading *f)
{
    for (Fading each : {Fading::None, Fading::Slow, Fading::Fast, Fading::Flutter}) {
        if (text.compare(fadingName(each), Qt::CaseInsensitive) == 0) {
            *f = each;
            return true;
        }
    }
    return false;
}

bool parseStatic(QStringView text, Static *s)
{
    for (Static each : {Static::None, Static::Light, Static::Heavy}) {
        if (text.compare(staticName(each), Qt::CaseInsensitive) == 0) {
            *s = each;
            return true;
        }
    }
    return false;
}

QString optionText(const Conditions &c)
{
    if (!c.active)
        return {};
    QStringList parts{QStringLiteral("--snr %1").arg(c.snrDb), QStringLiteral("--filter %1").arg(c.filterHz)};
    if (c.qsb != Fading::None)
        parts << QStringLiteral("--qsb %1:%2").arg(fadingName(c.qsb)).arg(c.qsbDepth);
    if (c.qrm > 0)
        parts << QStringLiteral("--qrm %1").arg(c.qrm);
    if (c.qrn != Static::None)
        parts << QStringLiteral("--qrn %1").arg(staticName(c.qrn));
    parts << QStringLiteral("--seed %1").arg(c.seed);
    return parts.join(u' ');
}

double BandConditions::Rng::uniform()
{
    return double(next() >> 11) * 0x1.0p-53;
}

BandConditions::BandConditions() = default;

void BandConditions::prepare(const Conditions &conditions, int toneHz, int volume)
{
    m_conditions = bounded(conditions);
    const Conditions &c = m_conditions;
    m_gain = 1.0;
    m_stationCount = 0;
    if (!c.active)
        return;

    m_noiseRng.state = streamSeed(c.seed, 1);
    m_fadeRng.state = streamSeed(c.seed, 2);
    m_staticRng.state = streamSeed(c.seed, 3);
    Rng stationRng{streamSeed(c.seed, 4)};

    // The noise: complex white noise, low-passed to half the filter width and
    // turned up to the tone, so the filter is centred on it. Its one-sided density
    // is then scale^2 / fs; the S/N fixes it from the key-down power A^2 / 2.
    const double a = double(std::max(volume, 0));
    const double signalPower = a * a / 2;
    const double noise500 = signalPower / std::pow(10.0, c.snrDb / 10);
    m_noiseScale = std::sqrt(noise500 * kFs / kReferenceBandHz);
    const double fc = c.filterHz / 2.0;
    const double qs[2] = {0.54119610014619698, 1.3065629648763766};
    for (size_t k = 0; k < 2; ++k) {
        for (auto *bank : {&m_lowI, &m_lowQ}) {
            Biquad &b = (*bank)[k];
            b = Biquad{};
            lowPass(fc, qs[k], b.b0, b.b1, b.b2, b.a1, b.a2);
        }
    }
    // The filter's power gain for white noise: the sum of its impulse response squared.
    std::array<Biquad, 2> probe = m_lowI;
    double energy = 0;
    for (int n = 0; n < morse::kSampleRate; ++n) {
        const double h = probe[1].run(probe[0].run(n == 0 ? 1.0 : 0.0));
        energy += h * h;
    }
    const double omega = 2 * kPi * toneHz / kFs;
    m_cosStep = std::cos(omega);
    m_sinStep = std::sin(omega);
    m_re = 1;
    m_im = 0;

    // Static crashes: input deviation at a crash's top, as a share of the signal's
    // peak after the filter.
    m_crash = 0;
    m_crashDecay = 1;
    m_staticScale = 0;
    m_crashRate = 0;
    if (c.qrn != Static::None) {
        const bool heavy = c.qrn == Static::Heavy;
        m_staticScale = (heavy ? 1.2 : 0.5) * a / std::sqrt(energy);
        m_crashRate = (heavy ? 1.5 : 0.3) / kFs;
        m_untilCrash = 1 + std::int64_t(-std::log(1 - m_staticRng.uniform()) / m_crashRate);
    }

    // Fading: two one-pole low-passes at the fading rate on the decimated clock.
    m_fadeI1 = m_fadeI2 = m_fadeQ1 = m_fadeQ2 = 0;
    m_fadeFrom = m_fadeTo = 1;
    m_fadeStep = 0;
    m_fadePos = 0;
    if (c.qsb != Fading::None) {
        const double rate = kFs / kFadeStep;
        m_fadeA = 1 - std::exp(-2 * kPi * fadingHz(c.qsb) / rate);
        const double p = 1 - m_fadeA;
        const double a4 = std::pow(m_fadeA, 4);
        const double variance = a4 * (1 + p * p) / std::pow(1 - p * p, 3);
        m_fadeNorm = 1 / std::sqrt(2 * variance);
        // Start near the steady state rather than from a fade to zero.
        const double sd = std::sqrt(variance);
        m_fadeI1 = m_fadeI2 = sd * fadeDraw();
        m_fadeQ1 = m_fadeQ2 = sd * fadeDraw();
        m_fadeFrom = fadeAt();
        m_fadeTo = fadeAt();
        m_fadeStep = (m_fadeTo - m_fadeFrom) / kFadeStep;
    }

    // Other stations, each at its own offset, speed and level.
    double stationPeaks = 0;
    m_edge.resize(size_t(keying::edgeSamples(kStationRampMs, morse::kHalfSamples)));
    for (size_t i = 0; i < m_edge.size(); ++i)
        m_edge[i] = keying::riseWeight(int(i), int(m_edge.size()));
    for (int i = 0; i < c.qrm; ++i) {
        Station &s = m_stations[size_t(i)];
        buildStation(s, stationRng, i);
        double f = toneHz + (stationRng.uniform() < 0.5 ? -1 : 1)
                                * (0.12 + 0.3 * stationRng.uniform()) * c.filterHz;
        if (f < 150)
            f = 2 * toneHz - f;
        const double w = 2 * kPi * f / kFs;
        s.cosStep = std::cos(w);
        s.sinStep = std::sin(w);
        s.re = 1;
        s.im = 0;
        s.level *= a;
        stationPeaks += s.level;
    }
    m_stationCount = c.qrm;

    const double sigma = (m_noiseScale + m_staticScale) * std::sqrt(energy);
    const double needed = a + stationPeaks + kHeadroomSigmas * sigma;
    m_gain = needed > 0 ? a / needed : 1.0;
}

double BandConditions::fadeDraw()
{
    // The fading draws from its own stream so that the noise stays the same; the
    // low-passes behind make the sum of four uniforms Gaussian, as for the noise.
    const std::uint64_t x = m_fadeRng.next();
    const auto sum = double((x & 0xFFFF) + ((x >> 16) & 0xFFFF) + ((x >> 32) & 0xFFFF) + (x >> 48));
    return (sum - 4 * 65535 / 2.0) * (1.7320508075688772 / 65536);
}

double BandConditions::fadeAt()
{
    const double a = m_fadeA;
    m_fadeI1 += a * (fadeDraw() - m_fadeI1);
    m_fadeI2 += a * (m_fadeI1 - m_fadeI2);
    m_fadeQ1 += a * (fadeDraw() - m_fadeQ1);
    m_fadeQ2 += a * (m_fadeQ1 - m_fadeQ2);
    const double r = std::sqrt(m_fadeI2 * m_fadeI2 + m_fadeQ2 * m_fadeQ2) * m_fadeNorm;
    return 1 - m_conditions.qsbDepth * (1 - std::min(r, 1.0));
}

void BandConditions::stepStatic()
{
    if (--m_untilCrash <= 0) {
        // Most crashes are single clicks of a few ms; some are bursts up to about a second.
        const double top = 0.4 + 0.6 * m_staticRng.uniform();
        const bool burst = m_staticRng.uniform() < 0.3;
        const double tauMs = burst ? 80 + 270 * m_staticRng.uniform() : 1 + 3 * m_staticRng.uniform();
        m_crash = std::max(m_crash, top);
        m_crashDecay = std::exp(-1000.0 / (tauMs * kFs));
        m_untilCrash = 1 + std::int64_t(-std::log(1 - m_staticRng.uniform()) / m_crashRate);
    }
    m_crash *= m_crashDecay;
}

void BandConditions::buildStation(Station &s, Rng &rng, int index)
{
    const auto pick = [&rng](int n) { return int(rng.uniform() * n); };
    const auto letter = [&] { return QChar(u'A' + pick(26)); };
    QString call;
    for (int i = 0, n = 1 + pick(2); i < n; ++i)
        call += letter();
    call += QChar(u'0' + pick(10));
    for (int i = 0, n = 1 + pick(3); i < n; ++i)
        call += letter();

    const int wpm = 14 + pick(19);
    const std::int32_t dot = Morse::dotLength(wpm);
    s.level = 0.3 + 0.7 * rng.uniform();
    s.runs.clear();
    s.runs.reserve(2048);
    s.run = 0;
    s.pos = 0;
    // Runs alternate key-up (even index) and key-down (odd index).
    const auto add = [&s](bool down, std::int32_t length) {
        const bool lastDown = s.runs.size() % 2 == 0;
        if (!s.runs.empty() && lastDown == down)
            s.runs.back() += length;
        else
            s.runs.push_back(length);
    };
    add(false, std::int32_t(kFs * (0.2 + 2.0 * rng.uniform() + index)));
    for (int m = 0; m < kStationMessages; ++m) {
        const QString number = QString::number(1 + pick(999));
        QString text;
        const QString space = QStringLiteral(" ");
        switch (pick(6)) {
        case 0: text = QStringLiteral("CQ TEST ") + call; break;
        case 1: text = call + space + call; break;
        case 2: text = QStringLiteral("5NN ") + number; break;
        case 3: text = QStringLiteral("TU ") + call; break;
        case 4: text = QStringLiteral("CQ CQ DE ") + call + space + call + QStringLiteral(" K"); break;
        default: text = call + QStringLiteral(" 599 ") + number; break;
        }
        for (QChar ch : std::as_const(text)) {
            for (char sym : morse::lookupPattern(QStringView(&ch, 1)))
                add(sym != morse::kSymGap, dot);
            add(false, 3 * dot);
        }
        add(false, std::int32_t(kFs * (0.5 + 3.5 * rng.uniform())));
    }
    if (s.runs.size() % 2 == 0)
        add(false, dot);   // the sequence ends key-up, so it repeats cleanly
}

void BandConditions::addStation(Station &s, double *out, int count)
{
    const auto n = std::int32_t(m_edge.size());
    int k = 0;
    while (k < count) {
        const std::int32_t length = s.runs[s.run];
        const int take = int(std::min<std::int64_t>(count - k, length - s.pos));
        // Key-up runs are skipped whole: the tone's phase between two runs is
        // inaudible behind the raised-cosine edges.
        if (s.run % 2 == 1) {
            for (int j = 0; j < take; ++j) {
                const double re = s.re * s.cosStep - s.im * s.sinStep;
                s.im = s.re * s.sinStep + s.im * s.cosStep;
                s.re = re;
                const std::int32_t pos = s.pos + j;
                double w = 1.0;
                if (pos < n)
                    w = m_edge[size_t(pos)];
                else if (length - pos < n)
                    w = m_edge[size_t(length - pos)];
                out[k + j] += s.level * w * s.im;
            }
        }
        k += take;
        s.pos += take;
        if (s.pos >= length) {
            s.pos = 0;
            s.run = s.run + 1 == s.runs.size() ? 0 : s.run + 1;
        }
    }
}

void BandConditions::process(std::span<std::int16_t> samples)
{
    if (!m_conditions.active)
        return;
    const bool fading = m_conditions.qsb != Fading::None;
    const bool crashes = m_conditions.qrn != Static::None;
    // Block by block, one stage at a time over the block.
    for (size_t done = 0; done < samples.size(); done += kBlock) {
        const int count = int(std::min(samples.size() - done, size_t(kBlock)));
        std::int16_t *clean = samples.data() + done;
        double *x = m_block.data();
        for (int k = 0; k < count; ++k) {
            double scale = m_noiseScale;
            if (crashes) {
                stepStatic();
                scale += m_staticScale * m_crash;
            }
            const double i = m_lowI[1].run(m_lowI[0].run(noiseDraw() * scale));
            const double q = m_lowQ[1].run(m_lowQ[0].run(noiseDraw() * scale));
            const double re = m_re * m_cosStep - m_im * m_sinStep;
            m_im = m_re * m_sinStep + m_im * m_cosStep;
            m_re = re;
            x[k] = i * m_re - q * m_im;
        }
        if (fading) {
            for (int k = 0; k < count; ++k) {
                x[k] += m_fadeFrom * clean[k];
                m_fadeFrom += m_fadeStep;
                if (++m_fadePos == kFadeStep) {
                    m_fadePos = 0;
                    m_fadeFrom = m_fadeTo;
                    m_fadeTo = fadeAt();
                    m_fadeStep = (m_fadeTo - m_fadeFrom) / kFadeStep;
                }
            }
        } else {
            for (int k = 0; k < count; ++k)
                x[k] += clean[k];
        }
        for (int s = 0; s < m_stationCount; ++s)
            addStation(m_stations[size_t(s)], x, count);
        for (int k = 0; k < count; ++k) {
            // Rounded half away from zero: nearbyint is a library call without SSE4.1.
            const double y = std::clamp(x[k] * m_gain, -32768.0, 32767.0);
            clean[k] = static_cast<std::int16_t>(y < 0 ? y - 0.5 : y + 0.5);
        }
    }
    // The rotators drift by rounding; bring them back onto the unit circle.
    const auto renormalise = [](double &re, double &im) {
        const double r = std::hypot(re, im);
        re /= r;
        im /= r;
    };
    renormalise(m_re, m_im);
    for (int k = 0; k < m_stationCount; ++k)
        renormalise(m_stations[size_t(k)].re, m_stations[size_t(k)].im);
}

} // namespace band
