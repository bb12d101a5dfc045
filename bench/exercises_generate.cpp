// Prints how long generating practice texts takes: the text rules alone, and the
// whole of "Dan grupper" with 300 groups handed over into the main window's text box
// (window built, count checked, text generated, box filled), offscreen.

#include "engine/Morse.h"
#include "engine/sound_device/SimulatedSoundDevice.h"
#include "exercises/ExerciseSets.h"
#include "exercises/PracticeText.h"
#include "exercises/frm5grp.h"
#include "main/TextBox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

struct Figures {
    double meanUs = 0;
    double maxUs = 0;
};

Figures measure(int runs, const std::function<void()> &work)
{
    std::vector<double> us;
    QElapsedTimer timer;
    for (int i = 0; i < runs; ++i) {
        timer.start();
        work();
        us.push_back(double(timer.nsecsElapsed()) / 1000.0);
    }
    Figures f;
    for (double u : us)
        f.meanUs += u / double(runs);
    f.maxUs = *std::max_element(us.begin(), us.end());
    return f;
}

void print(const char *what, const Figures &f)
{
    std::printf("%-58s mean %9.1f us   max %9.1f us\n", what, f.meanUs, f.maxUs);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    const QString all45 = practice::exercise2Set(20);
    qsizetype sink = 0;
    print("groupText: 300 groups of 45 characters, clock seed",
          measure(2000, [&] { sink += practice::groupText(all45, 300, practice::clockSeededUniform()).size(); }));
    print("courseText: exercise 30, 300 groups",
          measure(2000, [&] { sink += practice::courseText(29, practice::clockSeededUniform()).size(); }));
    print("exercise2Text: 45 characters, 10 lines",
          measure(2000, [&] { sink += practice::exercise2Text(all45, 20, practice::clockSeededUniform()).size(); }));

    Settings settings;
    settings.giWPM = 20;
    settings.giTone = 800;
    settings.glVolume = 10000;
    Morse morse(settings, std::make_unique<SimulatedSoundDevice>());
    QWidget owner;
    TextBox text1(&owner);
    text1.setText(QStringLiteral("Tidligere tekst"));
    print("frm5grp: 300 groups generated and handed to the text box", measure(50, [&] {
              frm5grp window(&owner);
              window.txtAntal->setText(QStringLiteral("300"));
              window.txtTegn->setText(all45);
              window.cmdØvelse->click();
              morse.setText(window.generatedText().value_or(text1.Text()));
              text1.setText(morse.text());
          }));
    std::printf("target: under 50000 us for the hand-over (%lld characters made)\n",
                static_cast<long long>(sink));
    return 0;
}
