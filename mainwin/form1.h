// TForm1, the main window: the three views of the titles on the left, the four detail
// pages of the current title on the right, the menu, the tool bar and the status bar.
//
// One class; its handlers live in mainwin/, one family of commands per file:
//   form1.cpp            construction: controls, menus, tool bar, connections
//   detailpages.cpp      the four detail pages, the banner and the run-time zoom panel
//   startup.cpp          creation, first show, activation, close, help, about, tips
//   views.cpp            views, tabs, sort orders, banner, navigator, tool tips
//   editing.cpp          New, Save, Trash, the title and Enter rules, tapes, zoom, clipboard
//   categories.cpp       the category list; collectioncommands.cpp their connections
//   marking.cpp          marking, un-marking all, the collection's value
//   titlesearch.cpp      Find and the build of the full-text index
//   maintenance.cpp      pack and re-index
//   exchange.cpp         the import/export window
//   clips.cpp            the title's clip: the AV page's clip group and the player
//   labelcommands.cpp    the label printer
//   netcommands.cpp      the internet search and the web site command
//   listcommands.cpp     the list editor and the master editor
//   prefcommands.cpp     the preferences and what their Save changes
//   printcommands.cpp    the print request dialog and the report builder
//   catalogues.cpp       another catalogue folder, the recent ones, the pocket catalogue
//   statscommands.cpp    the collection's statistics
//   quickfilter.cpp      the quick filter over the title lists
//   undocommands.cpp     Edit, Undo and Redo over the catalogue's undo stack
//   titlecolumns.cpp     the title lists with columns, and ordering by a column's header
// The window's controls and state are private. Other windows are handed what they act on
// (the datasets, the tables, the full-text index) through the accessors below; tests find
// controls by their object names.
#pragma once

#include "catalogue_engine.h"
#include "dataset.h"
#include "placement.h"
#include "quickfilter.h"
#include "table.h"
#include "undo.h"

#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class QAbstractItemView;
class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLineEdit;
class QLocalServer;
class QLockFile;
class QMenu;
class QProgressBar;
class QPushButton;
class QSplitter;
class QTabWidget;
class QToolBar;
class QToolButton;

namespace rk {
class DotMatrixBanner;
class GradientToolButton;
class LitCheckBox;
class PictureTabWidget;
class SpinButton;
class SpinEdit;
} // namespace rk

namespace rk::prefs {
struct Appearance;
}

struct ListsHost;

namespace rk::fw {
class DBColumnList;
class RecordColumnModel;
} // namespace rk::fw

namespace rk::fw {
class DBCheckBox;
class DBComboBox;
class DBEdit;
class DBLookupCombo;
class DBLookupList;
class DBMemo;
class DBRadioGroup;
class RecordListModel;
} // namespace rk::fw

namespace rk::mainwin {
class CoverPanel;
class LoansWindow;
} // namespace rk::mainwin

class TForm1 : public QMainWindow {
    Q_OBJECT

public:
    // Builds the window and runs its creation (FormCreate) on `dataFolder`.
    explicit TForm1(const QString& dataFolder, QWidget* parent = nullptr);
    ~TForm1() override;

    // False when the creation could not open the catalogue (the user was told why); the
    // program then ends instead of showing a window without data.
    bool isReady() const { return ready_; }
    const QString& dataFolder() const { return dataFolder_; }
    QString ftsPath() const { return QString::fromStdString(catalogue_->textIndexPath()); }

    // --- What the other windows work on
    // The catalogue engine: every change and search of the titles goes through it.
    rk::catalogue::Catalogue& catalogue() { return *catalogue_; }
    rk::store::Table& titles() { return catalogue_->titles(); }
    rk::store::Table& categories() { return catalogue_->categories(); }
    rk::fw::Dataset* titlesData() const { return Table1; } // the titles as the window edits them
    rk::fw::Dataset* categoriesData() const { return Table2; } // the categories

