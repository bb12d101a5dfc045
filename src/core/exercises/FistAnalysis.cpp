#include "exercises/FistAnalysis.h"

#include <cmath>
#include <limits>

namespace keying {
namespace {

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
constexpr double kParisSeconds = 1.2;   // a dot at 1 WPM

struct Stats {
    int n = 0;
    double sum = 0;
    double squares = 0;
    void add(double v) { ++n; sum += v; squares += v * v; }
    double mean() const { return n > 0 ? sum / n : kNone; }
    double spread() const
    {
        if (n < 2 || sum <= 0)
            return kNone;
        const double m = sum / n;
        const double variance = std::max(0.0, squares / n - m * m);
        return std::sqrt(variance) / m;
    }
};

} // namespace

FistReport analyseFist(const std::vector<Interval> &intervals, int sampleRate)
{
    Stats kinds[5];
    for (const Interval &i : intervals)
        kinds[i.kind].add(double(i.length));

    FistReport r;
    r.markBins.assign(FistReport::kBinCount, 0);
    r.gapBins.assign(FistReport::kBinCount, 0);
    r.dots = kinds[Interval::Dot].n;
    r.dashes = kinds[Interval::Dash].n;
    r.valid = r.dots > 0;
    if (!r.valid)
        return r;
    r.dot = kinds[Interval::Dot].mean();
    r.wpm = kParisSeconds * sampleRate / r.dot;
    r.dahDit = kinds[Interval::Dash].mean() / r.dot;
    r.elementGap = kinds[Interval::ElementGap].mean() / r.dot;
    r.characterGap = kinds[Interval::CharacterGap].mean() / r.dot;
    r.wordGap = kinds[Interval::WordGap].mean() / r.dot;
    r.dotSpread = kinds[Interval::Dot].spread();
    r.dashSpread = kinds[Interval::Dash].spread();
    r.gapSpread = kinds[Interval::ElementGap].spread();

    // Each ratio costs its relative distance from the ideal, each spread itself; the
    // score is what is left of 100 after the mean of both.
    double distance = 0;
    int ratios = 0;
    const std::pair<double, double> ideal[] = {
        {r.dahDit, 3.0}, {r.elementGap, 1.0}, {r.characterGap, 3.0}, {r.wordGap, 7.0}};
    for (const auto &[value, target] : ideal) {
        if (!std::isnan(value)) {
            distance += std::abs(value - target) / target;
            ++ratios;
        }
    }
    double uneven = 0;
    int spreads = 0;
    for (const double s : {r.dotSpread, r.dashSpread, r.gapSpread}) {
        if (!std::isnan(s)) {
            uneven += s;
            ++spreads;
        }
    }
    const double loss = (ratios > 0 ? distance / ratios : 0) + (spreads > 0 ? uneven / spreads : 0);
    r.score = int(std::lround(100.0 * std::clamp(1.0 - loss, 0.0, 1.0)));

    for (const Interval &i : intervals) {
        const double units = double(i.length) / r.dot;
        const int bin = std::min(FistReport::kBinCount - 1, int(units / FistReport::kBinWidth));
        (i.kind == Interval::Dot || i.kind == Interval::Dash ? r.markBins : r.gapBins)[size_t(bin)]++;
    }
    return r;
}

} // namespace keying
