#pragma once
// Power spectra of rendered sound, for the keying and band-condition checks.

#include "engine/constants.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <numbers>
#include <span>
#include <vector>

namespace soundtest {

// In-place radix-2 FFT; the size must be a power of two.
inline void fft(std::vector<std::complex<double>> &a)
{
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(a[i], a[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        const double angle = -2 * std::numbers::pi / double(len);
        const std::complex<double> w(std::cos(angle), std::sin(angle));
        for (size_t i = 0; i < n; i += len) {
            std::complex<double> wk(1);
            for (size_t k = 0; k < len / 2; ++k) {
                const std::complex<double> u = a[i + k];
                const std::complex<double> v = a[i + k + len / 2] * wk;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
                wk *= w;
            }
        }
    }
}

// One-sided power per bin of samples (zero-padded to a power of two), with the
// bin width in hertz.
struct Spectrum {
    std::vector<double> power;
    double binHz = 0;

    // Power between lo and hi hertz.
    double band(double lo, double hi) const
    {
        double sum = 0;
        for (size_t k = 0; k < power.size(); ++k) {
            const double f = double(k) * binHz;
            if (f >= lo && f <= hi)
                sum += power[k];
        }
        return sum;
    }
    double total() const { return band(0, 1e9); }
};

inline Spectrum spectrumOf(std::span<const std::int16_t> samples)
{
    size_t n = 1;
    while (n < samples.size())
        n <<= 1;
    std::vector<std::complex<double>> a(n);
    for (size_t i = 0; i < samples.size(); ++i)
        a[i] = samples[i];
    fft(a);
    Spectrum s;
    s.binHz = double(morse::kSampleRate) / double(n);
    s.power.resize(n / 2 + 1);
    for (size_t k = 0; k <= n / 2; ++k)
        s.power[k] = std::norm(a[k]) * (k == 0 || k == n / 2 ? 1 : 2);
    return s;
}

// The samples kept only between lo and hi hertz (a brick-wall band-pass).
inline std::vector<double> bandPass(const std::vector<std::int16_t> &x, double lo, double hi)
{
    size_t n = 1;
    while (n < x.size())
        n <<= 1;
    std::vector<std::complex<double>> a(n);
    for (size_t i = 0; i < x.size(); ++i)
        a[i] = x[i];
    fft(a);
    const double bin = double(morse::kSampleRate) / double(n);
    for (size_t k = 0; k < n; ++k) {
        const double f = double(std::min(k, n - k)) * bin;
        if (f < lo || f > hi)
            a[k] = 0;
    }
    // The inverse through the forward transform of the conjugate.
    for (auto &v : a)
        v = std::conj(v);
    fft(a);
    std::vector<double> out(x.size());
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = a[i].real() / double(n);
    return out;
}

// Key-down (1) and key-up (0) samples of the clean sound at least margin samples
// from any key edge; -1 for the rest.
inline std::vector<int> keyState(const std::vector<std::int16_t> &clean, int margin)
{
    const int n = int(clean.size());
    std::vector<int> on(clean.size());
    // On: some sample within a tone period is loud.
    for (int i = 0; i < n; ++i)
        for (int j = std::max(0, i - 60); j <= std::min(n - 1, i + 60) && !on[size_t(i)]; ++j)
            on[size_t(i)] = std::abs(clean[size_t(j)]) > 2000;
    std::vector<int> state(clean.size(), -1);
    for (int i = margin; i + margin < n; ++i) {
        const int v = on[size_t(i)];
        bool steady = true;
        for (int j = i - margin; j <= i + margin && steady; j += 8)
            steady = on[size_t(j)] == v;
        if (steady)
            state[size_t(i)] = v;
    }
    return state;
}

} // namespace soundtest
