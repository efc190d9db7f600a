#include "newgrid.h"

#include "modal.h"
#include "prompt.h"
#include "settings.h"

#include <QButtonGroup>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

using namespace rk::search;

namespace {

const QString kCaption = QStringLiteral("Internet Search and Information");

std::string utf8(const QLineEdit* edit) {
    return edit->text().toStdString();
}

} // namespace

TNewGrid::TNewGrid(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("NewGrid"));
    rk::fw::helpOnF1(this, QStringLiteral("MainTopic"));
    setWindowTitle(kCaption);
    setModal(false);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setUsesScrollButtons(false); // all four tabs in view
    auto page = [this](const char* name) {
        auto* w = new QWidget(PageControl1);
        w->setObjectName(QString::fromLatin1(name));
        return w;
    };
    auto searchText = [](QWidget* on, const char* name) {
        auto* e = new QLineEdit(on);
        e->setObjectName(QString::fromLatin1(name));
        e->setMinimumWidth(240);
        return e;
    };

    // Movies
    TabSheet1 = page("TabSheet1");
    editSearch = searchText(TabSheet1, "editSearch");
    radSearchType = radioGroup(
        TabSheet1, "radSearchType", QStringLiteral("Search Type"),
        {QStringLiteral("Movies only"), QStringLiteral("Movies and TV"), QStringLiteral("TV only")},
        &searchTypes_);
    {
        auto* grid = new QGridLayout(TabSheet1);
        auto* label = new QLabel(QStringLiteral("Search for:"), TabSheet1);
        label->setBuddy(editSearch);
        grid->addWidget(label, 0, 0);
        grid->addWidget(editSearch, 0, 1);
        grid->addWidget(radSearchType, 1, 0, 1, 2);
        grid->setRowStretch(2, 1);
    }

    // Academy Awards
    TabSheet2 = page("TabSheet2");
    radOptions = radioGroup(
        TabSheet2, "radOptions", QStringLiteral("Awards Listing"),
        {QStringLiteral("by Category"), QStringLiteral("by Year"), QStringLiteral("Summary")},
        &options_);
    {
        auto* column = new QVBoxLayout(TabSheet2);
        column->addWidget(radOptions);
        column->addStretch(1);
    }

    // Other Information
    TabSheet3 = page("TabSheet3");
    radNews = radioGroup(TabSheet3, "radNews", QStringLiteral("News && Biographies"),
                         {QStringLiteral("Latest Movie News"),
                          QStringLiteral("Famous Movie Quotes"), QStringLiteral("Biographies")},
                         &news_);
    lblBiog = new QLabel(QStringLiteral("Who's Biography?"), TabSheet3);
    lblBiog->setObjectName(QStringLiteral("lblBiog"));
    editBiog = searchText(TabSheet3, "editBiog");
    lblBiog->setBuddy(editBiog);
    lblBiog->setEnabled(false);
    editBiog->setEnabled(false);
    {
        auto* grid = new QGridLayout(TabSheet3);
        grid->addWidget(radNews, 0, 0, 1, 2);
        grid->addWidget(lblBiog, 1, 0);
        grid->addWidget(editBiog, 1, 1);
        grid->setRowStretch(2, 1);
    }

    // Stars
    TabSheet4 = page("TabSheet4");
    editStarSearch = searchText(TabSheet4, "editStarSearch");
    radStarOptions = radioGroup(TabSheet4, "radStarOptions", QStringLiteral("Search Type"),
                                {QStringLiteral("Actors"), QStringLiteral("Actresses"),
                                 QStringLiteral("Directors"), QStringLiteral("Writers")},
                                &starTypes_);
    {
        auto* grid = new QGridLayout(TabSheet4);
        auto* label = new QLabel(QStringLiteral("Search for:"), TabSheet4);
        label->setBuddy(editStarSearch);
        grid->addWidget(label, 0, 0);
        grid->addWidget(editStarSearch, 0, 1);
        grid->addWidget(radStarOptions, 1, 0, 1, 2);
        grid->setRowStretch(2, 1);
    }

    PageControl1->addTab(TabSheet1, QStringLiteral("Search Net for Movies"));
    PageControl1->addTab(TabSheet2, QStringLiteral("Academy Awards"));
    PageControl1->addTab(TabSheet3, QStringLiteral("Other Information"));
    PageControl1->addTab(TabSheet4, QStringLiteral("Search for Stars"));

    BitBtn1 = new QPushButton(QStringLiteral("Go"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setToolTip(QStringLiteral("Begin"));
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(QStringLiteral("Close"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setAutoDefault(false);
    btnAddresses = new QPushButton(QStringLiteral("Addresses..."), this);
    btnAddresses->setObjectName(QStringLiteral("btnAddresses"));
    btnAddresses->setToolTip(QStringLiteral("Edit the web addresses the searches open"));
    btnAddresses->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnAddresses);
    buttons->addStretch(1);
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    auto* column = new QVBoxLayout(this);
    column->addWidget(PageControl1, 1);
    column->addLayout(buttons);

    connect(PageControl1, &QTabWidget::currentChanged, this, &TNewGrid::PageControl1Change);
    connect(searchTypes_, &QButtonGroup::idClicked, this, &TNewGrid::radSearchTypeClick);
    connect(news_, &QButtonGroup::idClicked, this, &TNewGrid::radNewsClick);
    connect(starTypes_, &QButtonGroup::idClicked, this, &TNewGrid::radStarOptionsClick);
    connect(BitBtn1, &QPushButton::clicked, this, &TNewGrid::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TNewGrid::BitBtn2Click);
    connect(btnAddresses, &QPushButton::clicked, this, &TNewGrid::btnAddressesClick);
}

QGroupBox* TNewGrid::radioGroup(QWidget* page, const char* name, const QString& caption,
                                const QStringList& items, QButtonGroup** group) {
    auto* box = new QGroupBox(caption, page);
    box->setObjectName(QString::fromLatin1(name));
    *group = new QButtonGroup(box);
    auto* column = new QVBoxLayout(box);
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], box);
        (*group)->addButton(b, i);
        column->addWidget(b);
    }
    (*group)->button(0)->setChecked(true);
    return box;
}

