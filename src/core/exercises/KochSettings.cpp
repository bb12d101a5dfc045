#include "exercises/KochSettings.h"

#include "settings/SettingsStore.h"

namespace koch {
namespace {

const QString kSection = QStringLiteral("Koch");

QString lessonKey(QStringView order)
{
    return QStringLiteral("Lektion_") + order.toString();
}

std::optional<int> intIn(const QString &text, int min, int max)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    if (!ok || v < min || v > max)
        return std::nullopt;
    return v;
}

} // namespace

KochSettings readKochSettings(settings::Store &store)
{
    KochSettings s;
    const QString order = settings::readText(store, kSection, QStringLiteral("Raekkefoelge"))
                              .value_or(s.order);
    if (order == kCourseKey || order == kClassicKey || order == kOwnKey)
        s.order = order;
    s.ownOrder = settings::readText(store, kSection, QStringLiteral("EgenRaekkefoelge")).value_or(QString());
    for (QStringView key : {kCourseKey, kClassicKey, kOwnKey}) {
        const int lesson = settings::readOr<int>(store, kSection, lessonKey(key), 1, [](const QString &t) {
            return intIn(t, 1, 1000);
        });
        s.lessons.insert(key.toString(), lesson);
    }
    s.minutes = settings::readOr<int>(store, kSection, QStringLiteral("Minutter"), kDefaultMinutes,
                                      [](const QString &t) { return intIn(t, kMinMinutes, kMaxMinutes); });
    s.lengths = settings::readText(store, kSection, QStringLiteral("Gruppelaengde")) == u"5"
        ? GroupLengths::Fixed5
        : GroupLengths::Varied;
    return s;
}

bool saveKochSettings(settings::Store &store, const KochSettings &s)
{
    const auto set = [&store](const QString &key, const QString &text) {
        store.setValue(kSection + u'/' + key, text);
    };
    set(QStringLiteral("Raekkefoelge"), s.order);
    set(QStringLiteral("EgenRaekkefoelge"), s.ownOrder);
    for (QStringView key : {kCourseKey, kClassicKey, kOwnKey})
        set(lessonKey(key), QString::number(s.lesson(key.toString())));
    set(QStringLiteral("Minutter"), QString::number(s.minutes));
    set(QStringLiteral("Gruppelaengde"),
        s.lengths == GroupLengths::Fixed5 ? QStringLiteral("5") : QStringLiteral("2-7"));
    return store.sync();
}

} // namespace koch
