// Construction of the main window: menus, tool bar, view pages, status bar, and every
// connection between a control and its handler, made here in one place.
#include "form1.h"

#include "datacontrols.h"
#include "dotmatrixbanner.h"
#include "gradienttoolbutton.h"
#include "litcheckbox.h"
#include "picturetabbar.h"
#include "prompt.h"
#include "recordlistmodel.h"
#include "spinbutton.h"
#include "tabpictures.h"
#include "toolicons.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLockFile>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

using rk::mainwin::toolIcon;

namespace {

// Tool tip and status tip from a hint "short|long" (either part may be missing).
void setHint(QWidget* w, const QString& hint) {
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    w->setToolTip(bar < 0 ? hint : hint.left(bar));
    w->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
}

// Swallows every tool tip of the program while tool tips are switched off.
class HintSwitch : public QObject {
public:
    HintSwitch(QObject* parent, const bool* shown) : QObject(parent), shown_(shown) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ToolTip && !*shown_) return true;
        return QObject::eventFilter(watched, event);
    }

private:
    const bool* shown_;
};

QLabel* heading(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
    return label;
}

} // namespace

TForm1::TForm1(const QString& dataFolder, QWidget* parent)
    : QMainWindow(parent), dataFolder_(dataFolder) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Reelkeeper98 3.0"));
    resize(940, 600);

    catalogue_ = std::make_unique<rk::catalogue::Catalogue>();
    // A change whose full-text entry could not follow is logged; the index is rebuilt before
    // the next search.
    catalogue_->setTextIndexNotice([this](const rk::Status& why) {
        MyException(QStringLiteral("Titles.ia"),
                    QStringLiteral("the search index could not follow a change: ") +
                        QString::fromStdString(why.message()));
    });
    catalogue_->setSideDataNotice([this](const std::string& what) { sideDataNotice(what); });
    Table1 = new rk::fw::Dataset(&catalogue_->titles(), this);
    Table1->setObjectName(QStringLiteral("Table1"));
    Table1->setWriter(catalogue_.get());
    Table2 = new rk::fw::Dataset(&catalogue_->categories(), this);
    Table2->setObjectName(QStringLiteral("Table2"));
    Table2->setWriter(catalogue_.get());
    titleModel_ = new rk::fw::RecordListModel(Table1, "TITLE", this);
    categoryModel_ = new rk::fw::RecordListModel(Table2, "CATEGORY", this);

    buildMenus();
    buildToolBar();
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("Panel1"));
    auto* row = new QHBoxLayout(central);
    row->setContentsMargins(6, 4, 6, 2);
    row->setSpacing(6);
    buildViewPages();
    buildDetailPages();
    row->addWidget(buildQuickFilter(), 2);
    row->addWidget(PageControl2, 3);
    setCentralWidget(central);
    buildStatusBar();
    bindControls();
    connectCommands();
    connectCollectionCommands();
    connectClipCommands();
    connectLabelCommands();
    connectNetCommands();
    connectListCommands();
    connectPrefCommands();
    connectPrintCommands();
    connectCatalogueCommands();
    connectStatsCommands();
    connectQuickFilter();
    connectUndoCommands();
    buildTitleColumns();

    storage_ = new rk::fw::FormStorage(this, QStringLiteral("MainFormSettings"),
                                       rk::fw::FormStorage::Keep::PositionSizeState);
    storage_->addProperty(
        QStringLiteral("DBLookupListBox1_Height"),
        [this] { return QString::number(categoryListHeight()); },
        [this](const QString& v) {
            bool ok = false;
            const int h = v.toInt(&ok);
            if (ok) setCategoryListHeight(h);
        });

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(true);
    Timer1->setInterval(800);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);

    qApp->installEventFilter(new HintSwitch(this, &hintsShown_));
    FormCreate();
}

TForm1::~TForm1() {
    if (storage_) storage_->saveIfUnsaved();
}

// --- Menus and tool bar

