#include "ui/SecondaryWindow.h"

#include "ui/Twips.h"

#include <QDialog>

namespace ui {

void setupSecondaryWindow(QDialog &dialog, QWidget *owner, double clientWidthTwips,
                          double clientHeightTwips)
{
    // A parented dialog is transient for its owner: window managers give it no
    // task-bar entry of its own.
    dialog.setParent(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                                | Qt::MSWindowsFixedSizeDialogHint);
    dialog.setWindowModality(owner ? Qt::WindowModal : Qt::ApplicationModal);
    dialog.setModal(true);
    dialog.setFixedSize(twipsToPixels(clientWidthTwips, owner), twipsToPixels(clientHeightTwips, owner));
    dialog.setSizeGripEnabled(false);
}

} // namespace ui
