#include "foreignimport.h"

#include "apply.h"
#include "catalogue_engine.h"
#include "cp1252.h"
#include "dataset.h"
#include "prompt.h"
#include "readers.h"
#include "record.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <map>
#include <optional>

using namespace rk::interchange;

namespace {

// The preview's columns: our fields.
const char* const kPreviewFields[] = {"TITLE",  "YEAR",    "CATEGORY", "DIRECTOR",
                                      "FORMAT", "RUNTIME", "RATING",   "SUMMARY"};
constexpr int kPreviewRows = 50;

QString qs(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

// What a column can be mapped to, as the user reads it.
QString targetText(const std::string& target) {
    static const std::map<std::string, const char*> names = {
        {"title", "Title"},
        {"year", "Year"},
        {"genres", "Genres (the first is the category)"},
        {"directors", "Directors"},
        {"producers", "Producers"},
        {"cast", "Cast (Star 1 to 4)"},
        {"medium", "Medium (media format)"},
        {"certification", "Certification (rated)"},
        {"minutes", "Running time in minutes"},
        {"plot", "Plot (summary)"},
        {"rating", "Personal rating"},
        {"price", "Price"},
        {"purchase-price", "Purchase price"},
        {"borrower", "Borrower (not imported yet)"},
    };
    const auto it = names.find(target);
    return it != names.end() ? QString::fromLatin1(it->second)
                             : QStringLiteral("Field ") + qs(target);
}

QString byField(const std::map<std::string, uint32_t>& counts) {
    QStringList parts;
    for (const auto& [name, n] : counts)
        parts << qs(name) + QStringLiteral(" ") + QString::number(n);
    return parts.join(QStringLiteral(", "));
}

} // namespace

struct TForeignImport::State {
    std::string bytes;
    Format format = Format::Unknown;
    std::optional<CsvTable> csv;
    CsvMapping mapping;
    ReadResult read;
    std::optional<ImportPlan> plan;
};

TForeignImport::TForeignImport(rk::fw::Dataset* titles, rk::catalogue::Catalogue* catalogue,
                               QString dataFolder, QWidget* parent)
    : QDialog(parent), state_(std::make_unique<State>()), titles_(titles), catalogue_(catalogue),
      dataFolder_(std::move(dataFolder)) {
    setObjectName(QStringLiteral("ForeignImport"));
    setWindowTitle(QStringLiteral("Import from Another Program"));
    auto* layout = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    butOpen = new QPushButton(QStringLiteral("Open File..."), this);
    butOpen->setObjectName(QStringLiteral("butOpen"));
    fileLabel =
        new QLabel(QStringLiteral("Tellico, GCstar, Data Crow, Griffith or CSV file"), this);
    fileLabel->setObjectName(QStringLiteral("fileLabel"));
    top->addWidget(butOpen);
    top->addWidget(fileLabel, 1);
    layout->addLayout(top);

    auto* options = new QHBoxLayout;
    chkMerge = new QCheckBox(QStringLiteral("Merge duplicates into the titles kept"), this);
    chkMerge->setObjectName(QStringLiteral("chkMerge"));
    chkUserFields = new QCheckBox(QStringLiteral("Other fields into user fields 1 to 3"), this);
    chkUserFields->setObjectName(QStringLiteral("chkUserFields"));
    options->addWidget(chkMerge);
    options->addWidget(chkUserFields);
    options->addStretch(1);
    layout->addLayout(options);

    mappingTable = new QTableWidget(0, 3, this);
    mappingTable->setObjectName(QStringLiteral("mappingTable"));
    mappingTable->setHorizontalHeaderLabels(
        {QStringLiteral("Column"), QStringLiteral("First row"), QStringLiteral("Field")});
    mappingTable->horizontalHeader()->setStretchLastSection(true);
    mappingTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mappingTable->hide();
    layout->addWidget(mappingTable, 1);

    previewTable = new QTableWidget(0, int(std::size(kPreviewFields)), this);
    previewTable->setObjectName(QStringLiteral("previewTable"));
    QStringList headers;
    for (const char* f : kPreviewFields)
        headers << QString::fromLatin1(f);
    previewTable->setHorizontalHeaderLabels(headers);
    previewTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->addWidget(previewTable, 2);

    countsLabel = new QLabel(this);
    countsLabel->setObjectName(QStringLiteral("countsLabel"));
    countsLabel->setWordWrap(true);
    layout->addWidget(countsLabel);
    reportText = new QPlainTextEdit(this);
    reportText->setObjectName(QStringLiteral("reportText"));
    reportText->setReadOnly(true);
    reportText->hide();
    layout->addWidget(reportText, 1);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    butImport = new QPushButton(QStringLiteral("Import"), this);
    butImport->setObjectName(QStringLiteral("butImport"));
    butImport->setEnabled(false);
    butClose = new QPushButton(QStringLiteral("Close"), this);
    butClose->setObjectName(QStringLiteral("butClose"));
    bottom->addWidget(butImport);
    bottom->addWidget(butClose);
    layout->addLayout(bottom);
    resize(900, 620);

    connect(butOpen, &QPushButton::clicked, this, &TForeignImport::butOpenClick);
    connect(butImport, &QPushButton::clicked, this, &TForeignImport::butImportClick);
    connect(butClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(chkMerge, &QCheckBox::toggled, this, &TForeignImport::refreshPreview);
    connect(chkUserFields, &QCheckBox::toggled, this, &TForeignImport::refreshPreview);
}

TForeignImport::~TForeignImport() = default;

void TForeignImport::butOpenClick() {
    const QString file = rk::fw::prompt().openFileName(
        this, QStringLiteral("Open a Collection of Another Program"), dataFolder_,
        QStringLiteral("Collections (*.tc *.xml *.gcs *.csv *.tsv *.txt);;All files (*)"));
    if (!file.isEmpty()) load(file);
}

void TForeignImport::load(const QString& path) {
    *state_ = State();
    reportText->hide();
    butImport->setEnabled(false);
    previewTable->setRowCount(0);
    countsLabel->clear();
    fileLabel->setText(QDir::toNativeSeparators(path));
    auto bytes = loadFile(path.toStdString());
    rk::Status failed = bytes.isOk() ? rk::Status::ok() : bytes.status();
    if (bytes.isOk()) {
        state_->bytes = std::move(*bytes);
        state_->format = detectFormat(state_->bytes);
        if (state_->format == Format::Csv) {
            auto table = parseCsv(state_->bytes);
            if (table.isOk()) {
                state_->csv = std::move(*table);
                state_->mapping = guessMapping(state_->csv->header);
            } else {
                failed = table.status();
            }
        } else {
            auto read = readBytes(state_->bytes, state_->format);
            if (read.isOk())
                state_->read = std::move(*read);
            else
                failed = read.status();
        }
    }
    if (!failed.isOk()) {
        *state_ = State();
        mappingTable->hide();
        rk::fw::prompt().message(
            this,
            QStringLiteral("The file cannot be imported; nothing was added.\n\n") +
                qs(failed.message()),
            windowTitle(), rk::fw::Icon::Error, rk::fw::Buttons::Ok);
        return;
    }
    showMapping();
    refreshPreview();
}

void TForeignImport::showMapping() {
    mappingTable->setVisible(state_->csv.has_value());
    if (!state_->csv) return;
    const CsvTable& csv = *state_->csv;
    mappingTable->setRowCount(int(csv.header.size()));
    for (size_t c = 0; c < csv.header.size(); ++c) {
        const int row = int(c);
        mappingTable->setItem(row, 0, new QTableWidgetItem(qs(csv.header[c])));
        mappingTable->setItem(
            row, 1, new QTableWidgetItem(csv.rows.empty() ? QString() : qs(csv.rows[0][c])));
        auto* field = new QComboBox(mappingTable);
        field->setObjectName(QStringLiteral("mapColumn%1").arg(row));
        field->addItem(QStringLiteral("(not imported)"), QString());
        for (const std::string& target : csvTargets())
            field->addItem(targetText(target), qs(target));
        field->setCurrentIndex(std::max(0, field->findData(qs(state_->mapping[c]))));
        connect(field, &QComboBox::currentIndexChanged, this, [this, c, field] {
            state_->mapping[c] = field->currentData().toString().toStdString();
            refreshPreview();
        });
        mappingTable->setCellWidget(row, 2, field);
    }
}

void TForeignImport::refreshPreview() {
    if (state_->bytes.empty()) return;
    if (state_->csv) {
        state_->read = ReadResult();
        state_->read.format = Format::Csv;
        state_->read.titles = csvTitles(*state_->csv, state_->mapping);
    }
    auto options = catalogueLists(catalogue_->dir());
    if (!options.isOk()) options = MapOptions();
    options->merge = chkMerge->isChecked();
    options->othersToUserFields = chkUserFields->isChecked();
    auto plan = planImport(state_->read, catalogue_->titles(), *options, 0);
    if (!plan.isOk()) {
        countsLabel->setText(qs(plan.status().message()));
        state_->plan.reset();
        butImport->setEnabled(false);
        return;
    }
    state_->plan = std::move(*plan);
    const ImportPlan& p = *state_->plan;

    const auto& fields = catalogue_->titles().fields();
    const int rows = int(std::min<size_t>(p.appends.size(), kPreviewRows));
    previewTable->setRowCount(rows);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < int(std::size(kPreviewFields)); ++c)
            for (const auto& f : fields)
                if (f.name == kPreviewFields[c])
                    previewTable->setItem(r, c,
                                          new QTableWidgetItem(qs(rk::cp1252::toUtf8(
                                              rk::dbf::trimmedField(p.appends[size_t(r)], f)))));

    QString text =
        QStringLiteral("%1: %2 titles read, %3 to add, %4 duplicates (title and year) "
                       "to be %5, %6 refused.")
            .arg(QString::fromLatin1(formatName(state_->read.format)))
            .arg(p.read)
            .arg(p.appends.size())
            .arg(p.duplicatesSkipped + p.duplicatesMerged)
            .arg(chkMerge->isChecked() ? QStringLiteral("merged") : QStringLiteral("skipped"))
            .arg(p.refused.size());
    if (p.titlesCut)
        text += QStringLiteral("\nCut: %1 titles (%2).").arg(p.titlesCut).arg(byField(p.cut));
    if (p.titlesTransliterated)
        text += QStringLiteral("\nTransliterated: %1 titles (%2).")
                    .arg(p.titlesTransliterated)
                    .arg(byField(p.transliterated));
    if (p.titlesWithLeftOut)
        text += QStringLiteral("\nLeft out: %1 titles (%2).")
                    .arg(p.titlesWithLeftOut)
                    .arg(byField(p.leftOut));
    if (p.covers || p.loans)
        text += QStringLiteral("\nCovers: %1, loans: %2.").arg(p.covers).arg(p.loans);
    countsLabel->setText(text);
    butImport->setEnabled(!p.appends.empty() || !p.merges.empty());
}

void TForeignImport::butImportClick() {
    if (!state_->plan) return;
    if (!titles_->checkBrowseMode().isOk()) return; // the main window told why
    const ImportPlan& p = *state_->plan;
    auto done = applyPlan(*catalogue_, p);
    titles_->refresh();
    butImport->setEnabled(false);
    QStringList report;
    if (!done.isOk()) {
        report << QStringLiteral("The import failed; no title was added.")
               << qs(done.status().message());
    } else {
        report << QStringLiteral("Added: %1 titles.").arg(done->added);
        if (p.duplicatesMerged)
            report << QStringLiteral("Duplicates merged: %1 (%2 titles changed).")
                          .arg(p.duplicatesMerged)
                          .arg(done->merged);
        if (p.duplicatesSkipped)
            report << QStringLiteral("Duplicates skipped: %1.").arg(p.duplicatesSkipped);
        if (done->covers || done->loans)
            report << QStringLiteral("Covers: %1, loans: %2.").arg(done->covers).arg(done->loans);
        for (const auto& r : done->sideRefused)
            report << QStringLiteral("Not stored: ") + qs(r);
    }
    for (const auto& r : p.refused)
        report << QStringLiteral("Refused: ") + qs(r);
    for (const auto& n : p.notes)
        report << QStringLiteral("Note: ") + qs(n);
    reportText->setPlainText(report.join(QLatin1Char('\n')));
    reportText->show();
    state_->plan.reset();
}