void TForm1::buildMenus() {
    auto item = [this](QMenu* menu, const char* name, const QString& caption,
                       const QKeySequence& keys = {}) {
        auto* a = menu->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        if (!keys.isEmpty()) a->setShortcut(keys);
        return a;
    };
    auto menu = [this](const char* name, const QString& caption) {
        QMenu* m = menuBar()->addMenu(caption);
        m->setObjectName(QString::fromLatin1(name));
        return m;
    };

    File1 = menu("File1", QStringLiteral("&File"));
    Save1 = item(File1, "Save1", QStringLiteral("Save"), QKeySequence(QStringLiteral("Ctrl+S")));
    File1->addSeparator();
    PrintReport1 = item(File1, "PrintReport1", QStringLiteral("&Print Report..."),
                        QKeySequence(QStringLiteral("Ctrl+P")));
    ReportBuilder1 = item(File1, "ReportBuilder1", QStringLiteral("Report Builder..."));
    CreateVideoLabels1 =
        item(File1, "CreateVideoLabels1", QStringLiteral("Create Video Labels..."));
    File1->addSeparator();
    ImportExport1 = item(File1, "ImportExport1", QStringLiteral("Import/Export..."));
    ImportForeign1 =
        item(File1, "ImportForeign1", QStringLiteral("Import from Another Program..."));
    DatabaseMaintenance1 = File1->addMenu(QStringLiteral("Database Maintenance"));
    DatabaseMaintenance1->setObjectName(QStringLiteral("DatabaseMaintenance1"));
    PackDatabase1 = item(DatabaseMaintenance1, "PackDatabase1", QStringLiteral("Pack &Database"));
    ReIndexDatabase1 =
        item(DatabaseMaintenance1, "ReIndexDatabase1", QStringLiteral("Re-Index Database"),
             QKeySequence(QStringLiteral("Ctrl+I")));
    File1->addSeparator();
    quit = item(File1, "quit", QStringLiteral("E&xit Reelkeeper"),
                QKeySequence(QStringLiteral("Ctrl+Q")));

    Edit1 = menu("Edit1", QStringLiteral("&Edit"));
    Cut1 = item(Edit1, "Cut1", QStringLiteral("Cu&t"), QKeySequence(QStringLiteral("Ctrl+X")));
    Copy1 = item(Edit1, "Copy1", QStringLiteral("&Copy"), QKeySequence(QStringLiteral("Ctrl+C")));
    Paste1 =
        item(Edit1, "Paste1", QStringLiteral("&Paste"), QKeySequence(QStringLiteral("Ctrl+V")));
    Edit1->addSeparator();
    AddNewEntry1 = item(Edit1, "AddNewEntry1", QStringLiteral("Add &New Entry"),
                        QKeySequence(QStringLiteral("Ctrl+N")));
    DeleteCurrentEntry1 =
        item(Edit1, "DeleteCurrentEntry1", QStringLiteral("&Delete Current Entry"));
    LendReturn1 = item(Edit1, "LendReturn1", QStringLiteral("&Lend/Return..."),
                       QKeySequence(QStringLiteral("Ctrl+L")));
    Edit1->addSeparator();
    MarkUnMarkCurrentEntry1 =
        item(Edit1, "MarkUnMarkCurrentEntry1", QStringLiteral("Mark/UnMark Current Entry"),
             QKeySequence(QStringLiteral("Ctrl+M")));
    UnMarkMarkedEntries1 =
        item(Edit1, "UnMarkMarkedEntries1", QStringLiteral("&Un-Mark Marked Entries"));
    Edit1->addSeparator();
    AddNewCategory2 = item(Edit1, "AddNewCategory2", QStringLiteral("&Add New Category..."),
                           QKeySequence(QStringLiteral("Ctrl+A")));
    Edit1->addSeparator();
    Find1 =
        item(Edit1, "Find1", QStringLiteral("&Find..."), QKeySequence(QStringLiteral("Ctrl+F")));

    View1 = menu("View1", QStringLiteral("&View"));
    Navigator1 = item(View1, "Navigator1", QStringLiteral("&Navigator"),
                      QKeySequence(QStringLiteral("Ctrl+F1")));
    Navigator1->setCheckable(true);
    MasterEditor1 = item(View1, "MasterEditor1", QStringLiteral("Master Editor..."));
    Loans1 = item(View1, "Loans1", QStringLiteral("&Loans..."));
    Tabs1 = View1->addMenu(QStringLiteral("Tabs"));
    Tabs1->setObjectName(QStringLiteral("Tabs1"));
    Category2 = item(Tabs1, "Category2", QStringLiteral("&Category"), QKeySequence(Qt::Key_F5));
    ViewAll1 = item(Tabs1, "ViewAll1", QStringLiteral("View &All"), QKeySequence(Qt::Key_F6));
    Marked1 = item(Tabs1, "Marked1", QStringLiteral("&Marked"), QKeySequence(Qt::Key_F7));
    Tabs1->addSeparator();
    Common1 = item(Tabs1, "Common1", QStringLiteral("C&ommon"), QKeySequence(Qt::Key_F8));
    Details1 = item(Tabs1, "Details1", QStringLiteral("&Details"), QKeySequence(Qt::Key_F9));
    Other1 = item(Tabs1, "Other1", QStringLiteral("AV"), QKeySequence(Qt::Key_F10));
    Stars1 = item(Tabs1, "Stars1", QStringLiteral("Stars"), QKeySequence(Qt::Key_F11));
    View1->addSeparator();
    ToolTips1 = item(View1, "ToolTips1", QStringLiteral("&Display ToolTips"));
    ToolTips1->setCheckable(true);
    ToolTips1->setChecked(true);
    TipoftheDay1 = item(View1, "TipoftheDay1", QStringLiteral("Tip of the Day..."));

    Special1 = menu("Special1", QStringLiteral("&Special"));
    Preferences = item(Special1, "Preferences", QStringLiteral("&Preferences..."),
                       QKeySequence(QStringLiteral("Ctrl+R")));
    ModifyCategories2 =
        item(Special1, "ModifyCategories2", QStringLiteral("User Defined Settings..."),
             QKeySequence(QStringLiteral("Ctrl+U")));
    SearchtheNet1 = item(Special1, "SearchtheNet1", QStringLiteral("Search the Net..."),
                         QKeySequence(QStringLiteral("Ctrl+G")));
    CalculateCosts1 = item(Special1, "CalculateCosts1", QStringLiteral("Calculate Costs..."));

    Help1 = menu("Help1", QStringLiteral("&Help"));
    Contents1 = item(Help1, "Contents1", QStringLiteral("Help Topics"), QKeySequence(Qt::Key_F1));
    Tutorial1 = item(Help1, "Tutorial1", QStringLiteral("Tutorial"));
    Help1->addSeparator();
    About = item(Help1, "About", QStringLiteral("&About Reelkeeper98..."));
    Website = item(Help1, "Website", QStringLiteral("Reelkeeper98's Web site..."));

    PopupMenu3 = new QMenu(this);
    PopupMenu3->setObjectName(QStringLiteral("PopupMenu3"));
    Title2 = item(PopupMenu3, "Title2", QStringLiteral("Title"));
    Category3 = item(PopupMenu3, "Category3", QStringLiteral("Category"));
    Director1 = item(PopupMenu3, "Director1", QStringLiteral("Director"));
    ID = item(PopupMenu3, "ID", QStringLiteral("ID"));
    Year1 = item(PopupMenu3, "Year1", QStringLiteral("Year"));
    Format1 = item(PopupMenu3, "Format1", QStringLiteral("Format"));
    Rating = item(PopupMenu3, "Rating", QStringLiteral("Rating (Personal)"));
    RatedPG13etc1 = item(PopupMenu3, "RatedPG13etc1", QStringLiteral("Rated (PG-13, etc.)"));
    Content1 = item(PopupMenu3, "Content1", QStringLiteral("Content (Movie, TV, etc.)"));
    MultiSets1 = item(PopupMenu3, "MultiSets1", QStringLiteral("Multi-Sets"));
    User11 = item(PopupMenu3, "User11", QStringLiteral("User1"));
    User21 = item(PopupMenu3, "User21", QStringLiteral("User2"));
    PopupMenu3->addSeparator();
    NaturalOrder1 = item(PopupMenu3, "NaturalOrder1", QStringLiteral("Natural Order"));

    // The same orders from the keyboard: View, Sort. Built beside the tool button's drop-down,
    // each item runs the handler of its twin there.
    SortMenu = new QMenu(QStringLiteral("&Sort"), View1);
    SortMenu->setObjectName(QStringLiteral("SortMenu"));
    View1->insertMenu(View1->actions().value(View1->actions().indexOf(Tabs1->menuAction()) + 1),
                      SortMenu);
    const std::pair<QAction*, const char*> sortItems[] = {
        {Title2, "&Title"},
        {Category3, "&Category"},
        {Director1, "&Director"},
        {ID, "&ID"},
        {Year1, "&Year"},
        {Format1, "&Format"},
        {Rating, "&Rating (Personal)"},
        {RatedPG13etc1, "Rat&ed (PG-13, etc.)"},
        {Content1, "C&ontent (Movie, TV, etc.)"},
        {MultiSets1, "&Multi-Sets"},
        {User11, "User&1"},
        {User21, "User&2"},
        {NaturalOrder1, "&Natural Order"},
    };
    for (const auto& [twin, caption] : sortItems) {
        if (twin == NaturalOrder1) SortMenu->addSeparator();
        QAction* a = SortMenu->addAction(QString::fromLatin1(caption));
        a->setObjectName(QStringLiteral("Sort") + twin->objectName());
        connect(a, &QAction::triggered, twin, &QAction::trigger);
    }

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    AddNewCategory1 = item(PopupMenu1, "AddNewCategory1", QStringLiteral("Add New Category..."));
    ModifyCategories1 =
        item(PopupMenu1, "ModifyCategories1", QStringLiteral("Modify Categories..."));
}

