#pragma once
// The common frame of every secondary window: a fixed-size modal dialog owned by
// and centred on the main window, without minimise or maximise button and without
// a task-bar entry.

#include "Twips.h"

class QDialog;
class QWidget;

namespace ui {

// Sets the window flags and modality of dialog, owned by owner, with a fixed client
// area of the given size in twips. Qt centres a dialog on its owner when shown.
void setupSecondaryWindow(QDialog &dialog, QWidget *owner, TwipsSize client);

} // namespace ui
