#include "SecondaryWindow.h"

#include "Twips.h"

#include <QDialog>

namespace ui {

void setupSecondaryWindow(QDialog &dialog, QWidget *owner, TwipsSize client)
{
    // A parented dialog is transient for its owner: window managers give it no
    // task-bar entry of its own.
    dialog.setParent(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                                | Qt::MSWindowsFixedSizeDialogHint);
    dialog.setWindowModality(owner ? Qt::WindowModal : Qt::ApplicationModal);
    dialog.setModal(true);
    dialog.setFixedSize(twipsToPixels(client.width, owner), twipsToPixels(client.height, owner));
    dialog.setSizeGripEnabled(false);
}

} // namespace ui
