#pragma once
// Soft keying: raised-cosine rise and fall edges for the tone elements, in place of
// the 25-sample linear ramp. Built once with the elements; nothing runs while sending.

#include <cstdint>
#include <span>

namespace keying {

constexpr int kDefaultRampMs = 5;    // what "Blød nøgling" gives
constexpr int kMinRampMs = 1;
constexpr int kMaxRampMs = 10;

// Samples in one edge of rampMs milliseconds, at most a quarter of the dot so that
// very high speeds keep their elements; 0 when rampMs is 0 (the linear ramp).
int edgeSamples(int rampMs, int dotSamples);

// The weight of sample i of a rising edge of n samples: (1 - cos(pi i / n)) / 2,
// 0 at i = 0 and 1 from i = n on.
double riseWeight(int i, int n);

// Shapes the first n samples of element as a rising edge.
void shapeRise(std::span<std::int16_t> element, int n);
// Shapes the last n of the first played samples of element as a falling edge,
// the mirror of the rise: sample played - k gets riseWeight(k, n).
void shapeFall(std::span<std::int16_t> element, int played, int n);

} // namespace keying