    // The editing rules that the preferences and the list editor set.
    struct EditRules {
        bool enterAsTab = false;    // Enter in a field moves to the next field
        bool enterMovesPage = true; // Enter in a page's last field moves to the next page
        QString defaultFormat = QStringLiteral("VHS");
    };
    EditRules& editRules() { return rules_; }
    // A new title waits for its first post (which adds it to the full-text index).
    bool newTitlePending() const { return newTitlePending_; }
    // The navigator window was closed by its own close box: the View menu follows.
    void navigatorClosed();

    // The names the window shows for the four user fields (settings section "Custom").
    std::array<QString, 4> userFieldCaptions() const;

    QString statusPanelText(int panel) const;
    void setStatusPanelText(int panel, const QString& text);
    int categoryListHeight() const;
    void setCategoryListHeight(int height);
    bool hintsShown() const { return hintsShown_; }
    void setHintsShown(bool on);
    // The splash window that Timer1Timer closes.
    void setSplash(QWidget* splash) { splash_ = splash; }
    // Shows the window in front of the others (another start on the same data folder asked).
    void bringToFront();
    // The local socket a start on `dataFolder` asks the program that holds it through.
    static QString instanceServerName(const QString& dataFolder);

signals:
    void broughtToFront();

public:
    // --- Life cycle (startup.cpp)
    void FormCreate();
    void FormShow();
    void FormActivate();
    void FormClose();
    void Timer1Timer();
    // Errors that no handler expects: written to the error log, never shown raw.
    void MyException(const QString& where, const QString& what);
    void quitClick();
    void Contents1Click();
    void Tutorial1Click();
    void AboutClick();
    void TipoftheDay1Click();
    void Edit1Click();

    // --- Views, tabs and sort orders (views.cpp)
    void ExtPageControl1Change();
    void Category2Click();
    void ViewAll1Click();
    void Marked1Click();
    void Common1Click();
    void Details1Click();
    void Other1Click();
    void Stars1Click();
    void PageControl2Change();
    void DataSource1DataChange();
    void Navigator1Click();
    void ToolTips1Click();
    void Title2Click();
    void Category3Click();
    void Director1Click();
    void IDClick();
    void Year1Click();
    void Format1Click();
    void RatingClick();
    void RatedPG13etc1Click();
    void Content1Click();
    void MultiSets1Click();
    void User11Click();
    void User21Click();
    void NaturalOrder1Click();

    // --- Entry editing (editing.cpp)
    void NewButClick();
    void SaveButClick();
    void TrashButClick();
    // Covers and loans (covercommands.cpp).
    void LendReturn1Click();
    void Loans1Click();
    void showCoverAndLoan();
    bool askDeleteOnLoan();
    void sideDataNotice(const std::string& what);
    std::function<std::string(uint32_t recno)> offerPocketCovers(const QString& file);
    void Table1NewRecord();
    void Table1AfterPost();
    void Table1AfterCancel();
    void Table1PostError(const rk::Status& status);
    void DBEdit1Exit();
    rk::fw::Dataset::PostCheck Table1BeforePost();
    // Enter key handlers; true when the key was consumed.
    bool DBEdit1KeyPress(QWidget* sender);
    bool DBEdit11KeyPress(QWidget* sender);
    bool DBMemo1KeyPress(QWidget* sender);
    bool DBEditTapesKeyPress(QWidget* sender);
    void chkMultiSetClick();
    void DBEditTapesChange();
    bool UpDown1Changing();
    void UpDown1Click(int position);
    void butZoomClick();
    void RxSpinButton1TopClick();
    void RxSpinButton1BottomClick();
    void RxSpinButton2TopClick();
    void RxSpinButton2BottomClick();
    void BitBtn2Click();
    void BitBtn3Click();
    void Cut1Click();
    void Copy1Click();
    void Paste1Click();

    bool isZoomOpen() const { return zoomOpen_; }

