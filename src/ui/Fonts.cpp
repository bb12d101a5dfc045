#include "Fonts.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QGroupBox>
#include <QStringList>

namespace ui {

QString installedFamily(const QString &windowsName)
{
    const auto first = [](std::initializer_list<const char *> candidates) {
        const QStringList families = QFontDatabase::families();
        for (const char *c : candidates) {
            if (families.contains(QLatin1String(c), Qt::CaseInsensitive))
                return QString::fromLatin1(c);
        }
        return QString::fromLatin1(*candidates.begin());
    };
    if (windowsName.compare(QLatin1String("Fixedsys"), Qt::CaseInsensitive) == 0
        || windowsName.compare(QLatin1String("Courier New"), Qt::CaseInsensitive) == 0)
        return first({"Liberation Mono", "DejaVu Sans Mono"});
    if (windowsName.compare(QLatin1String("MS Sans Serif"), Qt::CaseInsensitive) == 0
        || windowsName.compare(QLatin1String("Arial"), Qt::CaseInsensitive) == 0)
        return first({"Liberation Sans", "DejaVu Sans"});
    return windowsName;
}

QFont installedFont(const QString &windowsName, double pointSize, bool bold, bool italic)
{
    QFont font(installedFamily(windowsName));
    if (pointSize > 0)
        font.setPointSizeF(pointSize);
    font.setBold(bold);
    font.setItalic(italic);
    if (font.family().contains(QLatin1String("Mono")))
        font.setStyleHint(QFont::Monospace);
    return font;
}

QFont layoutFont(double pointSize, bool bold)
{
    return installedFont(QStringLiteral("MS Sans Serif"), pointSize, bold);
}

QFont fixedFont(double pointSize, bool bold)
{
    return installedFont(QStringLiteral("Courier New"), pointSize, bold);
}

std::optional<QFont> chooseFont(const QFont &initial, QWidget *parent)
{
    QFontDialog dialog(initial, parent);
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    // The effects group is the dialog's only group of check boxes. Its room stays, so
    // the sample beside it keeps its height.
    for (QGroupBox *group : dialog.findChildren<QGroupBox *>()) {
        if (!group->findChildren<QCheckBox *>().isEmpty()) {
            QSizePolicy keep = group->sizePolicy();
            keep.setRetainSizeWhenHidden(true);
            group->setSizePolicy(keep);
            group->hide();
        }
    }
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.selectedFont();
}

} // namespace ui
