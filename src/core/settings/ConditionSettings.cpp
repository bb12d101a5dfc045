#include "settings/ConditionSettings.h"

#include <cmath>

namespace settings {

namespace {

const QString kSection = QStringLiteral("Forhold");

QString key(const char *name)
{
    return kSection + u'/' + QString::fromLatin1(name);
}

} // namespace

band::Conditions loadConditions(Store &store)
{
    band::Conditions c;
    const auto text = [&store](const char *name) { return readText(store, kSection, QString::fromLatin1(name)); };
    const auto integer = [&store](const char *name, qint64 fallback, qint64 min, qint64 max) {
        return readOr<qint64>(store, kSection, QString::fromLatin1(name), fallback, [min, max](const QString &t) {
            return toInteger(t, QLocale::system(), min, max);
        });
    };
    c.active = readOr(store, kSection, QStringLiteral("Aktiv"), false,
                      [](const QString &t) { return toBoolean(t); });
    c.snrDb = double(integer("SN", 10, qint64(band::kMinSnrDb), qint64(band::kMaxSnrDb)));
    c.filterHz = int(integer("Filter", band::kDefaultFilterHz, band::kFilterWidths.front(),
                             band::kFilterWidths.back()));
    c.qsbDepth = double(integer("QSBDybde", qint64(band::kDefaultQsbDepth * 100), 0, 100)) / 100;
    c.qrm = int(integer("QRM", 0, 0, band::kMaxQrm));
    if (const auto t = text("QSB"); t && !band::parseFading(*t, &c.qsb))
        store.markInexact();
    if (const auto t = text("QRN"); t && !band::parseStatic(*t, &c.qrn))
        store.markInexact();
    return band::bounded(c);
}

bool saveConditions(Store &store, const band::Conditions &c)
{
    store.setValue(key("Aktiv"), booleanText(c.active));
    store.setValue(key("SN"), integerText(qint64(std::lround(c.snrDb))));
    store.setValue(key("Filter"), integerText(c.filterHz));
    store.setValue(key("QSB"), band::fadingName(c.qsb));
    store.setValue(key("QSBDybde"), integerText(qint64(std::lround(c.qsbDepth * 100))));
    store.setValue(key("QRM"), integerText(c.qrm));
    store.setValue(key("QRN"), band::staticName(c.qrn));
    return store.sync();
}

} // namespace settings
