// The main window's life: creation, first show, activation and close; the shell's own
// commands (exit, help, tutorial, tip of the day, about).
#include "form1.h"

#include "appwindows.h"
#include "catalogue.h"
#include "cdx.h"
#include "covers.h"
#include "datacontrols.h"
#include "defaulttips.h"
#include "dotmatrixbanner.h"
#include "errorlog.h"
#include "errorpolicy.h"
#include "gradienttoolbutton.h"
#include "navform.h"
#include "picturetabbar.h"
#include "prompt.h"
#include "settings.h"
#include "tabpictures.h"
#include "text.h"
#include "textlines.h"
#include "tipwindow.h"

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStandardPaths>
#include <QStatusBar>
#include <QToolBar>

namespace {

const QString kCaption = QStringLiteral("Reelkeeper");
const QString kTipFile = QStringLiteral("tod.dat");

void tell(QWidget* owner, const QString& text) {
    rk::fw::prompt().message(owner, text, kCaption, rk::fw::Icon::Error, rk::fw::Buttons::Ok);
}

QString explainOpenFailure(const QString& file, const QString& folder, const rk::Status& s) {
    const QString detail = QString::fromStdString(s.message());
    switch (s.code()) {
    case rk::Status::Code::NotFound:
        return QStringLiteral("The catalogue file %1 is missing from %2.").arg(file, folder);
    case rk::Status::Code::Locked: {
        // The file held may be the table's index rather than the table.
        const qsizetype inUse = detail.indexOf(QLatin1String(" is in use"));
        const QString held = inUse > 0 ? QFileInfo(detail.left(inUse)).fileName() : file;
        return QStringLiteral("%1 in %2 is in use by another program.\n\nClose that program, "
                              "then start Reelkeeper again.")
            .arg(held, folder);
    }
    case rk::Status::Code::Corruption:
        return QStringLiteral("%1 in %2 is damaged and cannot be opened:\n%3")
            .arg(file, folder, detail);
    case rk::Status::Code::NotSupported:
        return QStringLiteral("%1 in %2 is a kind of table that Reelkeeper cannot use:\n%3")
            .arg(file, folder, detail);
    default:
        return QStringLiteral("%1 in %2 cannot be opened:\n%3").arg(file, folder, detail);
    }
}

// What opening a table found wrong and did about it, in plain words; empty when it opened
// sound. `what` names the table's contents ("titles").
QStringList repairsOf(rk::store::Table& t, const QString& what) {
    QStringList out;
    const QString file = QFileInfo(QString::fromStdString(t.path())).fileName();
    rk::dbf::DbfFile* dbf = t.dbf();
    if (!dbf) return out;
    const uint32_t counted = dbf->countedAtOpen(), kept = t.recCount();
    if (kept < counted)
        out << QStringLiteral("%1, the file of the %2, had been cut short: it counted %3 records "
                              "but held only %4 whole ones. These %4 are kept; what was left of "
                              "the one after them could not be.")
                   .arg(file, what)
                   .arg(counted)
                   .arg(kept);
    else if (kept > counted)
        out << QStringLiteral("%1, the file of the %2, held %3 records more than it counted (an "
                              "addition that was interrupted). They are kept.")
                   .arg(file, what)
                   .arg(kept - counted);
    const QString index =
        QFileInfo(
            QString::fromStdString(rk::store::structuralIndexPath(t.path(), rk::Env::standard())))
            .fileName();
    const bool indexNoticed = t.notices().size() > dbf->diagnostics().size();
    if (dbf->hasStructuralIndex() && (!t.index() || !t.index()->usable()))
        out << QStringLiteral("%1, the index of the %2, cannot be used. Until the catalogue is "
                              "re-indexed (File menu, Re-Index Database), the %2 are listed in "
                              "the order they were entered and cannot be sorted.")
                   .arg(index, what);
    else if (indexNoticed)
        out << QStringLiteral("%1, the index of the %2, was damaged or did not match them. It "
                              "has been made again from the %2.")
                   .arg(index, what);
    return out;
}

} // namespace

// --- Creation

void TForm1::FormCreate() {
    // 1. The data folder, made the current directory; one Reelkeeper per data folder.
    if (!takeDataFolder()) return;
    // 2. The tab pictures.
    ExtPageControl1->setPictures(rk::loadTabPictures(0, 3));
    PageControl2->setPictures(rk::loadTabPictures(3, 4));
    // 3. Errors no handler expects go to the error log from now on.
    rk::fw::setUnexpectedErrorHandler(
        [self = QPointer<TForm1>(this)](const QString& where, const QString& what) {
            if (self)
                self->MyException(where, what);
            else
                rk::fw::ErrorLog::write(where, what); // the window is gone: still logged
        });
    // 4. and 5. The tables, each in its order, on its first record.
    if (!openCatalogue()) return;
    ready_ = true;
    // 6. to 14. The settings.
    readSettings();
    // 15. The choice lists.
    readChoiceLists();
    rememberCatalogue(Remember::IfListed);
    chkMultiSetClick();
}

