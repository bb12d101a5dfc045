#include "Fonts.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStringList>

#include <algorithm>

namespace ui {
namespace {

constexpr int kFrameEdge = 2;       // pixels kept free at a container's right edge
constexpr int kInkMargin = 2;       // pixels beyond a label's ink

// The right edge (exclusive, parent coordinates) control may grow to: the container's
// inner edge or the left of the nearest sibling beside it on the right.
int roomRight(const QWidget &control)
{
    const QWidget *parent = control.parentWidget();
    int right = parent->width() - kFrameEdge;
    for (const QObject *o : parent->children()) {
        const auto *sibling = qobject_cast<const QWidget *>(o);
        if (!sibling || sibling == &control || sibling->isWindow()
            || sibling->x() < control.geometry().right())
            continue;
        const bool beside = sibling->y() < control.geometry().bottom()
            && control.y() < sibling->geometry().bottom();
        if (beside)
            right = std::min(right, sibling->x());
    }
    return right;
}

// The width control's caption needs: its size hint, and for a label also its ink,
// which in some fonts reaches past the advance.
int captionWidth(const QWidget &control)
{
    int width = control.sizeHint().width();
    if (const auto *label = qobject_cast<const QLabel *>(&control))
        width = std::max(width, label->fontMetrics().boundingRect(label->text()).width() + kInkMargin);
    return width;
}

} // namespace

void fitCaption(QWidget &control, int right)
{
    if (captionWidth(control) <= control.width())
        return;
    const int room = std::max(right - control.x(), control.width());
    QFont font = control.font();
    while (captionWidth(control) > room
           && font.pointSizeF() - kCaptionPointStep >= kSmallestCaptionPointSize) {
        font.setPointSizeF(font.pointSizeF() - kCaptionPointStep);
        control.setFont(font);
    }
    control.resize(std::max(control.width(), std::min(room, captionWidth(control))), control.height());
}

void fitCaptions(QWidget &window)
{
    for (QWidget *control : window.findChildren<QWidget *>()) {
        const bool captioned = qobject_cast<QLabel *>(control)
            || (qobject_cast<QAbstractButton *>(control) && !qobject_cast<QPushButton *>(control));
        if (captioned)
            fitCaption(*control, roomRight(*control));
    }
}

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
