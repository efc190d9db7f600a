// TImportExport, "Import/Export": appends to the titles the records of a data file that an
// earlier version exported (first tab), and writes the titles to a text file (second tab).
//
// Created once at start-up and kept for the whole run: the chosen import file and the state
// of "Begin Import" last until the program ends. The window works on the main window's titles
// (its dataset and table) and full-text index, which it is handed; the import and the export
// themselves are engine operations (store/oldimport.h, search/titleindex.h, Table::copyFileText).
#pragma once

#include <QDialog>

#include <functional>

class QButtonGroup;
class QCloseEvent;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTreeWidget;

namespace rk::fw {
class Dataset;
} // namespace rk::fw
namespace rk::catalogue {
class Catalogue;
} // namespace rk::catalogue

class TImportExport : public QDialog {
    Q_OBJECT

public:
    // `titles`: the titles as the main window edits them; `fts` and `indexPath`: its full-text
    // index (Titles.ia, kept current when it exists); `dataFolder`: where the file dialogs
    // start.
    TImportExport(rk::fw::Dataset* titles, rk::catalogue::Catalogue* catalogue, QString dataFolder,
                  QWidget* parent = nullptr);

    // The import file chosen with "Open File...", empty until one is chosen.
    const QString& importPath() const { return importPath_; }
    // Names the titles in view, which the export writes, on the export page with their count.
    void setTitlesInView(const QString& name);

    // True while an import runs (the window repaints; its controls wait).
    bool importing() const { return importing_; }

    // Handlers.
    void butLoadClick();
    void butImportClick();
    void BitBtn1Click();
    void butCloseClick();

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void setBusy(bool busy);
    // Shows the chosen file's first records as they will be stored, or why it is refused.
    void showPreview();

    rk::fw::Dataset* titles_;
    rk::catalogue::Catalogue* catalogue_;
    QString dataFolder_;
    QString importPath_;
    bool importing_ = false;

    QTabWidget* PageControl1 = nullptr;
    QLabel *Label1 = nullptr, *Label2 = nullptr;
    QGroupBox* RadioGroup1 = nullptr; // the earlier version, as the user states it
    QGroupBox* radExport = nullptr;   // the export method
    QButtonGroup *versions_ = nullptr, *methods_ = nullptr; // their items, by index
    QPushButton *butLoad = nullptr, *butImport = nullptr, *BitBtn1 = nullptr, *butClose = nullptr;
    QProgressBar* Prog = nullptr;
    QLabel* previewNote_ = nullptr;
    QLabel* exportSet_ = nullptr;
    QTreeWidget* preview_ = nullptr;
};
