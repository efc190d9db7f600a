#include "printdiag.h"

#include "catalogue.h"
#include "dataset.h"
#include "helpviewer.h"
#include "mnemonics.h"
#include "modal.h"
#include "printersetup.h"
#include "prompt.h"
#include "reportform.h"
#include "text.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace rk::print {

namespace {

constexpr int kHelpContext = 17;

QGroupBox* radioGroup(QWidget* parent, const char* name, const QString& caption,
                      const QStringList& items, QButtonGroup** group) {
    auto* box = new QGroupBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    *group = new QButtonGroup(box);
    auto* layout = new QVBoxLayout(box);
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], box);
        (*group)->addButton(b, i);
        layout->addWidget(b);
    }
    (*group)->button(0)->setChecked(true);
    return box;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

TPrintDiag::TPrintDiag(TReportForm* report, Context context, QWidget* parent)
    : QDialog(parent), report_(report), context_(std::move(context)) {
    setObjectName(QStringLiteral("PrintDiag"));
    rk::fw::keepMnemonics(this); // every shown caption gets a letter of its own
    rk::fw::helpOnF1(this, QStringLiteral("Printing"));
    setWindowTitle(QStringLiteral("Print Reports"));
    setModal(true);

    auto* titleOptions = new QGroupBox(QStringLiteral("Page Title Options"), this);
    Edit1 = new QLineEdit(QStringLiteral("Reelkeeper98 Report"), titleOptions);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    // "&&" shows one ampersand, as in the radio button captions.
    auto* dateTime = new QGroupBox(QStringLiteral("Date && Time"), titleOptions);
    Radio1 = new QRadioButton(QStringLiteral("Include Date"), dateTime);
    Radio1->setObjectName(QStringLiteral("Radio1"));
    Radio2 = new QRadioButton(QStringLiteral("Include Date && Time"), dateTime);
    Radio2->setObjectName(QStringLiteral("Radio2"));
    Radio3 = new QRadioButton(QStringLiteral("No Date or Time"), dateTime);
    Radio3->setObjectName(QStringLiteral("Radio3"));
    Radio1->setChecked(true);
    auto* dateLayout = new QVBoxLayout(dateTime);
    dateLayout->addWidget(Radio1);
    dateLayout->addWidget(Radio2);
    dateLayout->addWidget(Radio3);
    auto* titleLayout = new QGridLayout(titleOptions);
    auto* titleLabel = new QLabel(QStringLiteral("Report Title:"), titleOptions);
    titleLabel->setBuddy(Edit1);
    titleLayout->addWidget(titleLabel, 0, 0);
    titleLayout->addWidget(Edit1, 0, 1);
    titleLayout->addWidget(dateTime, 1, 0, 1, 2);

    PrintGroup = radioGroup(this, "PrintGroup", QStringLiteral("Print Item(s)"),
                            {QStringLiteral("Selected Title"), QStringLiteral("Selected Category"),
                             QStringLiteral("Marked Entries"), QStringLiteral("All Entries")},
                            &printItems_);
    BorderGroup = radioGroup(this, "BorderGroup", QStringLiteral("Border Options"),
                             {QStringLiteral("Use Border to separate Entries"),
                              QStringLiteral("Use Box to separate Entries"),
                              QStringLiteral("Don't use Separator")},
                             &borderItems_);

    BitBtn4 = button(this, "BitBtn4", QStringLiteral("Help"));
    BitBtn5 = button(this, "BitBtn5", QStringLiteral("Print Setup"));
    BitBtn3 = button(this, "BitBtn3", QStringLiteral("Preview"));
    BitBtn1 = button(this, "BitBtn1", QStringLiteral("Print"));
    BitBtn2 = button(this, "BitBtn2", QStringLiteral("Cancel"));
    butSavePdf = button(this, "butSavePdf", QStringLiteral("Save as PDF..."));
    BitBtn6 = button(this, "BitBtn6", QStringLiteral("Build Custom Report..."));
    BitBtn1->setDefault(true);

    auto* choices = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(titleOptions);
    left->addWidget(BorderGroup);
    chkCovers = new QCheckBox(QStringLiteral("Include covers"), this);
    chkCovers->setObjectName(QStringLiteral("chkCovers"));
    left->addWidget(chkCovers);
    choices->addLayout(left);
    auto* right = new QVBoxLayout;
    right->addWidget(PrintGroup);
    right->addWidget(BitBtn6);
    right->addStretch(1);
    choices->addLayout(right);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {BitBtn4, BitBtn5, BitBtn3, BitBtn1, butSavePdf, BitBtn2})
        buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addLayout(buttons);

    connect(BitBtn3, &QPushButton::clicked, this, [this] { BitBtn3Click(BitBtn3); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn3Click(BitBtn1); });
    connect(butSavePdf, &QPushButton::clicked, this, [this] { BitBtn3Click(butSavePdf); });
    connect(BitBtn5, &QPushButton::clicked, this, &TPrintDiag::BitBtn5Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TPrintDiag::BitBtn2Click);
    connect(BitBtn4, &QPushButton::clicked, this, &TPrintDiag::BitBtn4Click);
    connect(BitBtn6, &QPushButton::clicked, this, &TPrintDiag::BitBtn6Click);
}

