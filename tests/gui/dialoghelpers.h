// Helpers of the scenarios of the list editor, the preferences and the master editor: a
// command of the main window that opens a modal dialog, worked by the test while it is open.
#pragma once

#include "guifixture.h"

#include "modal.h"

#include <QDialog>
#include <QListWidget>

#include <functional>

namespace dialogs {

// Runs `command` (which opens a dialog modally); `work` gets the dialog while it is shown
// and works its controls. True when exactly one dialog opened.
template <class D>
bool run(const std::function<void()>& command, const std::function<void(D&)>& work) {
    int opened = 0;
    rk::fw::setModalRunner([&](QDialog& dialog) {
        ++opened;
        dialog.show();
        auto* d = qobject_cast<D*>(&dialog);
        if (!d) qFatal("a dialog of another kind opened");
        work(*d);
    });
    command();
    rk::fw::setModalRunner(nullptr);
    return opened == 1;
}

inline QStringList texts(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

inline QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace dialogs
