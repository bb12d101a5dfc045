#pragma once
// Section "Koch" of the settings store: the order chosen, the learner's own order,
// the lesson reached per order, the run length and the group lengths.

#include "exercises/KochCourse.h"

#include <QHash>
#include <QString>

namespace settings {
class Store;
}

namespace koch {

inline constexpr QStringView kCourseKey = u"kursus";
inline constexpr QStringView kClassicKey = u"klassisk";
inline constexpr QStringView kOwnKey = u"egen";
constexpr int kMinMinutes = 1;
constexpr int kMaxMinutes = 5;
constexpr int kDefaultMinutes = 2;

struct KochSettings {
    QString order = kCourseKey.toString();   // one of the three keys
    QString ownOrder;                        // as typed; empty: none yet
    QHash<QString, int> lessons;             // lesson reached per order key
    int minutes = kDefaultMinutes;
    GroupLengths lengths = GroupLengths::Varied;

    int lesson(const QString &key) const { return lessons.value(key, 1); }
};

// Values missing or out of range fall back to the defaults.
KochSettings readKochSettings(settings::Store &store);
// Writes the section and syncs; false: the store could not be written.
bool saveKochSettings(settings::Store &store, const KochSettings &values);

} // namespace koch