// --- Showing and focus

void TNewGrid::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TNewGrid::FormShow() {
    if (PageControl1->currentWidget() == TabSheet1) editSearch->setFocus();
}

void TNewGrid::PageControl1Change() {
    if (PageControl1->currentWidget() == TabSheet1) editSearch->setFocus();
    if (PageControl1->currentWidget() == TabSheet4) editStarSearch->setFocus();
}

void TNewGrid::radSearchTypeClick() {
    editSearch->setFocus();
}

void TNewGrid::radStarOptionsClick() {
    editStarSearch->setFocus();
}

void TNewGrid::radNewsClick() {
    const bool biographies =
        news_->checkedId() == int(SearchChoice::Biography) - int(SearchChoice::LatestNews);
    lblBiog->setEnabled(biographies);
    editBiog->setEnabled(biographies);
    editBiog->setFocus();
}

// --- Go and Close

void TNewGrid::BitBtn1Click() {
    const SearchAddresses table = addresses();
    QWidget* shown = PageControl1->currentWidget();
    if (shown == TabSheet1) {
        const auto address = searchAddress(
            table, SearchChoice(int(SearchChoice::MoviesOnly) + searchTypes_->checkedId()),
            utf8(editSearch));
        if (!address)
            return askFor(QStringLiteral("Please enter a Movie or TV show to search for."),
                          editSearch);
        open(*address);
    } else if (shown == TabSheet2) {
        const auto address = searchAddress(
            table, SearchChoice(int(SearchChoice::AwardsByCategory) + options_->checkedId()), {});
        if (address) open(*address);
    } else if (shown == TabSheet3) {
        const auto address =
            searchAddress(table, SearchChoice(int(SearchChoice::LatestNews) + news_->checkedId()),
                          utf8(editBiog));
        if (!address)
            return askFor(QStringLiteral("Please enter something in the \"Who's Biography\" "
                                         "field."),
                          editBiog);
        open(*address);
    } else {
        const auto address =
            searchAddress(table, SearchChoice(int(SearchChoice::Actors) + starTypes_->checkedId()),
                          utf8(editStarSearch));
        if (!address)
            return askFor(QStringLiteral("Please enter the name of the Star you wish to search "
                                         "for."),
                          editStarSearch);
        open(*address);
    }
}

void TNewGrid::BitBtn2Click() {
    close();
}

void TNewGrid::setSearchText(const QString& text) {
    editSearch->setText(text.trimmed());
    editSearch->selectAll();
}

// --- The table of addresses

QString TNewGrid::addressesFile() {
    return rk::fw::SettingsKey::profileFolder() + QStringLiteral("/WebSearch.txt");
}

SearchAddresses TNewGrid::addresses() {
    QFile file(addressesFile());
    if (!file.exists()) {
        // The built-in table, written for the user to edit; a folder that cannot be
        // written leaves the built-in addresses in use.
        QDir().mkpath(QFileInfo(file).absolutePath());
        if (file.open(QIODevice::WriteOnly))
            file.write(QByteArray::fromStdString(searchAddressesText(defaultSearchAddresses())));
        return defaultSearchAddresses();
    }
    if (!file.open(QIODevice::ReadOnly)) return defaultSearchAddresses();
    const ReadAddresses read = readSearchAddresses(file.read(1 << 20).toStdString());
    QStringList problems;
    for (const std::string& p : read.problems)
        problems << QString::fromStdString(p);
    const QString told = problems.join(QLatin1Char('\n'));
    if (!told.isEmpty() && told != problemsTold_)
        rk::fw::prompt().message(
            this,
            QStringLiteral("Some lines of %1 were not taken; their searches use the built-in "
                           "addresses.\n\n%2")
                .arg(QDir::toNativeSeparators(file.fileName()), told),
            kCaption, rk::fw::Icon::Warning, rk::fw::Buttons::Ok);
    problemsTold_ = told;
    return read.addresses;
}

void TNewGrid::btnAddressesClick() {
    (void)addresses(); // writes the file when there is none
    const QString path = addressesFile();
    if (!rk::fw::prompt().openUrl(QUrl::fromLocalFile(path)))
        rk::fw::prompt().message(this,
                                 QStringLiteral("No editor could be started for %1.")
                                     .arg(QDir::toNativeSeparators(path)),
                                 kCaption, rk::fw::Icon::Warning, rk::fw::Buttons::Ok);
}

void TNewGrid::askFor(const QString& message, QLineEdit* edit) {
    rk::fw::prompt().message(this, message, QString(), rk::fw::Icon::Information,
                             rk::fw::Buttons::Ok);
    edit->setFocus();
}

void TNewGrid::open(const std::string& address) {
    if (!isOpenableAddress(address)) return;
    const QUrl url = QUrl::fromEncoded(QByteArray::fromStdString(address), QUrl::StrictMode);
    if (!rk::fw::prompt().openUrl(url))
        rk::fw::prompt().message(
            this, QStringLiteral("No web browser could be started for %1.").arg(url.toString()),
            kCaption, rk::fw::Icon::Warning, rk::fw::Buttons::Ok);
}
