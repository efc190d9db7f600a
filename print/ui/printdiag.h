// TPrintDiag, "Print Reports": what the standard report prints (the selected title, its
// category, the marked titles or all of them), its title, date and separators; leads to the
// printer setup, the preview and the custom report builder.
//
// Created once and kept for the whole run, so each opening shows the choices of the last.
// The scope is applied as a query on the titles, which stays in force after the dialog
// closes.
#pragma once

#include <QDialog>

#include <array>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace rk::fw {
class Dataset;
}

namespace rk::print {

class TReportForm;

class TPrintDiag : public QDialog {
    Q_OBJECT

public:
    // What the dialog acts on, handed over by the main window.
    struct Context {
        fw::Dataset* titles = nullptr; // the titles as the main window has them
        QString dataFolder;
        std::function<std::array<QString, 4>()> userCaptions; // the user fields' names
        std::function<void()> buildCustomReport;              // opens the report builder
    };

    TPrintDiag(TReportForm* report, Context context, QWidget* parent = nullptr);

    QLineEdit* Edit1 = nullptr; // "Report Title:"
    QRadioButton* Radio1 = nullptr;
    QRadioButton* Radio2 = nullptr;
    QRadioButton* Radio3 = nullptr;
    QGroupBox* PrintGroup = nullptr;
    QGroupBox* BorderGroup = nullptr;
    QPushButton* BitBtn1 = nullptr;    // Print
    QPushButton* BitBtn2 = nullptr;    // Cancel
    QPushButton* BitBtn3 = nullptr;    // Preview
    QPushButton* BitBtn4 = nullptr;    // Help
    QPushButton* BitBtn5 = nullptr;    // Print Setup
    QPushButton* BitBtn6 = nullptr;    // Build Custom Report...
    QPushButton* butSavePdf = nullptr; // Save as PDF...: the report as a PDF file
    QCheckBox* chkCovers = nullptr;    // each title's front cover beside its block

    // The chosen item of the two radio groups, from 0.
    int printItem() const;
    void setPrintItem(int index);
    int borderItem() const;

    // Shows the dialog modally (through the program's modal seam).
    int execute();
    // The print item (printItem()) whose titles the last execute() left in force, or -1
    // when it left the titles' set as it was.
    int appliedItem() const { return appliedItem_; }

    // Handlers.
    void FormShow();
    // Preview (BitBtn3) and Print (BitBtn1), told apart by the pressed button's name.
    void BitBtn3Click(QObject* sender);
    void BitBtn5Click();
    void BitBtn2Click();
    void BitBtn4Click();
    void BitBtn6Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Applies the scope to the titles and sets the request label; false when there is
    // nothing to print (the user has been told).
    bool applyScope();

    TReportForm* report_;
    Context context_;
    QButtonGroup* printItems_ = nullptr;
    QButtonGroup* borderItems_ = nullptr;
    int appliedItem_ = -1;
};

} // namespace rk::print