void TForm1::buildToolBar() {
    TB97 = new QToolBar(QStringLiteral("Tools"), this);
    TB97->setObjectName(QStringLiteral("TB97"));
    TB97->setMovable(false);
    TB97->setFloatable(false);
    TB97->setContextMenuPolicy(Qt::PreventContextMenu);
    addToolBar(Qt::TopToolBarArea, TB97);
    auto button = [this](const char* name, const QString& caption, const char* icon,
                         const QString& hint) {
        auto* b = new rk::GradientToolButton(caption, TB97);
        b->setObjectName(QString::fromLatin1(name));
        b->setIcon(toolIcon(QString::fromLatin1(icon)));
        b->setIconSize(QSize(24, 24));
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setFocusPolicy(Qt::NoFocus);
        b->setMinimumWidth(58);
        setHint(b, hint);
        TB97->addWidget(b);
        return b;
    };
    NewBut = button("NewBut", QStringLiteral("New"), "new",
                    QStringLiteral("Add a New Entry to the Database"));
    SaveBut = button("SaveBut", QStringLiteral("Save"), "save",
                     QStringLiteral("Saves and Updates the Database"));
    TrashBut = button("TrashBut", QStringLiteral("Trash"), "trash",
                      QStringLiteral("Trash/Delete the current entry"));
    MarkBut = button("MarkBut", QStringLiteral("Mark"), "mark",
                     QStringLiteral("Mark/UnMark the current Entry"));
    TB97->addSeparator();
    PrintBut = button("PrintBut", QStringLiteral("Print"), "print",
                      QStringLiteral("Opens the Print Dialog box"));
    ReportsBut = button("ReportsBut", QStringLiteral("Reports"), "reports",
                        QStringLiteral("Opens the Custom Report Builder"));
    LabelBut = button("LabelBut", QStringLiteral("Labels"), "labels",
                      QStringLiteral("Print Video Labels"));
    TB97->addSeparator();
    FindBut = button("FindBut", QStringLiteral("Find"), "find",
                     QStringLiteral("Opens the Search dialog"));
    MasterBut = button("MasterBut", QStringLiteral("Master"), "master",
                       QStringLiteral("Opens the Master Editor"));
    InternetBut = button("InternetBut", QStringLiteral("Internet"), "internet",
                         QStringLiteral("Search the Internet for Movie stuff"));
    SortBut = button("SortBut", QStringLiteral("Sort"), "sort", QStringLiteral("Sort Database|"));
    SortBut->setMenu(PopupMenu3);
    SortBut->setPopupMode(QToolButton::InstantPopup);

    auto* spacer = new QWidget(TB97);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    TB97->addWidget(spacer);
    BitCheck = new rk::LitCheckBox(QStringLiteral("Marked"), TB97);
    BitCheck->setObjectName(QStringLiteral("BitCheck"));
    BitCheck->setFocusPolicy(Qt::NoFocus);
    setHint(BitCheck, QStringLiteral("Lights up on Marked entries"));
    TB97->addWidget(BitCheck);
    DBCheckBox1 = new rk::fw::DBCheckBox(QString(), this);
    DBCheckBox1->setObjectName(QStringLiteral("DBCheckBox1"));
    DBCheckBox1->hide();
}

