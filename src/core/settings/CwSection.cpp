// Section "CW": the sending parameters and the stored texts.

#include "settings/KeyTable.h"

#include "engine/constants.h"

#include <algorithm>

namespace settings {
namespace {

const KeyTable<Settings> &cwTable();

} // namespace

// The store knows section "CW" whether or not this process has loaded it.
const SectionTable &cwSection()
{
    return cwTable();
}

namespace {

const KeyTable<Settings> &cwTable()
{
    // The engine needs 25 <= dot length < 22050 samples and a 16-bit amplitude.
    // Farnsworth has only an upper bound: a negative value still leaves one unit
    // of silence after each character.
    static const KeyTable<Settings> table(QStringLiteral("CW"), defaults(), [] {
        std::vector<KeyRow<Settings>> rows = {
            keyRow<Settings>(QStringLiteral("WPM"), &Settings::giWPM,
                             bounded<qint16>(int16Conversion(), [](const qint16 &v) {
                                 return qint16(std::clamp<int>(v, morse::kMinWpm, morse::kMaxWpm));
                             })),
            keyRow<Settings>(QStringLiteral("Tone"), &Settings::giTone, int16Conversion()),
            keyRow<Settings>(QStringLiteral("Volume"), &Settings::glVolume,
                             bounded<qint32>(int32Conversion(), [](const qint32 &v) {
                                 return std::clamp<qint32>(v, 0, morse::kMaxVolume);
                             })),
            keyRow<Settings>(QStringLiteral("Farnsworth"), &Settings::giFarnsworth,
                             bounded<qint16>(int16Conversion(), [](const qint16 &v) {
                                 return std::min<qint16>(v, morse::kMaxFarnsworth);
                             })),
            keyRow<Settings>(QStringLiteral("N"), &Settings::gsN, textConversion()),
            keyRow<Settings>(QStringLiteral("T"), &Settings::gsT, textConversion()),
        };
        for (size_t i = 0; i < std::tuple_size_v<decltype(Settings::gsTekst)>; ++i) {
            rows.push_back(keyRow<Settings>(QStringLiteral("Tekst%1").arg(i + 1),
                                            [i](auto &record) -> auto & { return record.gsTekst[i]; },
                                            textConversion()));
        }
        return rows;
    }());
    return table;
}

} // namespace

void HentIndstillinger(Store &store, Settings &record)
{
    cwTable().load(store, record);
}

bool GemIndstillinger(Store &store, const Settings &record)
{
    return cwTable().save(store, record);
}

} // namespace settings