    // --- Category list (categories.cpp)
    void DBLookupListBox1MouseUp(Qt::MouseButton button);
    // A left press over any of the four lists arms a drag that starts once the mouse moves.
    void DBLookupListBox1MouseDown(QAbstractItemView* sender, Qt::MouseButton button,
                                   const QPoint& pos);
    void AddNewCategory1Click();
    void AddNewCategory2Click();

    // --- Marking, counts and value (marking.cpp)
    void MarkButClick();
    void DBCheckBox1Click();
    void BitCheckClick();
    void UnMarkMarkedEntries1Click();
    void CalcClick();

    // --- Full-text search (titlesearch.cpp)
    void FindButClick();
    // Builds Titles.ia anew, with the progress in the status bar; false when it failed.
    bool UseTitles();
    // A search that found nothing: told, and the title that was current stays current.
    void NotFound(uint32_t current);

    // --- Printing (printcommands.cpp)
    void BitBtn1Click();        // "Print": the print request dialog
    void ReportBuilder1Click(); // "Reports": the custom report builder

    // --- Database maintenance (maintenance.cpp)
    void PackDatabase1Click();
    void ReIndexDatabase1Click();
    // Takes the engine's progress keys (0x7000 bits) and sets key to 0 for them.
    void FormKeyDown(int& key);

    // --- The title's clip (clips.cpp)
    void chkClipClick();
    void DBEditClipChange();
    void DBEditClipMouseMove();
    void BitBtn5Click();
    void butPlayClick();

    // --- Labels (labelcommands.cpp)
    void butLabelsClick();

    // --- Internet (netcommands.cpp)
    void FormButClick();
    void WebsiteClick();
    // --- The list editor and the master editor (listcommands.cpp)
    void ModifyCategories1Click();
    void ModifyCategories2Click();
    void MasterEditor1Click();
    // What the list editor acts on and changes in this window.
    ListsHost listsHost();
    // The choices of the title editor's format and rating drop-downs.
    void setChoiceLists(const QStringList& formats, const QStringList& ratings);
    // Closes the categories table and opens it again, in its order, on its first record.
    rk::Status reopenCategories();
    // --- Preferences (prefcommands.cpp)
    void PreferencesClick();
    // What a Save of the preferences changes at once.
    void applyAppearance(const rk::prefs::Appearance& appearance);
    void setCustomLabels(const QStringList& labels);

    // --- Import and export (exchange.cpp)
    void ImportClick();
    void ImportForeign1Click();

    // --- Catalogues (catalogues.cpp)
    void OpenCatalogue1Click();
    void RecentCatalogues1Show();
    // Leaves this catalogue for the one in `folder` (unless that one is in use): the windows
    // are made again on it; when it cannot be opened, on this one.
    void openCatalogueFolder(const QString& folder);
    // Ends the work on this catalogue as closing the window does: a changed title is saved,
    // or the user says to drop it; false when the user keeps it.
    bool leaveCatalogue();
    void ExportPocket1Click();
    // --- Statistics (statscommands.cpp)
    void Statistics1Click();
    // --- The quick filter (quickfilter.cpp)
    void QuickFilterChange();
    void QuickFilterClear();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // --- Data
    rk::fw::Dataset* Table1 = nullptr; // the titles, as the window edits them
    rk::fw::Dataset* Table2 = nullptr; // the categories

    // --- Controls named by the layout
    QToolBar* TB97 = nullptr;
    rk::GradientToolButton *NewBut = nullptr, *SaveBut = nullptr, *TrashBut = nullptr,
                           *MarkBut = nullptr, *PrintBut = nullptr, *ReportsBut = nullptr,
                           *LabelBut = nullptr, *FindBut = nullptr, *MasterBut = nullptr,
                           *InternetBut = nullptr, *SortBut = nullptr;
    QMenu* PopupMenu3 = nullptr; // the sort orders
    QMenu* SortMenu = nullptr;   // the same orders in the View menu
    rk::LitCheckBox* BitCheck = nullptr;
    rk::fw::DBCheckBox* DBCheckBox1 = nullptr; // hidden, bound to MARKED

