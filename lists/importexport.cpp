#include "importexport.h"

#include "catalogue.h"
#include "catalogue_engine.h"
#include "dataset.h"
#include "mnemonics.h"
#include "modal.h"
#include "oldimport.h"
#include "prompt.h"
#include "record.h"
#include "table.h"
#include "text.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

using rk::fw::prompt;

namespace {

// How often a long import lets the window repaint.
constexpr int kRepaintMs = 15;

// A group box of radio buttons in `columns` columns, the item `checked` chosen.
QGroupBox* radioGroup(const char* name, const QString& caption, const QStringList& items,
                      int columns, int checked, QButtonGroup* buttons, QWidget* parent) {
    auto* box = new QGroupBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    auto* grid = new QGridLayout(box);
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], box);
        buttons->addButton(b, i);
        grid->addWidget(b, i / columns, i % columns);
    }
    buttons->button(checked)->setChecked(true);
    return box;
}

QPushButton* button(const char* name, const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

QLabel* label(const char* name, const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setWordWrap(true);
    return l;
}

std::string fileName(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

void tell(QWidget* owner, const QString& text, rk::fw::Icon icon = rk::fw::Icon::None,
          const QString& caption = QString()) {
    prompt().message(owner, text, caption, icon, rk::fw::Buttons::Ok);
}

// The fields the preview shows, in the file's column order.
constexpr const char* kPreviewFields[] = {"RATING", "FORMAT", "CATEGORY", "TITLE", "ID", "COUNTER"};

// Counts the file and looks at its shape; the ratings column 1 may hold are the catalogue's.
rk::Result<rk::store::OldFileCounts>
countFile(const std::string& path, const rk::store::Table& table, const QString& dataFolder) {
    const std::string ratingsFile = rk::findFileNoCase(QFile::encodeName(dataFolder).toStdString(),
                                                       rk::catalogue::kRatingsFile);
    auto ratings = rk::catalogue::readChoiceList(ratingsFile, rk::catalogue::builtinRatings());
    const std::vector<std::string>& known = ratings ? *ratings : rk::catalogue::builtinRatings();
    return rk::store::countOldDataFile(path, table.fields(), rk::Env::standard(), &known);
}

QString skippedText(const rk::store::OldFileCounts& counts) {
    return QString::number(counts.skippedLines) +
           (counts.skippedLines == 1
                ? QStringLiteral(" line cannot be stored and is left out:\n")
                : QStringLiteral(" lines cannot be stored and are left out:\n")) +
           rk::fw::fromCp1252(rk::store::skippedLinesText(counts));
}

class Hourglass {
public:
    Hourglass() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~Hourglass() { QApplication::restoreOverrideCursor(); }
    Hourglass(const Hourglass&) = delete;
    Hourglass& operator=(const Hourglass&) = delete;
};

} // namespace

TImportExport::TImportExport(rk::fw::Dataset* titles, rk::catalogue::Catalogue* catalogue,
                             QString dataFolder, QWidget* parent)
    : QDialog(parent), titles_(titles), catalogue_(catalogue), dataFolder_(std::move(dataFolder)) {
    setObjectName(QStringLiteral("ImportExport"));
    rk::fw::keepMnemonics(this); // every shown caption gets a letter of its own
    rk::fw::helpOnF1(this, QStringLiteral("Import_Export"));
    setWindowTitle(QStringLiteral("Import/Export"));
    setModal(true);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));

    auto* importTab = new QWidget(PageControl1);
    importTab->setObjectName(QStringLiteral("TabSheet1"));
    Label1 = label("Label1",
                   QStringLiteral("This option is for importing the data file that was exported "
                                  "from your previous version of Reelkeeper."),
                   importTab);
    versions_ = new QButtonGroup(this);
    RadioGroup1 =
        radioGroup("RadioGroup1", QStringLiteral("Previous Reelkeeper Version"),
                   {QStringLiteral("Version 1.0"), QStringLiteral("Version 1.1 thru 1.4")}, 2, 1,
                   versions_, importTab);
    butLoad = button("butLoad", QStringLiteral("Open File..."), importTab);
    butLoad->setDefault(true);
    butImport = button("butImport", QStringLiteral("Begin Import"), importTab);
    butImport->setEnabled(false);
    Prog = new QProgressBar(importTab);
    Prog->setObjectName(QStringLiteral("Prog"));
    Prog->setRange(0, 100);
    Prog->setValue(0);
    Prog->setTextVisible(false);
    auto* importLayout = new QVBoxLayout(importTab);
    importLayout->addWidget(Label1);
    importLayout->addWidget(RadioGroup1);
    auto* importButtons = new QHBoxLayout;
    importButtons->addWidget(butLoad);
    importButtons->addWidget(butImport);
    importButtons->addStretch(1);
    importLayout->addLayout(importButtons);
    importLayout->addWidget(Prog);
    previewNote_ = label("ImportNote", QString(), importTab);
    importLayout->addWidget(previewNote_);
    preview_ = new QTreeWidget(importTab);
    preview_->setObjectName(QStringLiteral("ImportPreview"));
    preview_->setRootIsDecorated(false);
    preview_->setHeaderLabels({QStringLiteral("Line"), QStringLiteral("Rating"),
                               QStringLiteral("Format"), QStringLiteral("Category"),
                               QStringLiteral("Title"), QStringLiteral("ID"),
                               QStringLiteral("Counter")});
    preview_->hide();
    importLayout->addWidget(preview_, 3);
    importLayout->addStretch(1);
    PageControl1->addTab(importTab, QStringLiteral("Import Reelkeeper 1.0 - 1.4"));

    auto* exportTab = new QWidget(PageControl1);
    exportTab->setObjectName(QStringLiteral("TabSheet2"));
    Label2 = label("Label2",
                   QStringLiteral("This option will Export your database to an ASCII text file."),
                   exportTab);
    methods_ = new QButtonGroup(this);
    radExport = radioGroup(
        "radExport", QStringLiteral("Export Method"),
        {QStringLiteral("Comma Delimited (most common)"), QStringLiteral("Space Delimited")}, 1, 0,
        methods_, exportTab);
    BitBtn1 = button("BitBtn1", QStringLiteral("Export..."), exportTab);
    exportSet_ = label("ExportSet", QString(), exportTab);
    auto* exportLayout = new QVBoxLayout(exportTab);
    exportLayout->addWidget(Label2);
    exportLayout->addWidget(exportSet_);
    exportLayout->addWidget(radExport);
    auto* exportButtons = new QHBoxLayout;
    exportButtons->addWidget(BitBtn1);
    exportButtons->addStretch(1);
    exportLayout->addLayout(exportButtons);
    exportLayout->addStretch(1);
    PageControl1->addTab(exportTab, QStringLiteral("Export Database"));

    butClose = button("butClose", QStringLiteral("Close"), this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(butClose);
    layout->addLayout(bottom);
    resize(560, 380);

    connect(butLoad, &QPushButton::clicked, this, &TImportExport::butLoadClick);
    connect(butImport, &QPushButton::clicked, this, &TImportExport::butImportClick);
    connect(BitBtn1, &QPushButton::clicked, this, &TImportExport::BitBtn1Click);
    connect(butClose, &QPushButton::clicked, this, &TImportExport::butCloseClick);
}