bool TForm1::takeDataFolder() {
    dataFolder_ = QDir(dataFolder_).absolutePath();
    if (!dataFolder_.endsWith(QLatin1Char('/'))) dataFolder_ += QLatin1Char('/');
    if (!QDir::setCurrent(dataFolder_)) {
        tell(this, QStringLiteral("The data folder %1 cannot be opened.").arg(dataFolder_));
        return false;
    }
    instanceLock_ = std::make_unique<QLockFile>(dataFolder_ + QStringLiteral("Reelkeeper.lock"));
    instanceLock_->setStaleLockTime(0); // held for the whole run; stale only when its owner died
    const QString server = instanceServerName(dataFolder_);
    if (!instanceLock_->tryLock(0) && instanceLock_->error() == QLockFile::LockFailedError) {
        tell(this, QStringLiteral("Reelkeeper is already running with the catalogue in %1.\n\n"
                                  "Use the window that is open, or close it before starting "
                                  "Reelkeeper again.")
                       .arg(QDir::toNativeSeparators(dataFolder_)));
        instanceLock_.reset();
        // The running window comes to the front, where the user looks for it.
        QLocalSocket ask;
        ask.connectToServer(server);
        if (ask.waitForConnected(1000)) {
            ask.write("front\n");
            ask.waitForBytesWritten(1000);
            ask.disconnectFromServer();
        }
        return false;
    }
    // The holder of the lock answers later starts on the same folder. A socket left by a
    // program that died belongs to nobody now that the lock is ours.
    QLocalServer::removeServer(server);
    instanceServer_ = new QLocalServer(this);
    instanceServer_->setSocketOptions(QLocalServer::UserAccessOption);
    if (instanceServer_->listen(server))
        connect(instanceServer_, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket* s = instanceServer_->nextPendingConnection()) {
                connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
                connect(s, &QLocalSocket::readyRead, this, [this, s] {
                    if (s->readAll().startsWith("front")) bringToFront();
                });
            }
        });
    return true;
}

// The socket lies in the user's runtime folder (XDG_RUNTIME_DIR, or a folder Qt makes for the
// user alone), which no other user can enter: nobody else can take the name first, and the
// sockets of killed runs go with the session.
QString TForm1::instanceServerName(const QString& dataFolder) {
    const QByteArray path = QDir(dataFolder).canonicalPath().toUtf8();
    return QDir(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation))
        .filePath(QStringLiteral("reelkeeper-") +
                  QString::fromLatin1(
                      QCryptographicHash::hash(path, QCryptographicHash::Sha1).toHex().left(20)));
}

void TForm1::bringToFront() {
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
    emit broughtToFront();
}

bool TForm1::openCatalogue() {
    const std::string dir = dataFolder_.toStdString();
    const std::string titlesPath = rk::findFileNoCase(dir, rk::catalogue::kTitlesFile);
    const std::string catsPath = rk::findFileNoCase(dir, rk::catalogue::kCategoriesFile);
    if (!QFile::exists(QString::fromStdString(titlesPath)) &&
        !QFile::exists(QString::fromStdString(catsPath))) {
        if (!offerNewCatalogue()) return false;
    }
    const QString folder = QDir::toNativeSeparators(dataFolder_);
    // A catalogue on media that cannot be written (a disc, a read-only mount) is opened for
    // reading, beside other readers; what would write is switched off (showReadOnly).
    readOnly_ = !QFileInfo(QString::fromStdString(titlesPath)).isWritable() ||
                !QFileInfo(QString::fromStdString(catsPath)).isWritable();
    rk::store::TableOptions options;
    options.readOnly = readOnly_;
    options.exclusive = !readOnly_;
    std::string failedFile;
    if (const rk::Status s = catalogue_->open(dir, options, &failedFile); !s.isOk()) {
        tell(this, explainOpenFailure(QString::fromStdString(failedFile), folder, s));
        return false;
    }
    for (auto* t : {&titles(), &categories()})
        for (const std::string& notice : t->notices())
            MyException(QString::fromStdString(t->path()), QString::fromStdString(notice));
    startupRepairs_ = repairsOf(titles(), QStringLiteral("titles")) +
                      repairsOf(categories(), QStringLiteral("categories"));
    // setActive() below reads the first records again; a table whose index cannot be walked
    // shows no current record.
    titles().setOrder(titles().tagArea("TITIT"));
    rk::ignore(titles().goTop(), "the datasets read their first record again");
    categories().setOrder(categories().tagArea("CAT"));
    rk::ignore(categories().goTop(), "the datasets read their first record again");
    Table1->setActive(true);
    Table2->setActive(true);
    if (readOnly_) showReadOnly();
    return true;
}