    rk::PictureTabWidget* ExtPageControl1 = nullptr;
    QWidget *TabSheet7 = nullptr, *TabSheet8 = nullptr, *TabSheet9 = nullptr;
    rk::fw::DBLookupList *DBLookupListBox1 = nullptr, *DBLookupListBox2 = nullptr,
                         *DBLookupListBox3 = nullptr, *DBLookupListBox4 = nullptr;
    QSplitter* RxSplitter1 = nullptr;
    QMenu* PopupMenu1 = nullptr; // the category list's menu

    rk::PictureTabWidget* PageControl2 = nullptr;
    QWidget *TabSheet4 = nullptr, *TabSheet5 = nullptr, *TabSheet6 = nullptr, *TabSheet1 = nullptr;
    rk::DotMatrixBanner* BannerLab = nullptr;

    // Common page
    rk::fw::DBEdit *DBEdit1 = nullptr, *DBEdit3 = nullptr, *DBEdit13 = nullptr,
                   *DBEditRunTime = nullptr, *DBEdit7 = nullptr, *DBEdit11 = nullptr,
                   *DBEditTapes = nullptr;
    rk::fw::DBLookupCombo* DBLookupComboBox1 = nullptr;
    QCheckBox* LockCheck = nullptr;
    rk::fw::DBComboBox *DBComboBox1 = nullptr, *DBComboBox3 = nullptr, *DBComboBox2 = nullptr;
    QPushButton* butZoom = nullptr;
    rk::fw::DBCheckBox* chkMultiSet = nullptr;
    rk::SpinButton* UpDown1 = nullptr;
    QLabel *lblUser1 = nullptr, *lblUser2 = nullptr, *lblUser3 = nullptr, *lblUser4 = nullptr,
           *lblTapes = nullptr;
    // Run-time zoom panel
    QFrame* pnlZoom = nullptr;
    rk::SpinEdit *RxSpinEdit1 = nullptr, *RxSpinEdit2 = nullptr; // hours, minutes
    rk::SpinButton *RxSpinButton1 = nullptr, *RxSpinButton2 = nullptr;
    QPushButton *BitBtn2 = nullptr, *BitBtn3 = nullptr; // "Cancel", "Go with it!"

    // Details page
    rk::fw::DBEdit *DBEdit6 = nullptr, *DBEdit12 = nullptr, *DBEdit14 = nullptr, *DBEdit5 = nullptr,
                   *DBEdit8 = nullptr, *DBEdit9 = nullptr;
    rk::fw::DBMemo* DBMemo1 = nullptr;
    rk::fw::DBRadioGroup *RadioGroupContent = nullptr, *RadioGroupSound = nullptr,
                         *RadioGroupPicture = nullptr;

    // AV page
    QGroupBox* GroupBoxFeatures = nullptr;
    rk::fw::DBCheckBox *DBCheckBoxSurround = nullptr, *DBCheckBoxCaptions = nullptr;
    rk::fw::DBComboBox* DBComboBox4 = nullptr;
    rk::fw::DBCheckBox* chkClip = nullptr;
    QGroupBox* avGroup = nullptr;
    rk::fw::DBEdit* DBEditClip = nullptr;
    QPushButton *butPlay = nullptr, *BitBtn5 = nullptr;
    rk::fw::DBRadioGroup* RadioGroupClip = nullptr;

    // Stars page
    rk::fw::DBEdit *DBEditStar1 = nullptr, *DBEditStar2 = nullptr, *DBEditStar3 = nullptr,
                   *DBEditStar4 = nullptr;

    QStatusBar* StatusBar1 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QTimer* Timer1 = nullptr; // the splash timer
    // The file dialog that chooses a clip; the browse command changes its filter and
    // title, and they stay for the next use.
    struct FileDialog {
        QString title;
        QString filter; // "description|patterns|..."
        QString fileName;
    } OpenDialog1{QStringLiteral("Locate a Video or Audio file"),
                  QStringLiteral("AVI Video clips (*.avi)|*.avi|MPEG Video clips|*.mpg|"
                                 "Audio Files (*.wav)|*.wav|Midi Files (*.mid)|*.mid|"
                                 "All Audio/Video types|*.wav;*.mid;*.avi;*.mpg|All Files|*.*"),
                  QString()};

