#pragma once
// Band conditions: what a receiver in CW mode makes of the clean sound. Noise behind
// a CW filter centred on the tone, fading, other stations and static crashes, added
// half by half to the samples the engine has synthesised. Prepared (and allocated)
// when the conditions change; processing a half allocates nothing.

#include <QString>
#include <QStringView>

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace band {

enum class Fading { None, Slow, Fast, Flutter };   // about 0.1, 0.5 and 10 Hz
enum class Static { None, Light, Heavy };

constexpr double kMinSnrDb = -15.0;
constexpr double kMaxSnrDb = 40.0;
constexpr std::array<int, 4> kFilterWidths = {250, 500, 1000, 2400};   // hertz
constexpr int kDefaultFilterHz = 500;
constexpr double kReferenceBandHz = 500.0;    // the S/N is noise power in this band
constexpr int kMaxQrm = 3;
constexpr double kDefaultQsbDepth = 0.8;

struct Conditions {
    bool active = false;        // false: the clean sound, nothing added
    double snrDb = 10.0;        // key-down signal power over noise power in 500 Hz
    int filterHz = kDefaultFilterHz;
    Fading qsb = Fading::None;
    double qsbDepth = kDefaultQsbDepth;   // 0..1: the deepest fade leaves 1 - depth
    int qrm = 0;                // other stations, 0..kMaxQrm
    Static qrn = Static::None;
    std::uint64_t seed = 1;     // every random choice follows from it

    bool operator==(const Conditions &) const = default;
};

// The named presets, "Ren" (inactive) first.
struct Preset {
    const char16_t *name;
    bool active;
    double snrDb;
};
std::span<const Preset> presets();

// Conditions brought into their ranges: S/N clamped, the filter to the nearest
// width offered, depth to 0..1, QRM to 0..3.
Conditions bounded(Conditions c);

// Text forms for files and command lines ("slow", "light"), and back.
QString fadingName(Fading f);
QString staticName(Static s);
bool parseFading(QStringView text, Fading *f);
bool parseStatic(QStringView text, Static *s);

// The conditions as telvok-cw-send's options ("--snr 10 --filter 500 --seed 7"),
// which play the same sound again; empty when inactive.
QString optionText(const Conditions &c);

class BandConditions {
public:
    BandConditions();

    // Prepares the noise filter, the fading, the static and the other stations for a
    // signal at toneHz with peak amplitude volume, and starts over from the seed.
    void prepare(const Conditions &conditions, int toneHz, int volume);
    const Conditions &conditions() const { return m_conditions; }
    bool active() const { return m_conditions.active; }

    // Replaces the clean samples by the receiver's output, continuing where the last
    // call ended. Without active conditions the samples stay as they are.
    void process(std::span<std::int16_t> samples);

    // The factor applied to the clean signal so that its peak plus about 4.5 standard
    // deviations of noise and static plus the other stations' peaks fit the volume.
    double signalGain() const { return m_gain; }

private:
    struct Biquad {
        double b0 = 0, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
        double z1 = 0, z2 = 0;
        double run(double x)
        {
            const double y = b0 * x + z1;
            z1 = b1 * x - a1 * y + z2;
            z2 = b2 * x - a2 * y;
            return y;
        }
    };
    struct Station {
        std::vector<std::int32_t> runs;   // alternating key-up, key-down lengths in samples
        size_t run = 0;
        std::int32_t pos = 0;
        double level = 0;                  // peak relative to the signal
        double cosStep = 1, sinStep = 0;   // the tone's rotation per sample
        double re = 1, im = 0;
    };
    struct Rng {
        std::uint64_t state = 0;
        std::uint64_t next()
        {
            // splitmix64: 64 bits of state, good enough for sound and cheap.
            std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
            return z ^ (z >> 31);
        }
        double uniform();                  // [0, 1)
    };

    // The sum of four 16-bit uniforms from one draw, zero mean and unit variance:
    // nearly Gaussian already, and the filter behind it, averaging dozens of
    // samples, leaves it Gaussian to well within what an ear or a decoder notices.
    // A logarithm per sample would cost more than everything else together.
    double noiseDraw()
    {
        const std::uint64_t x = m_noiseRng.next();
        const auto sum = double((x & 0xFFFF) + ((x >> 16) & 0xFFFF) + ((x >> 32) & 0xFFFF) + (x >> 48));
        constexpr double kMean = 4 * 65535 / 2.0;
        constexpr double kScale = 1.7320508075688772 / 65536;   // sqrt(3) / 2^16
        return (sum - kMean) * kScale;
    }
    double fadeDraw();
    double fadeAt();
    void stepStatic();
    // Adds the station's keyed tone to count samples of out.
    void addStation(Station &s, double *out, int count);
    void buildStation(Station &s, Rng &rng, int index);

    Conditions m_conditions;
    double m_gain = 1.0;
    double m_noiseScale = 0;        // input noise standard deviation, in sample units
    double m_staticScale = 0;       // extra input deviation at the top of a crash

    std::array<Biquad, 2> m_lowI, m_lowQ;   // 4th-order Butterworth at half the filter
    double m_cosStep = 1, m_sinStep = 0;    // tone rotation per sample
    double m_re = 1, m_im = 0;

    Rng m_noiseRng, m_fadeRng, m_staticRng;

    // Fading: a complex Gaussian through two one-pole low-passes, its magnitude
    // normalised to RMS 1; computed every kFadeStep samples and interpolated.
    double m_fadeA = 0;             // one-pole coefficient
    double m_fadeNorm = 1;
    double m_fadeI1 = 0, m_fadeI2 = 0, m_fadeQ1 = 0, m_fadeQ2 = 0;
    double m_fadeFrom = 1, m_fadeTo = 1;
    double m_fadeStep = 0;          // per sample, from one fading value to the next
    int m_fadePos = 0;

    // Static: a crash envelope that jumps up at each crash and decays.
    double m_crash = 0;
    double m_crashDecay = 1;
    std::int64_t m_untilCrash = 0;
    double m_crashRate = 0;         // crashes per sample

    static constexpr int kBlock = 256;      // samples processed stage by stage
    std::array<double, kBlock> m_block{};
    std::vector<double> m_edge;     // raised-cosine weights of the stations' key edges
    std::array<Station, kMaxQrm> m_stations;
    int m_stationCount = 0;
};

} // namespace band
