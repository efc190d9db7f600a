// The cover of the current title on the Common page, with its loan below it; the Lend/Return
// dialog and the Loans window. The covers and loans are the catalogue engine's side data
// (catalogue/sidedata.h): these windows show them and change them through it.
#pragma once

#include <QDialog>
#include <QWidget>

#include <cstdint>

class QLabel;
class QMimeData;
class QTableWidget;

namespace rk::catalogue {
class Catalogue;
class UndoStack;
class CoverRecording;
} // namespace rk::catalogue

namespace rk::mainwin {

class CoverPanel : public QWidget {
    Q_OBJECT
public:
    CoverPanel(rk::catalogue::Catalogue& catalogue, QWidget* parent);

    // The title shown (0: none).
    void showTitle(uint32_t recno);
    uint32_t title() const { return recno_; }
    // A catalogue open for reading: the picture is shown, never changed.
    void setReadOnly(bool on);
    // Where each change of the picture is pushed as a step (none: not undoable).
    void setUndo(rk::catalogue::UndoStack* undo) { undo_ = undo; }

    // The commands of the picture's menu.
    void addFromFile();
    void pasteFromClipboard();
    void removeCover();
    void showLarger();
    // A picture given as data: a file, or the picture itself (a browser's drag); true when one
    // was stored.
    bool store(const QMimeData* mime);

    // The cached thumbnail of a stored picture at `size` pixels (made once, kept in
    // Covers/thumbs under the picture's file name and the size).
    static QString thumbnail(const QString& picture, int size);

protected:
    void dragEnterEvent(class QDragEnterEvent* event) override;
    void dropEvent(class QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool storeFile(const QString& file);
    bool storeImage(const class QImage& image);
    void push(rk::catalogue::CoverRecording& step, const char* name);
    void refresh();

    rk::catalogue::Catalogue& catalogue_;
    uint32_t recno_ = 0;
    bool readOnly_ = false;
    rk::catalogue::UndoStack* undo_ = nullptr;
    QString picture_;
    QLabel* image_ = nullptr;
    QLabel* loan_ = nullptr;
};

// Lend (when the title is in) or take back (when it is out): a small dialog for the person and
// the dates. True when something changed; the change is pushed on `undo` when given.
bool lendOrReturn(QWidget* owner, rk::catalogue::Catalogue& catalogue, uint32_t recno,
                  rk::catalogue::UndoStack* undo = nullptr);

// Who has what, since when: the titles out on loan, overdue ones first and highlighted.
class LoansWindow : public QDialog {
    Q_OBJECT
public:
    LoansWindow(rk::catalogue::Catalogue& catalogue, QWidget* parent);
    void reload();

private:
    rk::catalogue::Catalogue& catalogue_;
    QTableWidget* table_ = nullptr;
};

} // namespace rk::mainwin