    // --- Menu items
    QMenu *File1 = nullptr, *Edit1 = nullptr, *View1 = nullptr, *Special1 = nullptr,
          *Help1 = nullptr, *DatabaseMaintenance1 = nullptr, *Tabs1 = nullptr;
    QAction *Save1 = nullptr, *PrintReport1 = nullptr, *ReportBuilder1 = nullptr,
            *CreateVideoLabels1 = nullptr, *ImportExport1 = nullptr, *PackDatabase1 = nullptr,
            *ReIndexDatabase1 = nullptr, *quit = nullptr;
    QAction* ImportForeign1 = nullptr; // File, "Import from Another Program..."
    QAction *Cut1 = nullptr, *Copy1 = nullptr, *Paste1 = nullptr, *AddNewEntry1 = nullptr,
            *DeleteCurrentEntry1 = nullptr, *MarkUnMarkCurrentEntry1 = nullptr,
            *UnMarkMarkedEntries1 = nullptr, *AddNewCategory2 = nullptr, *Find1 = nullptr;
    QAction *Navigator1 = nullptr, *MasterEditor1 = nullptr, *Category2 = nullptr,
            *ViewAll1 = nullptr, *Marked1 = nullptr, *Common1 = nullptr, *Details1 = nullptr,
            *Other1 = nullptr, *Stars1 = nullptr, *ToolTips1 = nullptr, *TipoftheDay1 = nullptr;
    QAction *Preferences = nullptr, *ModifyCategories2 = nullptr, *SearchtheNet1 = nullptr,
            *CalculateCosts1 = nullptr;
    QAction *Contents1 = nullptr, *Tutorial1 = nullptr, *About = nullptr, *Website = nullptr;
    QAction *AddNewCategory1 = nullptr, *ModifyCategories1 = nullptr; // PopupMenu1
    // PopupMenu3
    QAction *Title2 = nullptr, *Category3 = nullptr, *Director1 = nullptr, *ID = nullptr,
            *Year1 = nullptr, *Format1 = nullptr, *Rating = nullptr, *RatedPG13etc1 = nullptr,
            *Content1 = nullptr, *MultiSets1 = nullptr, *User11 = nullptr, *User21 = nullptr,
            *NaturalOrder1 = nullptr;

    // Construction (form1.cpp, detailpages.cpp)
    void buildMenus();
    void buildToolBar();
    void buildViewPages();
    void buildDetailPages();
    QWidget* buildCommonPage();
    QWidget* buildDetailsPage();
    QWidget* buildAvPage();
    QWidget* buildStarsPage();
    void buildZoomPanel(QWidget* page);
    void buildStatusBar();
    void bindControls();
    void connectCommands();
    void placeBanner();
    void placeZoomPanel();
    void placeOnFirstRun();

    // Views
    void applySortTag(const char* tag);
    void showCount(const QString& caption);
    // The set of titles in force (viewset.cpp): named by the command that set it, counted in
    // the status bar after every change of the set, named over the lists.
    void nameSet(const QString& caption, const QString& heading);
    void refreshCount();
    QString setCaption_, setHeading_;
    // Editing
    void moveToNextPage();
    void animateZoom(bool open);
    // Start-up (startup.cpp)
    bool takeDataFolder();
    bool openCatalogue();
    // A catalogue that cannot be written: the title bar says so and what writes is off.
    void showReadOnly();
    bool offerNewCatalogue();
    void readSettings();
    void readChoiceLists();
    // Tells, once and without waiting, what the start-up found wrong and repaired.
    void tellStartupRepairs();
    // The clip group's connections (clips.cpp)
    void connectClipCommands();
    // Category list, marking, search and maintenance (mainwin/collectioncommands.cpp)
    class ListMouse;
    void connectCollectionCommands();
    // The list editor, master editor and preferences commands (listcommands.cpp,
    // prefcommands.cpp)
    void connectListCommands();
    void connectPrefCommands();
    ListMouse* listMouse_ = nullptr;
    // Labels and internet commands (labelcommands.cpp, netcommands.cpp)
    void connectLabelCommands();
    void connectNetCommands();
    void connectPrintCommands();