// --- View pages

void TForm1::buildViewPages() {
    ExtPageControl1 = new rk::PictureTabWidget(this);
    ExtPageControl1->setObjectName(QStringLiteral("ExtPageControl1"));
    ExtPageControl1->setTabSize(QSize(80, 28));
    ExtPageControl1->setUsesScrollButtons(false); // the window is never narrower than its tabs

    auto listFor = [this](const char* name, QWidget* parent) {
        auto* list = new rk::fw::DBLookupList(parent);
        list->setObjectName(QString::fromLatin1(name));
        list->setDragEnabled(false);
        return list;
    };

    TabSheet7 = new QWidget;
    TabSheet7->setObjectName(QStringLiteral("TabSheet7"));
    auto* catPage = new QVBoxLayout(TabSheet7);
    catPage->setContentsMargins(6, 6, 6, 6);
    catPage->setSpacing(3);
    auto* catHeading = heading(QStringLiteral("Categories"), TabSheet7);
    catPage->addWidget(catHeading);
    RxSplitter1 = new QSplitter(Qt::Vertical, TabSheet7);
    RxSplitter1->setObjectName(QStringLiteral("RxSplitter1"));
    RxSplitter1->setChildrenCollapsible(false);
    RxSplitter1->setHandleWidth(6);
    DBLookupListBox1 = listFor("DBLookupListBox1", RxSplitter1);
    DBLookupListBox1->setMinimumHeight(40); // the splitter's upper limit
    DBLookupListBox1->setContextMenuPolicy(Qt::CustomContextMenu);
    catHeading->setBuddy(DBLookupListBox1);
    DBLookupListBox1->setAccessibleName(QStringLiteral("Categories"));
    auto* titlesBox = new QWidget(RxSplitter1);
    titlesBox->setMinimumHeight(20); // the splitter's lower limit
    auto* titlesLayout = new QVBoxLayout(titlesBox);
    titlesLayout->setContentsMargins(0, 2, 0, 0);
    titlesLayout->setSpacing(3);
    auto* titlesHeading = heading(QStringLiteral("Titles"), titlesBox);
    titlesLayout->addWidget(titlesHeading);
    DBLookupListBox3 = listFor("DBLookupListBox3", titlesBox);
    DBLookupListBox3->setMinimumHeight(0);
    titlesHeading->setBuddy(DBLookupListBox3);
    DBLookupListBox3->setAccessibleName(QStringLiteral("Titles"));
    titlesLayout->addWidget(DBLookupListBox3);
    RxSplitter1->addWidget(DBLookupListBox1);
    RxSplitter1->addWidget(titlesBox);
    RxSplitter1->setStretchFactor(0, 0);
    RxSplitter1->setStretchFactor(1, 1);
    RxSplitter1->installEventFilter(this);
    catPage->addWidget(RxSplitter1, 1);

    auto viewPage = [&](const char* name, const QString& title, rk::fw::DBLookupList** list,
                        const char* listName) {
        auto* page = new QWidget;
        page->setObjectName(QString::fromLatin1(name));
        auto* layout = new QVBoxLayout(page);
        layout->setContentsMargins(6, 6, 6, 6);
        layout->setSpacing(3);
        auto* h = heading(title, page);
        layout->addWidget(h);
        *list = listFor(listName, page);
        h->setBuddy(*list);
        (*list)->setAccessibleName(title);
        layout->addWidget(*list, 1);
        return page;
    };
    TabSheet8 =
        viewPage("TabSheet8", QStringLiteral("All Entries"), &DBLookupListBox2, "DBLookupListBox2");
    TabSheet9 = viewPage("TabSheet9", QStringLiteral("Marked Entries"), &DBLookupListBox4,
                         "DBLookupListBox4");

    ExtPageControl1->addTab(TabSheet7, QStringLiteral("Category"));
    ExtPageControl1->addTab(TabSheet8, QStringLiteral("View All"));
    ExtPageControl1->addTab(TabSheet9, QStringLiteral("Marked"));
}