void TForm1::showReadOnly() {
    setWindowTitle(windowTitle() + QStringLiteral(" (read-only)"));
    Table1->setReadOnly(true);
    Table2->setReadOnly(true);
    for (QWidget* button : {static_cast<QWidget*>(NewBut), static_cast<QWidget*>(SaveBut),
                            static_cast<QWidget*>(TrashBut), static_cast<QWidget*>(MarkBut)})
        button->setEnabled(false);
    for (QAction* action :
         {Save1, AddNewEntry1, DeleteCurrentEntry1, MarkUnMarkCurrentEntry1, UnMarkMarkedEntries1,
          AddNewCategory1, AddNewCategory2, ModifyCategories1, ModifyCategories2, MasterEditor1,
          ImportExport1, ImportForeign1, PackDatabase1, ReIndexDatabase1})
        action->setEnabled(false);
    LendReturn1->setEnabled(false);
    coverPanel_->setReadOnly(true);
    // The detail pages show the title and take no typing.
    for (QWidget* w : PageControl2->findChildren<QWidget*>()) {
        if (auto* line = qobject_cast<QLineEdit*>(w))
            line->setReadOnly(true);
        else if (auto* text = qobject_cast<QPlainTextEdit*>(w))
            text->setReadOnly(true);
        else if (qobject_cast<QComboBox*>(w) || qobject_cast<QCheckBox*>(w) ||
                 qobject_cast<QAbstractSpinBox*>(w))
            w->setEnabled(false);
    }
}

bool TForm1::offerNewCatalogue() {
    const QString folder = QDir::toNativeSeparators(dataFolder_);
    const int choice = rk::fw::prompt().choose(
        this,
        QStringLiteral("There is no catalogue in %1.\n\nReelkeeper can start an empty catalogue "
                       "there, or one filled with sample titles to try the program with.")
            .arg(folder),
        kCaption, rk::fw::Icon::Question,
        {QStringLiteral("Empty Catalogue"), QStringLiteral("Sample Catalogue"),
         QStringLiteral("Quit")});
    if (choice != 0 && choice != 1) return false;
    const std::string dir = dataFolder_.toStdString();
    const rk::Status made =
        choice == 0 ? rk::catalogue::createEmpty(dir) : rk::catalogue::createSample(dir);
    if (!made.isOk()) {
        tell(this, QStringLiteral("The catalogue could not be created in %1:\n%2")
                       .arg(folder, QString::fromStdString(made.message())));
        return false;
    }
    return true;
}

void TForm1::readSettings() {
    rk::fw::SettingsKey key;
    if (!key.problem().isEmpty()) {
        MyException(QStringLiteral("readSettings"), key.problem());
        startupRepairs_ << key.problem();
    }
    BannerLab->hide();
    setCategoryListHeight(82);

    const QString custom = QStringLiteral("Custom");
    QStringList labels;
    for (int i = 0; i < 4; ++i)
        labels << key.readString(custom, QStringLiteral("Custom%1").arg(i + 1),
                                 QStringLiteral("Custom-%1").arg(i + 1));
    setCustomLabels(labels);

    const QString settings = QStringLiteral("Settings");
    if (key.readInteger(settings, QStringLiteral("BoldLists"), 0) == 1) {
        for (QWidget* page : {TabSheet7, TabSheet8, TabSheet9}) {
            QFont f = page->font();
            f.setBold(true);
            page->setFont(f);
        }
    }
    if (key.readString(settings, QStringLiteral("StartTab"), QStringLiteral("Categories")) ==
        QLatin1String("ViewAll"))
        ExtPageControl1->setCurrentWidget(TabSheet8);
    if (key.readInteger(settings, QStringLiteral("ShowHints"), 1) == 0) setHintsShown(false);
    LockCheck->setChecked(key.readInteger(settings, QStringLiteral("CategoryLock"), 0) != 0);
    if (key.readInteger(settings, QStringLiteral("EnterKeyTab"), 0) == 1) rules_.enterAsTab = true;
    if (key.readInteger(settings, QStringLiteral("EnterMovesTab"), 0) == 0)
        rules_.enterMovesPage = false;
    if (key.readInteger(settings, QStringLiteral("Navigator"), 0) == 1)
        Navigator1->setChecked(true);
    rules_.defaultFormat =
        key.readString(settings, QStringLiteral("DefaultFormat"), QStringLiteral("VHS")).left(255);
}

