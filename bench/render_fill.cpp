// Time of one fill of a half (Morse::FyldDel) at 20 WPM over a 2000-character text,
// without a device and with the simulated device taking the half. Target: 20 us.

#include "render_text.h"

#include "engine/Cp1252.h"
#include "engine/Morse.h"
#include "engine/sound_device/SimulatedSoundDevice.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kFills = 20000;

void measure(const char *label, Morse &morse, const QString &text)
{
    std::vector<qint64> ns;
    ns.reserve(kFills);
    morse.setText(text);
    QElapsedTimer timer;
    for (int i = 0, half = 0; i < kFills; ++i, half ^= 1) {
        timer.start();
        const bool more = morse.FyldDel(half);
        ns.push_back(timer.nsecsElapsed());
        if (!more) {   // start the text again
            morse.StopSending();
            morse.setText(text);
            half = 1;
        }
    }
    std::sort(ns.begin(), ns.end());
    double sum = 0;
    for (qint64 v : ns)
        sum += double(v);
    std::printf("%-28s mean %7.2f us  median %7.2f us  p99 %7.2f us  max %8.2f us  (%d fills)\n",
                label, sum / kFills / 1000.0, double(ns[ns.size() / 2]) / 1000.0,
                double(ns[ns.size() * 99 / 100]) / 1000.0, double(ns.back()) / 1000.0, kFills);
}

} // namespace

int main()
{
    const QString text = cp1252::upper(cp1252::decode(benchmarkText())) + u' ';
    Settings settings;
    settings.giWPM = 20;
    settings.giTone = 800;
    settings.glVolume = 10000;
    settings.giFarnsworth = 0;

    std::printf("One fill of a half (22050 samples), 20 WPM, target <= 20 us\n");
    Morse bare(settings, nullptr);
    bare.buildElements();
    measure("FyldDel, no device", bare, text);

    Morse simulated(settings, std::make_unique<SimulatedSoundDevice>());
    if (!simulated.LavLyd())
        return 1;
    measure("FyldDel + simulated write", simulated, text);
    return 0;
}
