#include "settings/RealSpeed.h"

#include "settings/SettingsStore.h"

#include <QLocale>

#include <cmath>
#include <limits>

namespace {

constexpr int kWordLength = 5;             // characters per word
constexpr int kDotUnitsPerWpm = 50;        // A = 50 x W

bool fitsInt16(double v)
{
    return v >= std::numeric_limits<qint16>::min() && v <= std::numeric_limits<qint16>::max();
}

} // namespace

namespace settings {

std::optional<RealSpeed> realSpeed(const QString &wpmText, const QString &farnsworthText)
{
    const QLocale locale;
    const std::optional<qint16> w = toInt16(wpmText, locale);
    const std::optional<qint16> f = toInt16(farnsworthText, locale);
    bool ok = false;
    const double wAsDouble = locale.toDouble(wpmText, &ok);
    if (!w || !f || !ok)
        return std::nullopt;

    // The default rounding mode rounds ties to even, as the 16-bit conversion does.
    // W fits 16 bits here, so the product is finite.
    const double c5 = std::nearbyint(wAsDouble * kWordLength);
    if (!fitsInt16(c5))
        return std::nullopt;
    const auto c = static_cast<long long>(c5);

    // 16-bit arithmetic: every intermediate result must fit, as it would have to.
    const long long a = static_cast<long long>(kDotUnitsPerWpm) * *w;
    const long long cf = c * *f;
    const long long b = cf + a;
    if (!fitsInt16(double(a)) || !fitsInt16(double(cf)) || !fitsInt16(double(b)) || b <= 0)
        return std::nullopt;

    // Division first, as the figures of the dialog have always been computed.
    const double raw = (double(a) / double(b)) * double(c);
    RealSpeed speed;
    speed.cpm = static_cast<int>(std::floor(raw + 0.5));
    speed.wpm = static_cast<int>(std::floor(double(speed.cpm) / kWordLength));
    return speed;
}

} // namespace settings
