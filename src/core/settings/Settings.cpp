#include "settings/Settings.h"

namespace settings {

const Settings &defaults()
{
    static const Settings d = [] {
        Settings s;
        s.giWPM = kDefaultWpm;
        s.giTone = kDefaultTone;
        s.glVolume = kDefaultVolume;
        s.giFarnsworth = kDefaultFarnsworth;
        s.gsN = QStringLiteral("001");
        s.gsT = QStringLiteral("599");
        s.gsTekst = {QStringLiteral("CQ TEST DE #R #R TEST K"), QStringLiteral("CL?"),
                     QStringLiteral("#R"), QStringLiteral("#C UR #T #N BK"),
                     QString(), QString(), QString(), QString()};
        return s;
    }();
    return d;
}

} // namespace settings
