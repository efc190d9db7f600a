// Catalogues: File, "Open Catalogue Folder..." and "Recent Catalogues" leave this catalogue
// for another folder (the windows are made again on it, as at a start on that folder); File,
// "Export Pocket Catalogue..." writes the titles in view as one HTML page for a browser or a
// phone.
#include "form1.h"

#include "appwindows.h"
#include "hourglass.h"
#include "pocket.h"
#include "prompt.h"
#include "settings.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QLockFile>
#include <QMenu>
#include <QStandardPaths>

namespace {

const QString kCaption = QStringLiteral("Reelkeeper");
const QString kRecentSection = QStringLiteral("Catalogues");
constexpr int kRecentCount = 8;

QString withSeparator(const QString& folder) {
    QString path = QDir(folder).absolutePath();
    if (!path.endsWith(QLatin1Char('/'))) path += QLatin1Char('/');
    return path;
}

QStringList recentCatalogues() {
    rk::fw::SettingsKey key;
    QStringList list;
    for (int i = 1; i <= kRecentCount; ++i) {
        const QString folder =
            key.readString(kRecentSection, QStringLiteral("Recent%1").arg(i), QString());
        if (!folder.isEmpty() && !list.contains(folder)) list << folder;
    }
    return list;
}

// Whether another Reelkeeper holds the folder's lock; that one is asked to come to the front.
bool heldElsewhere(const QString& folder) {
    QLockFile lock(folder + QStringLiteral("Reelkeeper.lock"));
    lock.setStaleLockTime(0); // stale only when its owner died, as the holder keeps it
    if (lock.tryLock(0)) {
        lock.unlock();
        return false;
    }
    if (lock.error() != QLockFile::LockFailedError) return false; // the open will tell why
    QLocalSocket ask;
    ask.connectToServer(TForm1::instanceServerName(folder));
    if (ask.waitForConnected(1000)) {
        ask.write("front\n");
        ask.waitForBytesWritten(1000);
        ask.disconnectFromServer();
    }
    return true;
}

} // namespace

void TForm1::connectCatalogueCommands() {
    OpenCatalogue1 = new QAction(QStringLiteral("&Open Catalogue Folder..."), this);
    OpenCatalogue1->setObjectName(QStringLiteral("OpenCatalogue1"));
    OpenCatalogue1->setShortcut(QKeySequence(QStringLiteral("Ctrl+O")));
    RecentCatalogues1 = new QMenu(QStringLiteral("Recent Catalo&gues"), File1);
    RecentCatalogues1->setObjectName(QStringLiteral("RecentCatalogues1"));
    QAction* first = File1->actions().value(0);
    File1->insertAction(first, OpenCatalogue1);
    File1->insertMenu(first, RecentCatalogues1);
    File1->insertSeparator(first);
    ExportPocket1 = new QAction(QStringLiteral("Export Poc&ket Catalogue..."), this);
    ExportPocket1->setObjectName(QStringLiteral("ExportPocket1"));
    File1->insertAction(File1->actions().value(File1->actions().indexOf(ImportExport1) + 1),
                        ExportPocket1);

    connect(OpenCatalogue1, &QAction::triggered, this, &TForm1::OpenCatalogue1Click);
    connect(RecentCatalogues1, &QMenu::aboutToShow, this, &TForm1::RecentCatalogues1Show);
    connect(ExportPocket1, &QAction::triggered, this, &TForm1::ExportPocket1Click);
}

// The data folder opened goes first in the recent list. A start on the one catalogue a user
// has ever opened writes nothing (a start leaves the settings file as it was): the list begins
// when another folder is opened, with the folder left behind.
void TForm1::rememberCatalogue(Remember when) {
    const QStringList before = recentCatalogues();
    if (when == Remember::IfListed && before.isEmpty()) return;
    QStringList list = before;
    list.removeAll(dataFolder_);
    list.prepend(dataFolder_);
    if (list == before) return;
    rk::fw::SettingsKey key;
    for (int i = 0; i < kRecentCount; ++i)
        key.writeString(kRecentSection, QStringLiteral("Recent%1").arg(i + 1), list.value(i));
}