void TForm1::buildStatusBar() {
    StatusBar1 = statusBar();
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(true);
    statusPanel0_ = new QLabel(QStringLiteral("Entries"), StatusBar1);
    statusPanel0_->setObjectName(QStringLiteral("StatusPanel0"));
    statusPanel0_->setFixedWidth(150);
    statusPanel1_ = new QLabel(QStringLiteral("Ready..."), StatusBar1);
    statusPanel1_->setObjectName(QStringLiteral("StatusPanel1"));
    statusPanel1_->setMinimumWidth(200);
    for (QLabel* l : {statusPanel0_, statusPanel1_}) {
        l->setFrameShape(QFrame::StyledPanel);
        l->setFrameShadow(QFrame::Sunken);
        l->setContentsMargins(4, 0, 4, 0);
    }
    StatusBar1->addWidget(statusPanel0_);
    StatusBar1->addWidget(statusPanel1_, 1);
    ProgressBar1 = new QProgressBar(StatusBar1);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setFixedWidth(220);
    ProgressBar1->setMaximumHeight(16);
    ProgressBar1->hide();
    StatusBar1->addPermanentWidget(ProgressBar1);
}

QString TForm1::statusPanelText(int panel) const {
    return (panel == 0 ? statusPanel0_ : statusPanel1_)->text();
}