    QString dataFolder_;
    bool ready_ = false;
    QStringList startupRepairs_; // told at the first show, in plain words
    bool hintsShown_ = true;
    bool tutorialChecked_ = false;
    bool firstShown_ = false;
    bool closing_ = false;
    std::unique_ptr<rk::catalogue::Catalogue> catalogue_;
    bool readOnly_ = false; // the catalogue's files cannot be written
    std::unique_ptr<QLockFile> instanceLock_;
    QLocalServer* instanceServer_ = nullptr; // answers later starts on the same data folder
    rk::fw::RecordListModel* titleModel_ = nullptr;
    rk::fw::RecordListModel* categoryModel_ = nullptr;
    rk::fw::FormStorage* storage_ = nullptr;
    QPointer<QWidget> splash_;
    QLabel* statusPanel0_ = nullptr;
    QLabel* statusPanel1_ = nullptr;
    int pendingCategoryHeight_ = -1;
    int upDownPosition_ = 1;
    bool zoomOpen_ = false;
    bool titleJustAsked_ = false; // DBEdit1Exit has just asked for a title
    QTimer* zoomTimer_ = nullptr;
    int zoomStep_ = 0;
    QList<QWidget*> enterTabControls_; // Enter moves to the next field when enterAsTab
    EditRules rules_;
    bool newTitlePending_ = false;
    QList<QWidget*> enterPageControls_; // Enter always consumed; may move to the next page

    // Catalogues, statistics and the quick filter (catalogues.cpp, statscommands.cpp,
    // quickfilter.cpp)
    QAction *OpenCatalogue1 = nullptr, *ExportPocket1 = nullptr, *Statistics1 = nullptr;
    QMenu* RecentCatalogues1 = nullptr;
    rk::mainwin::CoverPanel* coverPanel_ = nullptr;
    QAction *LendReturn1 = nullptr, *Loans1 = nullptr;
    rk::mainwin::LoansWindow* loansWindow_ = nullptr;
    QStringList sideNotices_; // told together once the work that found them is done
    QLineEdit* QuickFilter = nullptr;
    QWidget* buildQuickFilter(); // the box above the view pages, holding them
    void connectCatalogueCommands();
    void connectStatsCommands();
    void connectQuickFilter();
    enum class Remember { Always, IfListed };
    void rememberCatalogue(Remember when);
    void readTitleWordsLater();
    bool finishTitleWords();
    void quickFilterSetChanged();
    void showFilterCount();
    rk::search::TitleWords titleWords_;
    rk::search::QuickFilter quickFilter_{titleWords_};
    QTimer* titleWordsTimer_ = nullptr;
    QString statusBeforeFilter_;

    // Undo and redo (undocommands.cpp)
public:
    void Undo1Click();
    void Redo1Click();

private:
    QAction *Undo1 = nullptr, *Redo1 = nullptr;
    std::unique_ptr<rk::catalogue::UndoStack> undo_;
    std::unique_ptr<rk::catalogue::UndoRecorder> recorder_;
    void connectUndoCommands();
    void updateUndoActions();
    void undoApplied(const rk::catalogue::UndoResult& r);

    // The title lists' columns (titlecolumns.cpp)
    QMenu* ColumnsMenu = nullptr;
    QList<rk::fw::DBColumnList*> columnLists_; // beside DBLookupListBox2, 3 and 4
    rk::fw::RecordColumnModel* columnModel_ = nullptr;
    QStringList shownColumns_; // settings keys, the title first
    void buildTitleColumns();
    void showTitleColumns(const QStringList& keys);
    void columnHeaderClicked(int column);
    void showSortColumn();
};