// The dialog closes after the choice, whether or not a file was chosen (the button's modal
// result); a chosen file stays the import file for the rest of the run.
void TImportExport::butLoadClick() {
    const QString file =
        prompt().openFileName(this, QStringLiteral("Open Exported Reelkeeper File"),
                              QDir(dataFolder_).filePath(QStringLiteral("*.dat")),
                              QStringLiteral("Reelkeeper Exported file (*.dat)"));
    if (!file.isEmpty()) {
        importPath_ = file;
        butImport->setEnabled(true);
        showPreview();
    }
    accept();
}

void TImportExport::showPreview() {
    preview_->clear();
    preview_->hide();
    auto counts = countFile(fileName(importPath_), *titles_->table(), dataFolder_);
    if (!counts.isOk()) {
        previewNote_->setText(QString::fromStdString(counts.status().message()));
        return;
    }
    if (!counts->shape.looksOld()) {
        previewNote_->setText(QString::fromStdString(counts->shape.problem()));
        return;
    }
    const auto& fields = titles_->table()->fields();
    for (const auto& [line, image] : counts->preview) {
        QStringList row{QString::number(line)};
        for (const char* name : kPreviewFields) {
            const auto f = std::find_if(fields.begin(), fields.end(),
                                        [&](const auto& d) { return d.name == name; });
            row << (f == fields.end()
                        ? QString()
                        : rk::fw::fromCp1252(f->type == 'N'
                                                 ? rk::dbf::displayText(image, *f)
                                                 : std::string(rk::dbf::trimmedField(image, *f))));
        }
        preview_->addTopLevelItem(new QTreeWidgetItem(row));
    }
    preview_->setVisible(!counts->preview.empty());
    QString note =
        QStringLiteral("%1 lines; the first records as they will be stored:").arg(counts->records);
    if (counts->skippedLines > 0) note = skippedText(*counts) + note;
    previewNote_->setText(note);
}