void TForm1::setStatusPanelText(int panel, const QString& text) {
    (panel == 0 ? statusPanel0_ : statusPanel1_)->setText(text);
}

// Without a stored placement: a comfortable size, centred on the screen. On a screen smaller
// than the window's least size the window starts at the screen's top left, so that its menu
// and tool bar stay in reach.
void TForm1::placeOnFirstRun() {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const QSize size(std::min(1040, area.width() * 9 / 10), std::min(680, area.height() * 9 / 10));
    resize(size.expandedTo(minimumSizeHint()).boundedTo(area.size()));
    const QPoint centred = area.center() - QPoint(width() / 2, height() / 2);
    move(std::max(centred.x(), area.left()), std::max(centred.y(), area.top()));
}

int TForm1::categoryListHeight() const {
    if (pendingCategoryHeight_ >= 0) return pendingCategoryHeight_;
    return DBLookupListBox1->height();
}

void TForm1::setCategoryListHeight(int height) {
    const int total = RxSplitter1->height() - RxSplitter1->handleWidth();
    if (!RxSplitter1->isVisible() || total <= 60) {
        pendingCategoryHeight_ = height; // applied once the splitter has its size
        return;
    }
    pendingCategoryHeight_ = -1;
    const int top = std::clamp(height, 40, std::max(40, total - 20));
    RxSplitter1->setSizes({top, total - top});
}

// --- Data binding and connections

