#include "main/WindowSettings.h"

#include "settings/SettingsStore.h"

#include <limits>

namespace settings {
namespace {

const QString kSectionSettings = QStringLiteral("Settings");
constexpr float kMaxTwips = 1.0e6f;         // 694 inches: 66 667 pixels at 96 dpi
constexpr float kMinFontPoints = 1;
constexpr float kMaxFontPoints = 1638;      // points: 23 inches, more than any screen shows

// Reads both sections once more, so that the store knows whether any value of it
// falls back to a default (and the store must be copied before it is written).
void noteFallbacks(Store &store)
{
    Settings scratch;
    HentIndstillinger(store, scratch);
    loadWindowSettings(store);
}

} // namespace

WindowSettings loadWindowSettings(Store &store)
{
    const WindowSettings d;
    WindowSettings w;
    const auto boolean = [](const QString &t) { return toBoolean(t); };
    // A position or size far beyond any screen (pixels would overflow an int), a
    // size of zero or less, or a font size no font has is as malformed as a word.
    const auto within = [](float min, float max) {
        return [min, max](const QString &t) {
            const std::optional<float> v = toSingle(t);
            return v && *v >= min && *v <= max ? v : std::nullopt;
        };
    };
    const auto position = within(-kMaxTwips, kMaxTwips);
    const auto size = within(std::numeric_limits<float>::min(), kMaxTwips);
    w.MainLeft = readOr<float>(store, kSectionSettings, QStringLiteral("MainLeft"), d.MainLeft, position);
    w.MainTop = readOr<float>(store, kSectionSettings, QStringLiteral("MainTop"), d.MainTop, position);
    w.MainWidth = readOr<float>(store, kSectionSettings, QStringLiteral("MainWidth"), d.MainWidth, size);
    w.MainHeight = readOr<float>(store, kSectionSettings, QStringLiteral("MainHeight"), d.MainHeight, size);
    w.Skjul = readOr<bool>(store, kSectionSettings, QStringLiteral("Skjul"), d.Skjul, boolean);
    w.FontName = readText(store, kSectionSettings, QStringLiteral("FontName")).value_or(d.FontName);
    w.FontBold = readOr<bool>(store, kSectionSettings, QStringLiteral("FontBold"), d.FontBold, boolean);
    w.FontItalic = readOr<bool>(store, kSectionSettings, QStringLiteral("FontItalic"), d.FontItalic, boolean);
    w.FontSize = readOr<float>(store, kSectionSettings, QStringLiteral("FontSize"), d.FontSize,
                               within(kMinFontPoints, kMaxFontPoints));
    return w;
}

bool saveWindowSettings(Store &store, const WindowSettings &window, bool withGeometry)
{
    noteFallbacks(store);
    if (withGeometry) {
        store.setValue(kSectionSettings + u'/' + QStringLiteral("MainLeft"), singleText(window.MainLeft));
        store.setValue(kSectionSettings + u'/' + QStringLiteral("MainTop"), singleText(window.MainTop));
        store.setValue(kSectionSettings + u'/' + QStringLiteral("MainWidth"), singleText(window.MainWidth));
        store.setValue(kSectionSettings + u'/' + QStringLiteral("MainHeight"), singleText(window.MainHeight));
    }
    store.setValue(kSectionSettings + u'/' + QStringLiteral("Skjul"), booleanText(window.Skjul));
    store.setValue(kSectionSettings + u'/' + QStringLiteral("FontName"), window.FontName);
    store.setValue(kSectionSettings + u'/' + QStringLiteral("FontBold"), booleanText(window.FontBold));
    store.setValue(kSectionSettings + u'/' + QStringLiteral("FontItalic"), booleanText(window.FontItalic));
    store.setValue(kSectionSettings + u'/' + QStringLiteral("FontSize"), singleText(window.FontSize));
    return store.sync();
}

bool saveSendingSettings(Store &store, const Settings &record)
{
    loadWindowSettings(store);
    return GemIndstillinger(store, record);
}

} // namespace settings
