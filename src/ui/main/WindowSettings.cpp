#include "main/WindowSettings.h"

#include "settings/KeyTable.h"

#include <limits>

namespace settings {
namespace {

constexpr float kMaxTwips = 1.0e6f;         // 694 inches: 66 667 pixels at 96 dpi
constexpr float kMinFontPoints = 1;
constexpr float kMaxFontPoints = 1638;      // points: 23 inches, more than any screen shows

constexpr qsizetype kGeometryRows = 4;     // the table's first rows: left, top, width, height

// A position or size far beyond any screen (pixels would overflow an int), a size of
// zero or less, or a font size no font has is as malformed as a word.
const KeyTable<WindowSettings> &windowTable()
{
    using W = WindowSettings;
    static const KeyTable<W> table(QStringLiteral("Settings"), W(), [] {
        const auto position = singleConversion(-kMaxTwips, kMaxTwips);
        const auto size = singleConversion(std::numeric_limits<float>::min(), kMaxTwips);
        return std::vector<KeyRow<W>>{
            keyRow<W>(QStringLiteral("MainLeft"), &W::MainLeft, position),
            keyRow<W>(QStringLiteral("MainTop"), &W::MainTop, position),
            keyRow<W>(QStringLiteral("MainWidth"), &W::MainWidth, size),
            keyRow<W>(QStringLiteral("MainHeight"), &W::MainHeight, size),
            keyRow<W>(QStringLiteral("Skjul"), &W::Skjul, booleanConversion()),
            keyRow<W>(QStringLiteral("FontName"), &W::FontName, textConversion()),
            keyRow<W>(QStringLiteral("FontBold"), &W::FontBold, booleanConversion()),
            keyRow<W>(QStringLiteral("FontItalic"), &W::FontItalic, booleanConversion()),
            keyRow<W>(QStringLiteral("FontSize"), &W::FontSize, singleConversion(kMinFontPoints, kMaxFontPoints)),
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
    const QStringList keys = windowTable().keys();
    return windowTable().save(store, window, withGeometry ? keys : keys.mid(kGeometryRows));
}

bool saveSendingSettings(Store &store, const Settings &record)
{
    return GemIndstillinger(store, record);
}

} // namespace settings