int TPrintDiag::printItem() const {
    return printItems_->checkedId();
}
void TPrintDiag::setPrintItem(int index) {
    if (QAbstractButton* b = printItems_->button(index)) b->setChecked(true);
}
int TPrintDiag::borderItem() const {
    return borderItems_->checkedId();
}

int TPrintDiag::execute() {
    appliedItem_ = -1;
    return fw::execModal(this);
}

void TPrintDiag::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TPrintDiag::FormShow() {
    if (!context_.dataFolder.isEmpty()) QDir::setCurrent(context_.dataFolder);
}

bool TPrintDiag::applyScope() {
    fw::Dataset* titles = context_.titles;
    QLabel* request = report_->QRLabel1;
    switch (printItem()) {
    case 0: // Selected Title: the titles of exactly that text
        if (!titles->setQuery(catalogue::exactQuery("TITLE", fw::toCp1252(titles->text("TITLE"))))
                 .isOk())
            return false;
        request->setText(requestLabel(PrintScope::SelectedTitle));
        return true;
    case 1: { // Selected Category: exactly the current title's category
        const std::string category = fw::toCp1252(titles->text("CATEGORY").trimmed());
        if (category.empty()) {
            // An empty name would select every title: it is said instead.
            fw::prompt().message(this,
                                 QStringLiteral("The current title has no category, so there is "
                                                "no category to print."),
                                 QStringLiteral("Print"), fw::Icon::Information, fw::Buttons::Ok);
            return false;
        }
        if (!titles->setQuery(catalogue::exactQuery("CATEGORY", category)).isOk()) return false;
        request->setText(requestLabel(PrintScope::SelectedCategory));
        return true;
    }
    case 2: { // Marked Entries
        const std::string before = titles->table()->queryText();
        if (!titles->setQuery("Marked").isOk()) return false;
        if (titles->table()->queryRecCount() == 0) {
            // Nothing is printed, so the view the user had comes back.
            rk::ignore(titles->setQuery(before), "the view before stays shown if it fails");
            fw::prompt().message(this, QStringLiteral("There are no Marked entries to print!"),
                                 QStringLiteral("Print"), fw::Icon::Error, fw::Buttons::Ok);
            return false;
        }
        request->setText(requestLabel(PrintScope::MarkedEntries));
        return true;
    }
    default: // All Entries
        if (!titles->setQuery(std::string()).isOk()) return false;
        request->setText(requestLabel(PrintScope::AllEntries));
        return true;
    }
}

void TPrintDiag::BitBtn3Click(QObject* sender) {
    if (!context_.titles) return;
    report_->QRLabel4->setText(Edit1->text());
    report_->QRDateTime->setHidden(false);
    if (context_.userCaptions) {
        const std::array<QString, 4> names = context_.userCaptions();
        report_->UserLab1->setText(names[0]);
        report_->UserLab2->setText(names[1]);
        report_->UserLab3->setText(names[2]);
        report_->UserLab4->setText(names[3]);
    }
    if (Radio1->isChecked()) report_->setDateKind(ReportDateOption::Date);
    if (Radio2->isChecked()) report_->setDateKind(ReportDateOption::DateAndTime);
    if (Radio3->isChecked()) report_->QRDateTime->setHidden(true);
    if (!applyScope()) return;
    appliedItem_ = printItem();
    report_->setFrame(borderItem() == 1   ? ReportBorderOption::Box
                      : borderItem() == 2 ? ReportBorderOption::None
                                          : ReportBorderOption::Border);
    report_->setIncludeCovers(chkCovers->isChecked());

    // The report walks the titles; the main window's current title stays current.
    fw::Dataset* titles = context_.titles;
    const uint32_t current = titles->recNo();
    if (sender && sender->objectName() == QLatin1String("BitBtn3"))
        report_->previewReport(*titles->table(), context_.dataFolder);
    else if (sender && sender->objectName() == QLatin1String("BitBtn1"))
        report_->printReport(*titles->table());
    else if (sender && sender->objectName() == QLatin1String("butSavePdf"))
        report_->saveReportAsPdf(*titles->table(), context_.dataFolder);
    if (current == 0 || !titles->goTo(current).isOk()) titles->refresh();
    accept();
}

void TPrintDiag::BitBtn5Click() {
    PrinterSetup::shared().runSetup(this);
}

void TPrintDiag::BitBtn2Click() {
    reject();
}

void TPrintDiag::BitBtn4Click() {
    fw::prompt().showHelp(this, fw::helpTopicForContext(kHelpContext));
}

void TPrintDiag::BitBtn6Click() {
    if (context_.buildCustomReport) context_.buildCustomReport();
}

} // namespace rk::print
