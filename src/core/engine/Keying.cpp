#include "engine/Keying.h"

#include "engine/constants.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace keying {

int edgeSamples(int rampMs, int dotSamples)
{
    if (rampMs <= 0)
        return 0;
    const int wanted = int(std::lround(double(rampMs) * morse::kSampleRate / 1000.0));
    return std::clamp(wanted, 1, std::max(1, dotSamples / 4));
}

double riseWeight(int i, int n)
{
    if (i >= n)
        return 1.0;
    if (i <= 0)
        return 0.0;
    return 0.5 * (1.0 - std::cos(std::numbers::pi * i / n));
}

namespace {

std::int16_t weighted(std::int16_t v, double w)
{
    return static_cast<std::int16_t>(std::nearbyint(double(v) * w));
}

} // namespace

void shapeRise(std::span<std::int16_t> element, int n)
{
    const int count = std::min(n, int(element.size()));
    for (int i = 0; i < count; ++i)
        element[size_t(i)] = weighted(element[size_t(i)], riseWeight(i, n));
}

void shapeFall(std::span<std::int16_t> element, int played, int n)
{
    const int last = std::min(played, int(element.size()));
    for (int k = 1; k <= n && last - k >= 0; ++k)
        element[size_t(last - k)] = weighted(element[size_t(last - k)], riseWeight(k, n));
}

} // namespace keying
