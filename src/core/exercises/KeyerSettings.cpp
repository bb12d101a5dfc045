#include "exercises/KeyerSettings.h"

#include "exercises/SendHistory.h"

namespace keying {

KeyerChoice readKeyerChoice(settings::Store &store)
{
    KeyerChoice c;
    c.mode = settings::readOr(store, kKeyerSection, QStringLiteral("Tilstand"), c.mode,
                              [](const QString &text) -> std::optional<KeyerMode> {
                                  KeyerMode m;
                                  return modeFromKey(text, m) ? std::optional(m) : std::nullopt;
                              });
    c.swapped = settings::readOr(store, kKeyerSection, QStringLiteral("BytHaandtag"), c.swapped,
                                 [](const QString &text) { return settings::toBoolean(text); });
    return c;
}

bool saveKeyerChoice(settings::Store &store, const KeyerChoice &choice)
{
    store.setValue(kKeyerSection + QStringLiteral("/Tilstand"), modeKey(choice.mode));
    store.setValue(kKeyerSection + QStringLiteral("/BytHaandtag"), settings::booleanText(choice.swapped));
    return store.sync();
}

} // namespace keying
