#pragma once
// The fist ("Håndskrift") of an attempt: the speed keyed, the ratios of dashes and
// gaps to the dot against their ideals, how evenly each was keyed, one score for it
// all, and a histogram of the lengths for the chart.

#include "exercises/SendDecoder.h"

#include <vector>

namespace keying {

struct FistReport {
    int dots = 0;
    int dashes = 0;
    double dot = 0;            // mean dot length, samples
    double wpm = 0;            // speed keyed: PARIS at the mean dot length
    // Means over the dot; NaN when the attempt had none of that kind.
    double dahDit = 0;         // ideal 3
    double elementGap = 0;     // ideal 1
    double characterGap = 0;   // ideal 3
    double wordGap = 0;        // ideal 7
    // Coefficients of variation (standard deviation / mean); NaN with under two.
    double dotSpread = 0;
    double dashSpread = 0;
    double gapSpread = 0;      // the element gaps
    int score = 0;             // 0-100; 100: every ratio ideal and nothing uneven
    bool valid = false;        // at least one dot: the rest is measured against it

    // Histogram of the lengths in dot units, kBinWidth wide from 0 to kBinCount bins.
    static constexpr double kBinWidth = 0.25;
    static constexpr int kBinCount = 40;   // up to 10 units; longer lands in the last
    std::vector<int> markBins;
    std::vector<int> gapBins;
};

FistReport analyseFist(const std::vector<Interval> &intervals, int sampleRate);

} // namespace keying
