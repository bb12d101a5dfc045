#include "settings/SoundSettings.h"

#include "engine/Keying.h"

namespace settings {

namespace {

const QString kSection = QStringLiteral("Lyd");

} // namespace

int loadSoftRampMs(Store &store)
{
    const bool on = readOr(store, kSection, QStringLiteral("BlodNogling"), false,
                           [](const QString &t) { return toBoolean(t); });
    return on ? storedRampMs(store) : 0;
}

int storedRampMs(Store &store)
{
    const auto ms = readOr<qint64>(store, kSection, QStringLiteral("RampeMs"), keying::kDefaultRampMs,
                                   [](const QString &t) {
                                       return toInteger(t, QLocale::system(), keying::kMinRampMs,
                                                        keying::kMaxRampMs);
                                   });
    return int(ms);
}

bool saveSoftKeying(Store &store, bool on)
{
    store.setValue(kSection + QStringLiteral("/BlodNogling"), booleanText(on));
    return store.sync();
}

} // namespace settings
