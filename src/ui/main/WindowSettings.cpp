#include "main/WindowSettings.h"

#include "settings/KeyTable.h"

#include <limits>

namespace settings {
namespace {

constexpr float kMaxTwips = 1.0e6f;         // 694 inches: 66 667 pixels at 96 dpi
constexpr float kMinFontPoints = 1;
constexpr float kMaxFontPoints = 1638;      // points: 23 inches, more than any screen shows

const QStringList kGeometryKeys = {QStringLiteral("MainLeft"), QStringLiteral("MainTop"),
                                   QStringLiteral("MainWidth"), QStringLiteral("MainHeight")};
const QStringList kAlwaysKeys = {QStringLiteral("Skjul"), QStringLiteral("FontName"),
                                 QStringLiteral("FontBold"), QStringLiteral("FontItalic"),
                                 QStringLiteral("FontSize")};

// A position or size far beyond any screen (pixels would overflow an int), a size of
// zero or less, or a font size no font has is as malformed as a word.
const KeyTable<WindowSettings> &windowTable()
{
    using W = WindowSettings;
    static const KeyTable<W> table(QStringLiteral("Settings"), W(), [] {
        const auto position = singleConversion(-kMaxTwips, kMaxTwips);
        const auto size = singleConversion(std::numeric_limits<float>::min(), kMaxTwips);
        return std::vector<KeyRow<W>>{
            keyRow<W>(kGeometryKeys[0], &W::MainLeft, position),
            keyRow<W>(kGeometryKeys[1], &W::MainTop, position),
            keyRow<W>(kGeometryKeys[2], &W::MainWidth, size),
            keyRow<W>(kGeometryKeys[3], &W::MainHeight, size),
            keyRow<W>(kAlwaysKeys[0], &W::Skjul, booleanConversion()),
            keyRow<W>(kAlwaysKeys[1], &W::FontName, textConversion()),
            keyRow<W>(kAlwaysKeys[2], &W::FontBold, booleanConversion()),
            keyRow<W>(kAlwaysKeys[3], &W::FontItalic, booleanConversion()),
            keyRow<W>(kAlwaysKeys[4], &W::FontSize, singleConversion(kMinFontPoints, kMaxFontPoints)),
        };
    }());
    return table;
}

// The store knows the window's section in every process that links the window.
[[maybe_unused]] const SectionTable &kWindowSection = windowTable();

} // namespace

WindowSettings loadWindowSettings(Store &store)
{
    return windowTable().load(store);
}

bool saveWindowSettings(Store &store, const WindowSettings &window, bool withGeometry)
{
    return windowTable().save(store, window, withGeometry ? QStringList() : kAlwaysKeys);
}

bool saveSendingSettings(Store &store, const Settings &record)
{
    return GemIndstillinger(store, record);
}

} // namespace settings
