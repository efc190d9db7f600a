#include "modcats.h"

#include "catalogue.h"
#include "datacontrols.h"
#include "helpviewer.h"
#include "mnemonics.h"
#include "modal.h"
#include "prompt.h"
#include "recordlistmodel.h"
#include "settings.h"
#include "text.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

const QString kCaption = QStringLiteral("User-Defined Settings");
constexpr int kMaxDefaultFormat = 255;

QStringList items(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

// Removes the selected item of a list; nothing when none is selected.
void removeSelected(QListWidget* list) {
    const QList<QListWidgetItem*> selected = list->selectedItems();
    if (!selected.isEmpty()) delete list->takeItem(list->row(selected.first()));
}

} // namespace

TModCats::TModCats(ListsHost host, QWidget* parent) : QDialog(parent), host_(std::move(host)) {
    setObjectName(QStringLiteral("ModCats"));
    rk::fw::keepMnemonics(this); // every shown caption gets a letter of its own
    setWindowTitle(kCaption);
    buildControls();
    FormCreate();
}

void TModCats::buildControls() {
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));

    auto button = [this](const char* name, const QString& caption, void (TModCats::*handler)()) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };
    // A page: a list with its heading on the left, its buttons on the right.
    auto page = [this](const char* name, const QString& title, const QString& heading,
                       QWidget* list, std::initializer_list<QWidget*> buttons) {
        auto* p = new QWidget;
        p->setObjectName(QString::fromLatin1(name));
        auto* grid = new QGridLayout(p);
        auto* label = new QLabel(heading, p);
        label->setBuddy(list);
        grid->addWidget(label, 0, 0);
        grid->addWidget(list, 1, 0, 3, 1);
        int row = 1;
        for (QWidget* b : buttons)
            grid->addWidget(b, row++, 1);
        grid->setRowStretch(3, 1);
        grid->setColumnStretch(0, 1);
        PageControl1->addTab(p, title);
        return grid;
    };

    DBLookupListBox1 = new rk::fw::DBLookupList;
    DBLookupListBox1->setObjectName(QStringLiteral("DBLookupListBox1"));
    if (host_.categories) {
        categoryModel_ = new rk::fw::RecordListModel(host_.categories, "CATEGORY", this);
        DBLookupListBox1->bind(categoryModel_);
    }
    Button1 = button("Button1", QStringLiteral("Add New Category"), &TModCats::Button1Click);
    Button2 = button("Button2", QStringLiteral("Delete Category"), &TModCats::Button2Click);
    page("TabSheet1", QStringLiteral("Categories"), QStringLiteral("Current Categories"),
         DBLookupListBox1, {Button1, Button2});

    ListBox1 = new QListWidget;
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    Button3 = button("Button3", QStringLiteral("Add New Rating"), &TModCats::Button3Click);
    Button4 = button("Button4", QStringLiteral("Delete Rating"), &TModCats::Button4Click);
    page("TabSheet2", QStringLiteral("Ratings"), QStringLiteral("Current Ratings"), ListBox1,
         {Button3, Button4});

    ListBox2 = new QListWidget;
    ListBox2->setObjectName(QStringLiteral("ListBox2"));
    Button5 = button("Button5", QStringLiteral("Add New Format"), &TModCats::Button5Click);
    Button6 = button("Button6", QStringLiteral("Delete Format"), &TModCats::Button6Click);
    ComboBox1 = new QComboBox;
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    auto* formats = page("TabSheet3", QStringLiteral("Media Formats"),
                         QStringLiteral("Current Media Formats"), ListBox2, {Button5, Button6});
    auto* defaultLabel = new QLabel(QStringLiteral("Default Format"));
    defaultLabel->setBuddy(ComboBox1);
    formats->addWidget(defaultLabel, 4, 0);
    formats->addWidget(ComboBox1, 5, 0);

    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(QStringLiteral("Cancel"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn3 = new QPushButton(QStringLiteral("Help"), this);
    BitBtn3->setObjectName(QStringLiteral("BitBtn3"));
    BitBtn3->setAutoDefault(false);
    connect(BitBtn1, &QPushButton::clicked, this, &TModCats::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(BitBtn3, &QPushButton::clicked, this, &TModCats::BitBtn3Click);
    rk::fw::helpOnF1(this, 130);
    rk::fw::layOutDialog(this, PageControl1, {BitBtn1, BitBtn2, BitBtn3});
    resize(440, 340);
}

QStringList TModCats::ratings() const {
    return items(ListBox1);
}

QStringList TModCats::formats() const {
    return items(ListBox2);
}

QStringList TModCats::loadList(const char* file, const std::vector<std::string>& builtin) const {
    const std::string path = rk::findFileNoCase(host_.dataFolder.toStdString(), file);
    const auto list = rk::catalogue::readChoiceList(path, builtin);
    QStringList out;
    for (const std::string& entry : list.isOk() ? list.value() : builtin)
        out << rk::fw::fromCp1252(entry);
    return out;
}

bool TModCats::saveList(const char* file, const QStringList& list) {
    std::vector<std::string> entries;
    entries.reserve(size_t(list.size()));
    for (const QString& item : list)
        entries.push_back(rk::fw::toCp1252(item));
    const std::string path = rk::findFileNoCase(host_.dataFolder.toStdString(), file);
    const rk::Status saved = rk::catalogue::writeChoiceList(path, entries);
    if (saved.isOk()) return true;
    rk::fw::showStatus(this,
                       QStringLiteral("%1 could not be saved. Your lists stay in this window; OK "
                                      "saves them again.")
                           .arg(QString::fromLatin1(file)),
                       saved, kCaption);
    return false;
}

// --- Creation

void TModCats::FormCreate() {
    // 1.
    {
        rk::fw::SettingsKey key;
        ComboBox1->setEditText(key.readString(
            QStringLiteral("Settings"), QStringLiteral("DefaultFormat"), QStringLiteral("VHS")));
    }
    // 2. and 3.
    ListBox1->clear();
    ListBox1->addItems(loadList(rk::catalogue::kRatingsFile, rk::catalogue::builtinRatings()));
    ListBox2->clear();
    ListBox2->addItems(loadList(rk::catalogue::kFormatsFile, rk::catalogue::builtinFormats()));
    // 4.
    copyFormatsToDefaultList();
    if (host_.defaultFormat) ComboBox1->setEditText(host_.defaultFormat());
    connect(ComboBox1, &QComboBox::editTextChanged, this, &TModCats::ComboBox1Change);
}

// The default-format list offers the formats; the text stays as it is.
void TModCats::copyFormatsToDefaultList() {
    const QString text = ComboBox1->currentText();
    const QSignalBlocker quiet(ComboBox1);
    ComboBox1->clear();
    ComboBox1->addItems(formats());
    ComboBox1->setEditText(text);
}

// --- Categories: changed in the table at once

void TModCats::Button1Click() {
    const std::optional<QString> name =
        rk::fw::prompt().inputText(this, QStringLiteral("Add New Category"),
                                   QStringLiteral("Enter the New Category Name"), QString());
    if (!name || name->isEmpty()) {
        rk::fw::prompt().message(this, QStringLiteral("New Category Cancelled!"), QString(),
                                 rk::fw::Icon::None, rk::fw::Buttons::Ok);
        return;
    }
    rk::fw::Dataset* cats = host_.categories;
    // Taken as typed: not trimmed, and a name already in the list is added again.
    rk::Status added = cats->insert();
    if (added.isOk()) {
        rk::ignore(cats->setText("CATEGORY", *name),
                   "kept in the buffer: a value the field cannot take fails the post");
        added = cats->post();
    }
    if (!added.isOk()) {
        cats->cancel();
        rk::fw::showStatus(this, QStringLiteral("The category could not be added."), added,
                           kCaption);
    }
}

void TModCats::Button2Click() {
    rk::fw::Dataset* cats = host_.categories;
    if (!rk::fw::confirm(this, QStringLiteral("Delete the ") + cats->text("CATEGORY") +
                                   QStringLiteral(" Category?")))
        return;
    // The titles keep the name: they stay in the other views.
    if (const rk::Status deleted = cats->deleteCurrent(); !deleted.isOk()) {
        rk::fw::showStatus(this, QStringLiteral("The category could not be deleted."), deleted,
                           kCaption);
        return;
    }
    if (!host_.reopenCategories) return;
    if (const rk::Status reopened = host_.reopenCategories(); !reopened.isOk())
        rk::fw::showStatus(this,
                           QStringLiteral("The categories could not be opened again. Restart "
                                          "Reelkeeper to see them."),
                           reopened, kCaption);
}

// --- Ratings and formats: lists of the dialog until OK

void TModCats::Button3Click() {
    const std::optional<QString> rating = rk::fw::prompt().inputText(
        this, QStringLiteral("Add New Rating"), QStringLiteral("Enter the New Rating"), QString());
    if (rating && !rating->isEmpty()) ListBox1->addItem(*rating);
}

void TModCats::Button4Click() {
    if (rk::fw::confirm(this, QStringLiteral("Delete the selected Rating?")))
        removeSelected(ListBox1);
}

void TModCats::Button5Click() {
    const std::optional<QString> format = rk::fw::prompt().inputText(
        this, QStringLiteral("Add New Format"), QStringLiteral("Enter the New Format"), QString());
    if (format && !format->isEmpty()) ListBox2->addItem(*format);
    copyFormatsToDefaultList();
}

// The default-format list keeps offering a deleted format until a format is added.
void TModCats::Button6Click() {
    if (rk::fw::confirm(this, QStringLiteral("Delete the selected Format?")))
        removeSelected(ListBox2);
}

void TModCats::ComboBox1Change(const QString& text) {
    if (host_.setDefaultFormat) host_.setDefaultFormat(text.left(kMaxDefaultFormat));
}

// --- OK and Help

void TModCats::BitBtn1Click() {
    // 1. and 2. Each file is replaced whole or not at all; a failure keeps the dialog open.
    if (!saveList(rk::catalogue::kRatingsFile, ratings())) return;
    if (!saveList(rk::catalogue::kFormatsFile, formats())) return;
    // 3.
    if (host_.setChoiceLists) host_.setChoiceLists(formats(), ratings());
    // 4.
    {
        rk::fw::SettingsKey key;
        key.writeString(QStringLiteral("Settings"), QStringLiteral("DefaultFormat"),
                        ComboBox1->currentText());
    }
    // 5.
    accept();
}

void TModCats::BitBtn3Click() {
    rk::fw::prompt().showHelp(this, rk::fw::helpTopicForContext(14));
}
