// TColPrtForm, "Custom Report Builder": a table of the titles with the columns the user
// chooses, widths set by dragging the sections of a header strip under an inch ruler, built
// into pages by the page printer (which is also the window's page area), printed, and
// saved to or opened from layout files (.rkr).
//
// The layout lives in the window's controls: the field chooser's lists, the header strip,
// and the tabs of the floating "Report Settings" window. Building the report gathers it
// (reportlayout.h) and hands it to the column report (columnreport.h).
//
// Created once and kept for the whole run; its margins, borders, spacing and options are
// kept in section "CustReport" of the settings store between runs.
#pragma once

#include "reportfont.h"
#include "reportlayout.h"

#include <QDialog>

#include <functional>

class QAction;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QFrame;
class QHeaderView;
class QLabel;
class QLineEdit;
class QMenuBar;
class QPushButton;
class QStandardItemModel;
class QTabWidget;
class QTimer;
class QToolButton;

namespace rk {
class DualListDialog;
}
namespace rk::fw {
class Dataset;
class FormStorage;
} // namespace rk::fw

namespace rk::print {

class THRuler;
class TPagePrinter;

class TColPrtForm : public QDialog {
    Q_OBJECT

public:
    struct Context {
        fw::Dataset* titles = nullptr; // the titles as the main window has them
        QString dataFolder;
        std::function<UserFieldCaptions()> userCaptions; // the user fields' captions
    };

    explicit TColPrtForm(Context context, QWidget* parent = nullptr);
    ~TColPrtForm() override;

    // The page area and the header strip.
    TPagePrinter* Prn = nullptr;
    QFrame* panRuler = nullptr;
    THRuler* ruler = nullptr;
    QHeaderView* HC1 = nullptr;
    // The bar.
    QPushButton *butPreview = nullptr, *butPrint = nullptr, *butHelp = nullptr;
    QPushButton* butSavePdf = nullptr;
    QAction* SaveAsPdf1 = nullptr;
    QLabel* lblPage = nullptr;
    QPushButton *btnPrevPage = nullptr, *btnNextPage = nullptr;
    QComboBox* ZoomList = nullptr;
    QTimer* ZoomTimer = nullptr;
    // The menu.
    QMenuBar* MainMenu1 = nullptr;
    QAction *Open1 = nullptr, *Save1 = nullptr, *PrinterSettings1 = nullptr, *Print1 = nullptr,
            *Exit1 = nullptr, *ReportSettings1 = nullptr, *HelpwithReportBuilder1 = nullptr;
    // The "Report Settings" tool window.
    QWidget* toolWin = nullptr;
    QPushButton* butSelect = nullptr;
    QToolButton* butDrop = nullptr;
    QTabWidget* tabs = nullptr;
    QLineEdit* editTitle = nullptr;
    QDoubleSpinBox *spinLeft = nullptr, *spinRight = nullptr, *spinTop = nullptr,
                   *spinBottom = nullptr;
    QComboBox* cmbSpace = nullptr;
    QToolButton *butPortrait = nullptr, *butLandscape = nullptr;
    QLabel *labHeadFont = nullptr, *labDataHead = nullptr, *labDetailsFont = nullptr;
    QPushButton *butHeadFont = nullptr, *BitBtn4 = nullptr, *BitBtn3 = nullptr;
    QCheckBox *chkGridlines = nullptr, *chkTop = nullptr, *chkBottom = nullptr, *chkLeft = nullptr,
              *chkRight = nullptr;
    QCheckBox *chkPriceTotal = nullptr, *chkEntryCount = nullptr, *chkAutoPrev = nullptr;
    rk::DualListDialog* DualListDialog1 = nullptr;

    // The layout as the controls hold it, and the controls set from a layout.
    ReportLayout layout() const;
    void applyLayout(const ReportLayout& layout);

    // Shows the window modally (through the program's modal seam).
    int execute();

    // Handlers.
    void FormShow();
    void FormActivate();
    void FormClose();
    void butPreviewClick();
    void butPrintClick();
    void butSavePdfClick();
    void butSelectClick();
    void HC1SectionResize(int section, int oldWidth, int newWidth);
    void HC1EndDrag();
    void spinLeftChange();
    void spinRightChange();
    void spinTopChange();
    void spinBottomChange();
    void cmbSpaceChange();
    void butPortraitClick();
    void butLandscapeClick();
    void butHeadFontClick();
    void BitBtn4Click();
    void BitBtn3Click();
    void chkGridlinesClick();
    void editTitleChange();
    void ZoomListClick();
    // Enter in the zoom box: the whole number typed becomes the zoom.
    void ZoomListKeyPress();
    void btnNextPageClick();
    void btnPrevPageClick();
    void butDropClick();
    void ReportSettings1Click();
    void toolWinClose();
    void PrinterSettings1Click();
    void butHelpClick();
    void Open1Click();
    void Save1Click();
    void Exit1Click();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildToolWindow();
    void buildBar(QWidget* bar);
    void buildMenu();
    void connectControls();
    void setSections(const std::vector<HeaderSection>& sections);
    std::vector<HeaderSection> sections() const;
    void setOrientation(TPrinterOrientation o);
    void setStripWidth(int width);
    void setSampleFont(QLabel* sample, ReportFont& font, const ReportFont& chosen);
    bool chooseFont(QLabel* sample, ReportFont& font);
    void showPageLabel();
    double priceTotal();
    // The ruler's 0 over the paper's left edge in the preview, so that the strip's sections
    // stand over the columns they size.
    void alignRuler();
    // The layout as a text that says whether it changed (the window's placement aside).
    QString layoutText() const;
    // Saves to a file the user names; false when nothing was saved.
    bool saveLayout();
    // Before the layout is replaced: true when its changes are saved or may be discarded.
    bool changesDealtWith();

    Context context_;
    QStandardItemModel* sectionModel_ = nullptr;
    fw::FormStorage* storage_ = nullptr;
    ReportFont headFont_, dataHeadFont_, detailsFont_;
    QWidget* rulerIndent_ = nullptr;
    UserFieldCaptions shown_; // the user fields' captions the lists and the strip show
    QString savedText_;       // layoutText() when last saved, opened or shown
    bool resized_ = false;
    bool settingSections_ = false;
    bool closed_ = true;
};

} // namespace rk::print
