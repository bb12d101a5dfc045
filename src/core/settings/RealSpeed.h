#pragma once
// The real speed of a text keyed at a speed with extra character spacing, as the
// CW settings dialog shows it.

#include <QString>

#include <optional>

namespace settings {

// The real speed of a text keyed at a speed with extra spacing: every character
// counts 10 dot units on average, and the spacing adds F units after each one.
struct RealSpeed {
    int cpm = 0;   // characters per minute, halves rounded up
    int wpm = 0;   // words (5 characters) per minute, rounded down
};

// BeregnHastighed's arithmetic on the texts of the speed and spacing boxes:
// W and F are the texts as 16-bit integers, C = 5 x W as a rounded double, then
// A = 50 W and B = C F + 50 W in 16-bit arithmetic and CPM = Int((A / B) x C + 0.5).
// nullopt when a text is no number, a 16-bit step overflows, or B <= 0.
std::optional<RealSpeed> realSpeed(const QString &wpmText, const QString &farnsworthText);

} // namespace settings
