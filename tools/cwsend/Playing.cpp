#include "Playing.h"

#include "Tool.h"

#include "engine/Morse.h"
#include "PulseSoundDevice.h"

#include <QTimer>

#include <memory>

namespace cwsend {
namespace {

constexpr int kSignalPollMs = 100;          // how often the event loop looks for Ctrl+C

// Why the sound device is not usable, in the tool's words.
QString soundProblem(SoundError error)
{
    switch (error) {
    case SoundError::NoServer:
        return CwSend::tr("Ingen lydserver svarer.");
    case SoundError::RefusedFormat:
        return CwSend::tr("Lydserveren kan ikke spille 44100 Hz mono 16 bit.");
    case SoundError::ServerLost:
        return CwSend::tr("Forbindelsen til lydserveren er afbrudt.");
    case SoundError::InvalidBuffer:
        return CwSend::tr("Lydbufferen har en ugyldig størrelse.");
    case SoundError::None:
        break;
    }
    return {};
}

} // namespace

int playOnDevice(Settings &settings, const QString &text, const band::Conditions &conditions)
{
    Morse morse(settings, std::make_unique<PulseSoundDevice>());
    // Prepared before the first fill: the fills only run the filters.
    band::BandConditions band;
    if (conditions.active) {
        band.prepare(conditions, settings.giTone, settings.glVolume);
        morse.setConditions(&band);
    }
    if (!morse.LavLyd()) {
        const QString reason = soundProblem(morse.error());
        return fail(CwSend::tr("Lydkort findes ikke.") + (reason.isEmpty() ? QString() : u' ' + reason)
                    + u' ' + CwSend::tr("Brug -o for at skrive lyden i en WAV-fil."));
    }
    g_exitAtOnce = 0;

    int status = kExitOk;
    morse.transmissionEnded = [] { QCoreApplication::exit(kExitOk); };
    morse.deviceFailed = [&status, &morse] {
        status = fail(CwSend::tr("lydkortet holdt op med at virke under afsendelsen: %1")
                          .arg(soundProblem(morse.error())));
        QCoreApplication::exit(status);
    };
    QTimer poll;
    poll.setInterval(kSignalPollMs);
    QObject::connect(&poll, &QTimer::timeout, [&morse] {
        if (!g_signal)
            return;
        morse.StopSending();
        QCoreApplication::exit(kExitSignalBase + g_signal);
    });
    poll.start();
    morse.setText(text);
    QTimer::singleShot(0, [&morse] {
        if (!morse.StartSending())
            QCoreApplication::exit(fail(CwSend::tr("Lydkort findes ikke.")));
    });
    const int result = QCoreApplication::exec();
    return status != kExitOk ? status : result;
}

} // namespace cwsend
