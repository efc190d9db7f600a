// The user's lists and raw editing: the list editor ("User Defined Settings...", "Modify
// Categories...") and the master editor ("Master Editor...", the Master button), with what
// the list editor acts on in this window.
#include "form1.h"

#include "appwindows.h"
#include "datacontrols.h"
#include "gradienttoolbutton.h"
#include "masterform.h"
#include "modal.h"
#include "modcats.h"

#include <QAction>

void TForm1::connectListCommands() {
    auto on = [this](QAction* a, void (TForm1::*handler)()) {
        connect(a, &QAction::triggered, this, handler);
    };
    on(ModifyCategories1, &TForm1::ModifyCategories1Click);
    on(ModifyCategories2, &TForm1::ModifyCategories2Click);
    on(MasterEditor1, &TForm1::MasterEditor1Click);
    connect(MasterBut, &QAbstractButton::clicked, this, &TForm1::MasterEditor1Click);
}

void TForm1::ModifyCategories1Click() {
    rk::fw::execModal(appWindows().modCats);
}

void TForm1::ModifyCategories2Click() {
    rk::fw::execModal(appWindows().modCats);
}

void TForm1::MasterEditor1Click() {
    // Its changes are not steps of the window's undo; an undo that meets one is refused.
    const rk::catalogue::UndoRecorder::Pause unrecorded(*recorder_);
    rk::fw::execModal(appWindows().masterForm);
}

ListsHost TForm1::listsHost() {
    ListsHost host;
    host.categories = Table2;
    host.dataFolder = dataFolder_;
    host.defaultFormat = [this] { return rules_.defaultFormat; };
    host.setDefaultFormat = [this](const QString& format) { rules_.defaultFormat = format; };
    host.setChoiceLists = [this](const QStringList& formats, const QStringList& ratings) {
        setChoiceLists(formats, ratings);
    };
    host.reopenCategories = [this] { return reopenCategories(); };
    return host;
}

void TForm1::setChoiceLists(const QStringList& formats, const QStringList& ratings) {
    DBComboBox1->setItems(formats);
    DBComboBox2->setItems(ratings);
}

rk::Status TForm1::reopenCategories() {
    Table2->setActive(false);
    categories().close();
    RK_RETURN_IF_ERROR(categories().open());
    categories().setOrder(categories().tagArea("CAT"));
    rk::ignore(categories().goTop(), "the dataset reads its first record again");
    Table2->setActive(true);
    return rk::Status::ok();
}
