// Edit, Undo and Redo: the menu items over the catalogue's undo stack (catalogue/undo.h). The
// window's datasets write through the stack's recorder, so every post, delete and mark made
// here becomes a step; what an undo or redo changed is shown in one place, undoApplied.
#include "form1.h"

#include "covers.h"
#include "prompt.h"
#include "recordlistmodel.h"

#include <QAction>
#include <QMenu>

void TForm1::connectUndoCommands() {
    undo_ = std::make_unique<rk::catalogue::UndoStack>(*catalogue_);
    recorder_ = std::make_unique<rk::catalogue::UndoRecorder>(*catalogue_, *undo_);
    Table1->setWriter(recorder_.get());
    Table2->setWriter(recorder_.get());
    if (coverPanel_) coverPanel_->setUndo(undo_.get());

    Undo1 = new QAction(QStringLiteral("&Undo"), this);
    Undo1->setObjectName(QStringLiteral("Undo1"));
    Undo1->setShortcut(QKeySequence(QStringLiteral("Ctrl+Z")));
    Redo1 = new QAction(QStringLiteral("&Redo"), this);
    Redo1->setObjectName(QStringLiteral("Redo1"));
    Redo1->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+Z")));
    QAction* first = Edit1->actions().value(0);
    Edit1->insertAction(first, Undo1);
    Edit1->insertAction(first, Redo1);
    Edit1->insertSeparator(first);
    connect(Undo1, &QAction::triggered, this, &TForm1::Undo1Click);
    connect(Redo1, &QAction::triggered, this, &TForm1::Redo1Click);

    undo_->setChanged([this] { updateUndoActions(); });
    undo_->setApplied([this](const rk::catalogue::UndoResult& r) { undoApplied(r); });
    updateUndoActions();
}

void TForm1::updateUndoActions() {
    const auto caption = [](const QString& verb, const std::string& step) {
        return step.empty() ? verb : verb + QLatin1Char(' ') + QString::fromStdString(step);
    };
    Undo1->setText(caption(QStringLiteral("&Undo"), undo_->undoName()));
    Redo1->setText(caption(QStringLiteral("&Redo"), undo_->redoName()));
    Undo1->setEnabled(!readOnly_ && undo_->canUndo());
    Redo1->setEnabled(!readOnly_ && undo_->canRedo());
}

// An edit not yet stored is what Undo takes back first: the typing is dropped and nothing
// stored changes. Otherwise the last step is undone.
void TForm1::Undo1Click() {
    if (Table1->isEditing() && Table1->isModified()) {
        Table1->cancel();
        return;
    }
    if (Table1->isEditing()) Table1->cancel();
    if (Table2->isEditing()) Table2->cancel();
    if (!undo_->canUndo()) return;
    undo_->undo(); // what it did is shown by undoApplied
}

void TForm1::Redo1Click() {
    if (Table1->isEditing()) Table1->cancel();
    if (Table2->isEditing()) Table2->cancel();
    if (!undo_->canRedo()) return;
    undo_->redo();
}

// After every undo or redo: the datasets read the tables again, the record the step changed
// becomes current when it is in view, and a refusal is told.
void TForm1::undoApplied(const rk::catalogue::UndoResult& r) {
    using Outcome = rk::catalogue::UndoResult::Outcome;
    if (r.outcome == Outcome::Done || r.outcome == Outcome::Failed) {
        if (r.shown.table == rk::catalogue::CatalogueTable::Categories) {
            Table2->refresh();
        } else {
            Table1->refresh();
            if (r.shown.recno != 0 && Table1->recNo() != r.shown.recno &&
                titleModel_->rowOf(r.shown.recno) >= 0)
                rk::ignore(Table1->goTo(r.shown.recno), "the list keeps the current title");
            showCoverAndLoan();
            if (loansWindow_) loansWindow_->reload();
        }
    }
    const bool undoing = r.direction == rk::catalogue::UndoDirection::Undo;
    const QString what = (undoing ? QStringLiteral("undo the ") : QStringLiteral("redo the ")) +
                         QString::fromStdString(r.step);
    const QString caption = undoing ? QStringLiteral("Undo") : QStringLiteral("Redo");
    if (r.outcome == Outcome::Conflict) {
        rk::fw::prompt().message(this,
                                 QStringLiteral("Could not %1: %2. The step is dropped, so that "
                                                "the later change is kept.")
                                     .arg(what, QString::fromStdString(r.detail)),
                                 caption, rk::fw::Icon::Warning, rk::fw::Buttons::Ok);
    } else if (r.outcome == Outcome::Failed) {
        rk::fw::showStatus(this, QStringLiteral("Could not %1.").arg(what),
                           rk::Status::ioError(r.detail), caption);
    }
}