void TForm1::bindControls() {
    DBLookupListBox1->bind(categoryModel_);
    for (auto* list : {DBLookupListBox2, DBLookupListBox3, DBLookupListBox4})
        list->bind(titleModel_);
    DBCheckBox1->bind(Table1, "MARKED");

    DBEdit1->bind(Table1, "TITLE");
    DBEdit3->bind(Table1, "DIRECTOR");
    DBEdit13->bind(Table1, "CATEGORY");
    DBLookupComboBox1->bind(Table1, "CATEGORY", categoryModel_);
    DBComboBox1->bind(Table1, "FORMAT");
    DBEditRunTime->bind(Table1, "RUNTIME");
    DBComboBox3->bind(Table1, "RATED");
    DBComboBox2->bind(Table1, "RATING");
    DBEdit7->bind(Table1, "USER1");
    DBEdit11->bind(Table1, "USER2");
    chkMultiSet->bind(Table1, "MULTI_SET");
    DBEditTapes->bind(Table1, "TAPES");

    DBEdit6->bind(Table1, "PRODUCER");
    DBEdit12->bind(Table1, "YEAR");
    DBEdit14->bind(Table1, "ID");
    DBEdit5->bind(Table1, "PRICE");
    DBEdit8->bind(Table1, "USER3");
    DBEdit9->bind(Table1, "USER4");
    DBMemo1->bind(Table1, "SUMMARY");
    RadioGroupContent->bind(Table1, "CONTENT");
    RadioGroupSound->bind(Table1, "SOUND");
    RadioGroupPicture->bind(Table1, "PICTURE");

    DBCheckBoxSurround->bind(Table1, "SURROUND");
    DBCheckBoxCaptions->bind(Table1, "CLOSE_CAPT");
    DBComboBox4->bind(Table1, "SPEED");
    chkClip->bind(Table1, "AV_CLIP");
    DBEditClip->bind(Table1, "CLIP_FILE");
    RadioGroupClip->bind(Table1, "CLIP_TYPE");

    DBEditStar1->bind(Table1, "STAR1");
    DBEditStar2->bind(Table1, "STAR2");
    DBEditStar3->bind(Table1, "STAR3");
    DBEditStar4->bind(Table1, "STAR4");
}

void TForm1::connectCommands() {
    auto on = [this](QAction* a, void (TForm1::*handler)()) {
        connect(a, &QAction::triggered, this, handler);
    };
    auto click = [this](QAbstractButton* b, void (TForm1::*handler)()) {
        connect(b, &QAbstractButton::clicked, this, handler);
    };

    // Shell
    on(quit, &TForm1::quitClick);
    on(Contents1, &TForm1::Contents1Click);
    on(Tutorial1, &TForm1::Tutorial1Click);
    on(About, &TForm1::AboutClick);
    on(TipoftheDay1, &TForm1::TipoftheDay1Click);
    for (QMenu* m : {Edit1, View1, Special1, Help1})
        connect(m, &QMenu::aboutToShow, this, &TForm1::Edit1Click);

    // Views, tabs and sort orders
    connect(ExtPageControl1, &QTabWidget::currentChanged, this, &TForm1::ExtPageControl1Change);
    connect(PageControl2, &QTabWidget::currentChanged, this, &TForm1::PageControl2Change);
    on(Category2, &TForm1::Category2Click);
    on(ViewAll1, &TForm1::ViewAll1Click);
    on(Marked1, &TForm1::Marked1Click);
    on(Common1, &TForm1::Common1Click);
    on(Details1, &TForm1::Details1Click);
    on(Other1, &TForm1::Other1Click);
    on(Stars1, &TForm1::Stars1Click);
    on(Navigator1, &TForm1::Navigator1Click);
    on(ToolTips1, &TForm1::ToolTips1Click);
    on(Title2, &TForm1::Title2Click);
    on(Category3, &TForm1::Category3Click);
    on(Director1, &TForm1::Director1Click);
    on(ID, &TForm1::IDClick);
    on(Year1, &TForm1::Year1Click);
    on(Format1, &TForm1::Format1Click);
    on(Rating, &TForm1::RatingClick);
    on(RatedPG13etc1, &TForm1::RatedPG13etc1Click);
    on(Content1, &TForm1::Content1Click);
    on(MultiSets1, &TForm1::MultiSets1Click);
    on(User11, &TForm1::User11Click);
    on(User21, &TForm1::User21Click);
    on(NaturalOrder1, &TForm1::NaturalOrder1Click);
    connect(Table1, &rk::fw::Dataset::dataChanged, this, &TForm1::DataSource1DataChange);
    connect(Table1, &rk::fw::Dataset::setChanged, this, &TForm1::refreshCount);

    // Entry editing
    click(NewBut, &TForm1::NewButClick);
    on(AddNewEntry1, &TForm1::NewButClick);
    click(SaveBut, &TForm1::SaveButClick);
    on(Save1, &TForm1::SaveButClick);
    click(TrashBut, &TForm1::TrashButClick);
    // Covers and loans
    on(LendReturn1, &TForm1::LendReturn1Click);
    on(Loans1, &TForm1::Loans1Click);
    connect(Table1, &rk::fw::Dataset::recordMoved, this, &TForm1::showCoverAndLoan);
    connect(Table1, &rk::fw::Dataset::afterPost, this, &TForm1::showCoverAndLoan);
    on(DeleteCurrentEntry1, &TForm1::TrashButClick);
    on(Cut1, &TForm1::Cut1Click);
    on(Copy1, &TForm1::Copy1Click);
    on(Paste1, &TForm1::Paste1Click);
    connect(Table1, &rk::fw::Dataset::newRecord, this, &TForm1::Table1NewRecord);
    connect(Table1, &rk::fw::Dataset::afterPost, this, &TForm1::Table1AfterPost);
    connect(Table1, &rk::fw::Dataset::afterCancel, this, &TForm1::Table1AfterCancel);
    connect(Table1, &rk::fw::Dataset::postFailed, this, &TForm1::Table1PostError);
    Table1->setPostCheck([this] { return Table1BeforePost(); });
    connect(chkMultiSet, &QCheckBox::toggled, this, &TForm1::chkMultiSetClick);
    connect(DBEditTapes, &QLineEdit::textChanged, this, &TForm1::DBEditTapesChange);
    connect(UpDown1, &rk::SpinButton::topClick, this, [this] {
        if (UpDown1Changing()) UpDown1Click(std::min(upDownPosition_ + 1, 100));
    });
    connect(UpDown1, &rk::SpinButton::bottomClick, this, [this] {
        if (UpDown1Changing()) UpDown1Click(std::max(upDownPosition_ - 1, 1));
    });
    click(butZoom, &TForm1::butZoomClick);
    connect(RxSpinButton1, &rk::SpinButton::topClick, this, &TForm1::RxSpinButton1TopClick);
    connect(RxSpinButton1, &rk::SpinButton::bottomClick, this, &TForm1::RxSpinButton1BottomClick);
    connect(RxSpinButton2, &rk::SpinButton::topClick, this, &TForm1::RxSpinButton2TopClick);
    connect(RxSpinButton2, &rk::SpinButton::bottomClick, this, &TForm1::RxSpinButton2BottomClick);
    click(BitBtn2, &TForm1::BitBtn2Click);
    click(BitBtn3, &TForm1::BitBtn3Click);
    DBEdit1->installEventFilter(this); // DBEdit1Exit
    for (QWidget* w : enterTabControls_)
        w->installEventFilter(this);
    for (QWidget* w : enterPageControls_)
        w->installEventFilter(this);
}

