#include "ui/Fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace ui {

QString installedFamily(const QString &designName)
{
    const auto first = [](std::initializer_list<const char *> candidates) {
        const QStringList families = QFontDatabase::families();
        for (const char *c : candidates) {
            if (families.contains(QLatin1String(c), Qt::CaseInsensitive))
                return QString::fromLatin1(c);
        }
        return QString::fromLatin1(*candidates.begin());
    };
    if (designName.compare(QLatin1String("Fixedsys"), Qt::CaseInsensitive) == 0
        || designName.compare(QLatin1String("Courier New"), Qt::CaseInsensitive) == 0)
        return first({"Liberation Mono", "DejaVu Sans Mono"});
    if (designName.compare(QLatin1String("MS Sans Serif"), Qt::CaseInsensitive) == 0
        || designName.compare(QLatin1String("Arial"), Qt::CaseInsensitive) == 0)
        return first({"Liberation Sans", "DejaVu Sans"});
    return designName;
}

QFont designFont(const QString &designName, double pointSize, bool bold, bool italic)
{
    QFont font(installedFamily(designName));
    if (pointSize > 0)
        font.setPointSizeF(pointSize);
    font.setBold(bold);
    font.setItalic(italic);
    if (font.family().contains(QLatin1String("Mono")))
        font.setStyleHint(QFont::Monospace);
    return font;
}

} // namespace ui