void TForm1::readChoiceLists() {
    auto load = [this](const char* file, const std::vector<std::string>& builtin,
                       rk::fw::DBComboBox* combo) {
        const auto list = rk::catalogue::readChoiceList(
            rk::findFileNoCase(dataFolder_.toStdString(), file), builtin);
        QStringList items;
        for (const std::string& e : list.isOk() ? list.value() : builtin)
            items << rk::fw::fromCp1252(e);
        combo->setItems(items);
    };
    load(rk::catalogue::kRatingsFile, rk::catalogue::builtinRatings(), DBComboBox2);
    load(rk::catalogue::kFormatsFile, rk::catalogue::builtinFormats(), DBComboBox1);
}

// --- First show, splash, activation

void TForm1::FormShow() {
    Timer1->start();
    setStatusPanelText(1, QStringLiteral("Database Last Modified on: ") +
                              QString::fromStdString(titles().baseDate()));
    rk::copyLookToAll(*SaveBut, TB97);
    if (pendingCategoryHeight_ >= 0) setCategoryListHeight(pendingCategoryHeight_);
    // On a first start the tutorial opens at the activation that follows: the repairs are told
    // after it there, so that the notice is not hidden behind it.
    if (rk::fw::SettingsKey().readInteger(QStringLiteral("Startup"), QStringLiteral("StartTut"),
                                          1) != 1)
        tellStartupRepairs();
    // The tip window shows when the tip file's first character is "1".
    QFile tips(dataFolder_ + kTipFile);
    char flag = 0;
    if (tips.open(QIODevice::ReadOnly) && tips.getChar(&flag) && flag == '1')
        QTimer::singleShot(0, this, &TForm1::TipoftheDay1Click);
}

void TForm1::tellStartupRepairs() {
    if (startupRepairs_.isEmpty()) return;
    const QString text =
        QStringLiteral("Reelkeeper found problems in the catalogue when it started:\n\n") +
        QStringLiteral("\u2022 ") + startupRepairs_.join(QStringLiteral("\n\n\u2022 ")) +
        QStringLiteral("\n\nThe details are in the log file %1.")
            .arg(QDir::toNativeSeparators(rk::fw::ErrorLog::path()));
    startupRepairs_.clear();
    StatusBar1->showMessage(QStringLiteral("Problems were found in the catalogue at start-up and "
                                           "repaired where possible."),
                            60000);
    rk::fw::prompt().notify(this, text, kCaption, rk::fw::Icon::Warning);
}

void TForm1::Timer1Timer() {
    Timer1->stop();
    if (splash_) splash_->close();
}

void TForm1::FormActivate() {
    if (!ready_) return;
    if (!QDir::setCurrent(dataFolder_)) return;
    if (TNavForm* nav = appWindows().navForm) nav->setVisible(Navigator1->isChecked());
    rk::fw::SettingsKey key;
    const QString startup = QStringLiteral("Startup");
    const int tutorial = key.readInteger(startup, QStringLiteral("StartTut"), 1);
    if (tutorial == 1) rk::fw::prompt().showHelp(this, QStringLiteral("Tutorial"));
    // Written only when it changes: the settings file is not rewritten at every start.
    if (tutorial != 0) key.writeInteger(startup, QStringLiteral("StartTut"), 0);
    tellStartupRepairs(); // in front of the tutorial; nothing when they were told at the show
}

// --- Close

void TForm1::FormClose() {
    Table1->setActive(false);
    Table2->setActive(false);
    catalogue_->close();
    if (instanceLock_) instanceLock_->unlock();
}

void TForm1::quitClick() {
    close();
}

void TForm1::MyException(const QString& where, const QString& what) {
    rk::fw::ErrorLog::write(where, what);
}

// --- Help, about, web site, tips

void TForm1::Contents1Click() {
    rk::fw::prompt().showHelp(this, QStringLiteral("MainTopic"));
}

void TForm1::Tutorial1Click() {
    rk::fw::prompt().showHelp(this, QStringLiteral("Tutorial"));
}

void TForm1::AboutClick() {
    if (QWidget* about = appWindows().aboutBox) {
        about->setWindowModality(Qt::ApplicationModal);
        about->show();
        about->raise();
    }
}

void TForm1::TipoftheDay1Click() {
    const QString path = dataFolder_ + kTipFile;
    bool ok = false;
    QStringList lines = rk::readCp1252Lines(path, &ok);
    if (!ok) lines = rk::fw::defaultTipLines();
    auto* tips = new rk::TipWindow(this);
    tips->setObjectName(QStringLiteral("TipWindow"));
    tips->setAttribute(Qt::WA_DeleteOnClose);
    tips->setLines(lines);
    connect(tips, &QDialog::accepted, this,
            [path, tips] { rk::writeCp1252Lines(path, tips->lines()); });
    tips->open();
}
