// The title lists with columns: the columns the user chose (View, "List Columns", or the
// header's context menu), kept in the settings; a click on a column's header orders the titles
// by the tag that orders that column, through the same handler as its View, Sort item. With
// the title alone the single-column lists show, as they always have.
#include "form1.h"

#include "columnlist.h"
#include "datacontrols.h"
#include "settings.h"

#include <QAction>
#include <QBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QTimer>

namespace {

const QString kSection = QStringLiteral("TitleList");
const QString kValue = QStringLiteral("Columns");

// The columns a title list can show. A column's order is its tag, chosen as its Sort item
// chooses it; a column without a tag says so when its header is clicked. A column of data kept
// beside the titles (a title's loan) gives RecordColumn::text in place of a field.
struct TitleColumn {
    const char* key; // as the settings keep it
    const char* caption;
    const char* field;
    const char* tag;
    int width;
};
constexpr TitleColumn kColumns[] = {
    {"TITLE", "Title", "TITLE", "TITIT", 190},
    {"YEAR", "Year", "YEAR", "YR", 46},
    {"FORMAT", "Format", "FORMAT", "FRMT", 80},
    {"CATEGORY", "Category", "CATEGORY", "CATEGORY", 110},
    {"RATING", "Rating", "RATING", "RAT", 80},
    {"RATED", "Rated", "RATED", "RATD", 60},
    {"DIRECTOR", "Director", "DIRECTOR", "DIRECT", 130},
    {"PRICE", "Price", "PRICE", nullptr, 60},
};

const TitleColumn* columnByCaption(const QString& caption) {
    for (const TitleColumn& c : kColumns)
        if (caption == QLatin1String(c.caption)) return &c;
    return nullptr;
}

} // namespace

void TForm1::buildTitleColumns() {
    columnModel_ = new rk::fw::RecordColumnModel(titleModel_, this);
    ColumnsMenu = new QMenu(QStringLiteral("List &Columns"), View1);
    ColumnsMenu->setObjectName(QStringLiteral("ColumnsMenu"));
    const int sortAt = int(View1->actions().indexOf(SortMenu->menuAction()));
    View1->insertMenu(View1->actions().value(sortAt + 1), ColumnsMenu);
    for (const TitleColumn& c : kColumns) {
        QAction* a = ColumnsMenu->addAction(QString::fromLatin1(c.caption));
        a->setObjectName(QStringLiteral("Column") + QLatin1String(c.key));
        a->setCheckable(true);
        if (c.key == std::string_view("TITLE")) {
            a->setChecked(true);
            a->setEnabled(false); // every list shows the title
            continue;
        }
        connect(a, &QAction::toggled, this, [this, key = QString::fromLatin1(c.key)](bool on) {
            QStringList keys = shownColumns_;
            keys.removeAll(key);
            if (on) keys << key;
            showTitleColumns(keys);
            rk::fw::SettingsKey().writeString(kSection, kValue,
                                              shownColumns_.join(QLatin1Char(',')));
        });
    }

    // Each single-column list gets a column list beside it, in the same place of its page.
    for (rk::fw::DBLookupList* single : {DBLookupListBox2, DBLookupListBox3, DBLookupListBox4}) {
        auto* list = new rk::fw::DBColumnList(single->parentWidget());
        list->setObjectName(single->objectName().replace(QStringLiteral("DBLookupListBox"),
                                                         QStringLiteral("ColumnList")));
        list->setAccessibleName(single->accessibleName());
        auto* layout = qobject_cast<QBoxLayout*>(single->parentWidget()->layout());
        const int at = layout->indexOf(single);
        layout->insertWidget(at + 1, list, layout->stretch(at));
        list->bind(columnModel_);
        list->hide();
        connect(list, &rk::fw::DBColumnList::headerClicked, this, &TForm1::columnHeaderClicked);
        connect(list->header(), &QWidget::customContextMenuRequested, this,
                [this, list](const QPoint& pos) {
                    ColumnsMenu->popup(list->header()->mapToGlobal(pos));
                });
        columnLists_ << list;
    }
    // On the category page a double click marks, as it does in the single-column list.
    connect(columnLists_[1], &QAbstractItemView::doubleClicked, this, &TForm1::MarkButClick);
    // The header shows which column the titles' order follows, whatever chose it.
    connect(columnModel_, &QAbstractItemModel::modelReset, this, &TForm1::showSortColumn);

    const QString stored = rk::fw::SettingsKey().readString(kSection, kValue, QString());
    showTitleColumns(stored.split(QLatin1Char(','), Qt::SkipEmptyParts));
}

void TForm1::showTitleColumns(const QStringList& keys) {
    std::vector<rk::fw::RecordColumn> columns;
    QStringList shown;
    for (const TitleColumn& c : kColumns) {
        const QString key = QString::fromLatin1(c.key);
        const bool on = key == QLatin1String("TITLE") || keys.contains(key);
        if (QAction* a = ColumnsMenu->findChild<QAction*>(QStringLiteral("Column") + key)) {
            const QSignalBlocker quiet(a);
            a->setChecked(on);
        }
        if (!on) continue;
        columns.push_back({QString::fromLatin1(c.caption), c.field, {}, c.width});
        shown << key;
    }
    shownColumns_ = shown;
    columnModel_->setColumns(std::move(columns));
    const bool many = shown.size() > 1;
    rk::fw::DBLookupList* singles[] = {DBLookupListBox2, DBLookupListBox3, DBLookupListBox4};
    for (int i = 0; i < columnLists_.size(); ++i) {
        singles[i]->setVisible(!many);
        columnLists_[i]->setVisible(many);
        columnLists_[i]->sizeColumns();
        columnLists_[i]->followDataset();
    }
}

// A header click orders the titles by its column's tag, as the View, Sort item of that tag.
void TForm1::columnHeaderClicked(int column) {
    const TitleColumn* c =
        columnByCaption(columnModel_->headerData(column, Qt::Horizontal).toString());
    QAction* sortItem = nullptr;
    if (c && c->tag && titles().tagArea(c->tag) > 0) {
        const std::pair<const char*, QAction*> items[] = {
            {"TITIT", Title2},     {"CATEGORY", Category3}, {"DIRECT", Director1},
            {"IDS", ID},           {"YR", Year1},           {"FRMT", Format1},
            {"RAT", Rating},       {"RATD", RatedPG13etc1}, {"CONT", Content1},
            {"MULTI", MultiSets1}, {"USE1", User11},        {"USE2", User21},
        };
        for (const auto& [tag, item] : items)
            if (std::string_view(tag) == c->tag) sortItem = item;
    }
    if (sortItem) {
        sortItem->trigger();
    } else {
        const QString said =
            QStringLiteral("No index orders the %1 column: the titles keep their order.")
                .arg(c ? QString::fromLatin1(c->caption) : QString());
        setStatusPanelText(1, said);
        QTimer::singleShot(5000, this, [this, said] {
            if (statusPanelText(1) == said) setStatusPanelText(1, QStringLiteral("Ready..."));
        });
    }
    showSortColumn();
}

void TForm1::showSortColumn() {
    int sorted = -1;
    const int order = titles().indexOrd();
    for (size_t i = 0; order > 0 && i < columnModel_->columns().size(); ++i) {
        const TitleColumn* c = columnByCaption(columnModel_->columns()[i].caption);
        if (c && c->tag && titles().tagArea(c->tag) == order) sorted = int(i);
    }
    for (rk::fw::DBColumnList* list : columnLists_)
        list->header()->setSortIndicator(sorted, Qt::AscendingOrder);
}