void TImportExport::butImportClick() {
    if (importing_ || importPath_.isEmpty()) return;
    rk::store::Table& table = *titles_->table();
    const std::string path = fileName(importPath_);

    // A file that cannot be read, or a line that cannot be stored, is told before anything is
    // appended.
    auto counts = countFile(path, table, dataFolder_);
    if (!counts.isOk()) {
        tell(this,
             QStringLiteral("The file could not be imported; nothing was added.\n\n") +
                 QString::fromStdString(counts.status().message()),
             rk::fw::Icon::Error);
        return;
    }
    if (!counts->shape.looksOld()) {
        tell(this,
             QString::fromStdString(counts->shape.problem()) +
                 QStringLiteral("\n\nNothing was imported."),
             rk::fw::Icon::Warning);
        return;
    }
    tell(this, QString::number(counts->records) + QStringLiteral(" Records"));
    Prog->setRange(0, int(std::min<uint32_t>(counts->records, INT_MAX)));
    Prog->setValue(0);
    tell(this, QString::number(counts->fields) + QStringLiteral(" Fields in this File."));

    if (!titles_->checkBrowseMode().isOk()) return; // the main window told why
    setBusy(true);
    QElapsedTimer sinceRepaint;
    sinceRepaint.start();
    const auto repaint = [&sinceRepaint] {
        if (sinceRepaint.elapsed() < kRepaintMs) return;
        QCoreApplication::processEvents();
        sinceRepaint.restart();
    };
    rk::store::OldImportHooks hooks;
    hooks.progress = [this, &repaint](uint32_t line) {
        Prog->setValue(int(std::min<uint32_t>(line, INT_MAX)));
        repaint();
    };
    hooks.indexing = [&repaint](int) { repaint(); };
    rk::store::OldImportReport report;
    const rk::Status imported = catalogue_->importOld(path, *counts, hooks, &report);
    titles_->refresh();
    setBusy(false);
    if (!imported.isOk()) {
        Prog->setValue(0);
        tell(this, QString::fromStdString(imported.message()), rk::fw::Icon::Warning);
    } else if (report.skipped > 0) {
        tell(this,
             QString::number(report.added) + QStringLiteral(" titles were imported. ") +
                 skippedText(*counts),
             rk::fw::Icon::Warning);
    }
}

void TImportExport::BitBtn1Click() {
    const QString file =
        prompt().saveFileName(this, QStringLiteral("Export Database to..."),
                              QDir(dataFolder_).filePath(QStringLiteral("reelkeep.csv")),
                              QStringLiteral("Reelkeep Exported Text File (*.csv)"));
    if (file.isEmpty()) return;
    rk::Status exported;
    uint32_t written = 0;
    {
        Hourglass wait;
        if (!titles_->checkBrowseMode().isOk()) return; // the main window told why
        written = titles_->table()->count();            // the visible titles, which the copy writes
        exported = titles_->table()->copyFileText(
            fileName(file), methods_->checkedId() == 1 ? rk::store::TextFormat::SpaceDelimited
                                                       : rk::store::TextFormat::CommaDelimited);
    }
    if (exported.isOk())
        tell(this,
             QStringLiteral("%1 %2 written to %3")
                 .arg(written)
                 .arg(written == 1 ? QStringLiteral("title") : QStringLiteral("titles"))
                 .arg(QDir::toNativeSeparators(file)),
             rk::fw::Icon::Information, QStringLiteral("Reelkeeper98"));
    else
        tell(this,
             QStringLiteral("The database could not be exported.\n\n") +
                 QString::fromStdString(exported.message()),
             rk::fw::Icon::Warning, QStringLiteral("Reelkeeper98"));
}

void TImportExport::setTitlesInView(const QString& name) {
    const uint32_t n = titles_->table()->count();
    exportSet_->setText(QStringLiteral("The export writes the titles in view: %1, %2 %3.")
                            .arg(name)
                            .arg(n)
                            .arg(n == 1 ? QStringLiteral("title") : QStringLiteral("titles")));
}

void TImportExport::butCloseClick() {
    close();
}

// Esc presses Close; neither closes the window while an import runs.
void TImportExport::reject() {
    if (!importing_) QDialog::reject();
}

void TImportExport::closeEvent(QCloseEvent* event) {
    if (importing_) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

// While an import runs the window repaints and its progress bar moves, but its controls wait:
// a click meanwhile is not kept for later.
void TImportExport::setBusy(bool busy) {
    importing_ = busy;
    for (QWidget* w : std::initializer_list<QWidget*>{PageControl1->tabBar(), RadioGroup1, butLoad,
                                                      butImport, radExport, BitBtn1, butClose})
        w->setEnabled(!busy);
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}