void TForm1::OpenCatalogue1Click() {
    const QString folder =
        rk::fw::prompt().folderName(this, QStringLiteral("Open Catalogue Folder"),
                                    QFileInfo(dataFolder_ + "..").absolutePath());
    if (folder.isEmpty()) return;
    openCatalogueFolder(folder);
}

void TForm1::RecentCatalogues1Show() {
    RecentCatalogues1->clear();
    const QStringList list = recentCatalogues();
    for (const QString& folder : list) {
        QAction* a = RecentCatalogues1->addAction(QDir::toNativeSeparators(folder));
        a->setCheckable(true);
        a->setChecked(folder == dataFolder_);
        a->setEnabled(folder != dataFolder_);
        connect(a, &QAction::triggered, this, [this, folder] { openCatalogueFolder(folder); });
    }
    if (list.isEmpty()) RecentCatalogues1->addAction(QStringLiteral("(none)"))->setEnabled(false);
}

void TForm1::openCatalogueFolder(const QString& chosen) {
    const QString folder = withSeparator(chosen);
    if (folder == dataFolder_) return;
    if (heldElsewhere(folder)) {
        rk::fw::prompt().message(
            this,
            QStringLiteral("Reelkeeper is already running with the catalogue in %1.\n\nUse the "
                           "window that is open, or close it before opening that catalogue "
                           "here.")
                .arg(QDir::toNativeSeparators(folder)),
            kCaption, rk::fw::Icon::Information, rk::fw::Buttons::Ok);
        return;
    }
    if (!leaveCatalogue()) return;
    rememberCatalogue(Remember::Always);
    // The windows go once this handler has returned.
    QTimer::singleShot(0, qApp, [folder] { switchCatalogue(folder); });
}

void TForm1::ExportPocket1Click() {
    // A changed title is stored first (its post failure has been reported when it fails).
    if (!Table1->checkBrowseMode().isOk()) return;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QString file =
        rk::fw::prompt().saveFileName(this, QStringLiteral("Export Pocket Catalogue"),
                                      QDir(documents.isEmpty() ? QDir::homePath() : documents)
                                          .filePath(QStringLiteral("Video Catalogue.html")),
                                      QStringLiteral("Web pages (*.html)"));
    if (file.isEmpty()) return;
    if (!file.endsWith(QStringLiteral(".html"), Qt::CaseInsensitive) &&
        !file.endsWith(QStringLiteral(".htm"), Qt::CaseInsensitive))
        file += QStringLiteral(".html");
    rk::search::PocketPage page;
    page.footnote = QStringLiteral("Made by Reelkeeper on %1.")
                        .arg(QLocale().toString(QDate::currentDate(), QLocale::LongFormat))
                        .toStdString();
    const rk::search::PocketCovers covers = offerPocketCovers(file);
    rk::Result<size_t> written = size_t(0);
    {
        rk::mainwin::Hourglass wait;
        written = rk::search::writePocketCatalogue(titles(), QFile::encodeName(file).toStdString(),
                                                   page, covers);
    }
    if (!written) {
        rk::fw::showStatus(this, QStringLiteral("The pocket catalogue could not be written."),
                           written.status(), QStringLiteral("Export Pocket Catalogue"));
        return;
    }
    rk::fw::prompt().message(
        this,
        QStringLiteral("%1 titles were written to %2.\n\nOpen it in any web browser, or copy it "
                       "to a phone: it needs nothing else.")
            .arg(*written)
            .arg(QDir::toNativeSeparators(file)),
        QStringLiteral("Export Pocket Catalogue"), rk::fw::Icon::Information, rk::fw::Buttons::Ok);
}
