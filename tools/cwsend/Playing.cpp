#include "Playing.h"

#include "Tool.h"

#include "engine/Morse.h"
#include "engine/sound_device/QtSoundDevice.h"

#include <QTimer>

#include <memory>

namespace cwsend {
namespace {

constexpr int kSignalPollMs = 20;           // how often the event loop looks for Ctrl+C

} // namespace

int playOnDevice(Settings &settings, const QString &text)
{
    Morse morse(settings, std::make_unique<QtSoundDevice>());
    if (!morse.LavLyd()) {
        const QString reason = morse.errorString();
        return fail(CwSend::tr("Lydkort findes ikke.") + (reason.isEmpty() ? QString() : u' ' + reason)
                    + u' ' + CwSend::tr("Brug -o for at skrive lyden i en WAV-fil."));
    }
    g_exitAtOnce = 0;

    int status = kExitOk;
    morse.transmissionEnded = [] { QCoreApplication::exit(kExitOk); };
    morse.deviceFailed = [&status, &morse] {
        status = fail(CwSend::tr("lydkortet holdt op med at virke under afsendelsen: %1")
                          .arg(morse.errorString()));
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
    morse.gsCWTekst = text;
    QTimer::singleShot(0, [&morse] {
        if (!morse.StartSending())
            QCoreApplication::exit(fail(CwSend::tr("Lydkort findes ikke.")));
    });
    const int result = QCoreApplication::exec();
    return status != kExitOk ? status : result;
}

} // namespace cwsend
