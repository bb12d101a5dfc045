#pragma once
// Answers a file dialog as a user would: picks a filter, types a name into the name
// box and confirms it.

#include "support/ModalDriver.h"

#include <QAbstractItemView>
#include <QFileDialog>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QTest>

// The name typed (empty: the name the dialog suggests is kept). The views'
// selection (a file preselected while the folder loads) is cleared first, so the
// typed name is the one chosen.
inline void typeIntoFileDialog(QWidget *w, const QString &name, const QString &filter = QString())
{
    auto *d = qobject_cast<QFileDialog *>(w);
    QVERIFY2(d, w ? w->metaObject()->className() : "no dialog");
    auto *edit = d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    QVERIFY(edit);
    const QString typed = name.isEmpty() ? edit->text() : name;
    if (!filter.isEmpty())
        d->selectNameFilter(filter);
    for (QAbstractItemView *view : d->findChildren<QAbstractItemView *>()) {
        if (view->selectionModel())
            view->selectionModel()->clearSelection();
    }
    edit->setText(typed);
    static_cast<QDialog *>(d)->accept();
}

// What a file dialog showed before it was answered.
struct FileDialogSeen {
    QString title;
    QStringList filters;
};

// A ModalDriver step that answers a file dialog with typeIntoFileDialog, noting
// what it showed in *seen.
inline ModalDriver::Step answerFileDialog(const QString &name, const QString &filter = QString(),
                                          FileDialogSeen *seen = nullptr)
{
    return [=](QWidget *w) {
        if (auto *d = qobject_cast<QFileDialog *>(w); d && seen)
            *seen = {d->windowTitle(), d->nameFilters()};
        typeIntoFileDialog(w, name, filter);
    };
}
