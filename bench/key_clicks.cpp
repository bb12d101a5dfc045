// Key clicks: the share of the sound's energy more than 300 Hz from the tone, for
// "PARIS " x 10 at 20 WPM and 800 Hz, with the 25-sample ramp and with raised-cosine
// edges of 1 to 10 ms.

#include "support/SoundSamples.h"
#include "support/PowerBands.h"

#include <cmath>
#include <cstdio>

int main()
{
    const QString text = QStringLiteral("PARIS ").repeated(10);
    std::printf("edge          outside tone +-300 Hz\n");
    for (int ms : {0, 1, 2, 3, 5, 8, 10}) {
        Settings s = soundtest::soundSettings(20);
        s.softRampMs = ms;
        const std::vector<std::int16_t> sound = soundtest::renderHalves(s, text);
        const soundtest::Spectrum sp = soundtest::spectrumOf(sound);
        const double inside = sp.band(800 - 300, 800 + 300);
        const double share = (sp.total() - inside) / sp.total();
        std::printf("%-12s  %8.1f dB\n", ms == 0 ? "25 samples" : qPrintable(QStringLiteral("%1 ms").arg(ms)),
                    10 * std::log10(share));
    }
    return 0;
}
