// TForeignImport, "Import from Another Program": a collection file of Tellico, GCstar, Data
// Crow, Griffith or CSV text read and shown before anything is written: the first titles as
// they will be stored, and how many titles will be added, are duplicates, or have a field
// cut, transliterated or left out. For CSV, a table of the file's columns, each mapped to a
// field (guessed from the header names, changed per column). "Import" writes the titles in one
// batch through the catalogue engine and shows the report. The reading, mapping and writing
// are the interchange engine's (interchange/).
#pragma once

#include <QDialog>

#include <memory>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace rk::fw {
class Dataset;
} // namespace rk::fw
namespace rk::catalogue {
class Catalogue;
} // namespace rk::catalogue

class TForeignImport : public QDialog {
    Q_OBJECT

public:
    TForeignImport(rk::fw::Dataset* titles, rk::catalogue::Catalogue* catalogue, QString dataFolder,
                   QWidget* parent = nullptr);
    ~TForeignImport() override;

    // Reads the file and shows its preview; a file that cannot be read is told and nothing
    // is shown.
    void load(const QString& path);

    // Handlers.
    void butOpenClick();
    void butImportClick();
    // A column's field changed, or an option: the preview again.
    void refreshPreview();

private:
    void showMapping();

    struct State;
    std::unique_ptr<State> state_;
    rk::fw::Dataset* titles_;
    rk::catalogue::Catalogue* catalogue_;
    QString dataFolder_;

    QLabel *fileLabel = nullptr, *countsLabel = nullptr;
    QCheckBox *chkMerge = nullptr, *chkUserFields = nullptr;
    QTableWidget *mappingTable = nullptr, *previewTable = nullptr;
    QPlainTextEdit* reportText = nullptr;
    QPushButton *butOpen = nullptr, *butImport = nullptr, *butClose = nullptr;
};