// --- Events

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) ||
            (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
            break;
        auto* w = qobject_cast<QWidget*>(watched);
        if (w == DBEdit11) return DBEdit11KeyPress(w);
        if (w == DBMemo1) return DBMemo1KeyPress(w);
        if (enterPageControls_.contains(w)) return DBEditTapesKeyPress(w);
        if (enterTabControls_.contains(w)) return DBEdit1KeyPress(w);
        break;
    }
    case QEvent::FocusOut:
        if (watched == DBEdit1) {
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            // Switching to another window or opening a menu does not leave the field.
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                DBEdit1Exit();
        }
        break;
    case QEvent::Resize:
        if (watched == RxSplitter1 && pendingCategoryHeight_ >= 0)
            QTimer::singleShot(0, this, [this] {
                if (pendingCategoryHeight_ >= 0) setCategoryListHeight(pendingCategoryHeight_);
            });
        else if (PageControl2 && watched == PageControl2->currentWidget())
            placeBanner();
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!firstShown_) {
        firstShown_ = true;
        if (!storage_->placementFound()) placeOnFirstRun();
        FormShow();
    }
}

void TForm1::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (!leaveCatalogue()) {
        event->ignore();
        return;
    }
    event->accept();
}

bool TForm1::leaveCatalogue() {
    if (!ready_ || closing_) return true;
    // A changed entry is saved, as any move would save it; one that cannot be saved is not
    // dropped without asking.
    if (!Table1->checkBrowseMode().isOk() &&
        !rk::fw::confirm(this, QStringLiteral("The current entry could not be saved. "
                                              "Close Reelkeeper anyway and lose its "
                                              "changes?")))
        return false;
    closing_ = true;
    FormClose();
    return true;
}
