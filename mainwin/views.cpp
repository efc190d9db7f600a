// Views, tabs and sort orders: which titles the window shows and in what order, the
// detail page shown, the title banner, the navigator window and the tool tips switch.
#include "form1.h"

#include "appwindows.h"
#include "datacontrols.h"
#include "dotmatrixbanner.h"
#include "navform.h"
#include "picturetabbar.h"

#include <QAction>
#include <QMenu>

#include <vector>

namespace {
const QString kMarkedQuery = QStringLiteral("MARKED");
}

void TForm1::showCount(const QString& caption) {
    nameSet(caption, caption == QLatin1String("Marked Entries: ") ? QStringLiteral("Marked Entries")
                                                                  : QStringLiteral("All Entries"));
}

// The view page changed: apply its view.
void TForm1::ExtPageControl1Change() {
    if (!ready_) return;
    QWidget* page = ExtPageControl1->currentWidget();
    if (page == TabSheet9) {
        // A changed title that cannot be posted is told through postFailed; the view stays.
        if (!Table1->setQuery(kMarkedQuery.toStdString()).isOk()) return;
        showCount(QStringLiteral("Marked Entries: "));
    } else if (page == TabSheet8) {
        if (!Table1->setQuery(std::string()).isOk()) return;
        showCount(QStringLiteral("Total Entries: "));
    } else {
        // The category page keeps the last query until a category is picked.
        DBLookupListBox1->setFocus();
    }
}

// Setting a page that is already active changes nothing, so a view is applied again only
// after another page was shown.
void TForm1::Category2Click() {
    ExtPageControl1->setCurrentWidget(TabSheet7);
}
void TForm1::ViewAll1Click() {
    ExtPageControl1->setCurrentWidget(TabSheet8);
}
void TForm1::Marked1Click() {
    ExtPageControl1->setCurrentWidget(TabSheet9);
}

void TForm1::Common1Click() {
    PageControl2->setCurrentWidget(TabSheet4);
}
void TForm1::Details1Click() {
    PageControl2->setCurrentWidget(TabSheet5);
}
void TForm1::Other1Click() {
    PageControl2->setCurrentWidget(TabSheet6);
}
void TForm1::Stars1Click() {
    PageControl2->setCurrentWidget(TabSheet1);
}

// The detail page changed: the banner shows over every page but Common.
void TForm1::PageControl2Change() {
    if (PageControl2->currentWidget() == TabSheet4) {
        BannerLab->stopScrolling();
        BannerLab->hide();
        return;
    }
    BannerLab->startScrolling();
    BannerLab->setText(QStringLiteral("   NOW SHOWING...   ") + DBEdit1->text() +
                       QStringLiteral("..."));
    placeBanner();
    BannerLab->show();
}

// Any change of the current title or one of its fields: the banner names the current
// title, whether it shows or not.
void TForm1::DataSource1DataChange() {
    BannerLab->setText(QStringLiteral("   NOW SHOWING...   ") + DBEdit1->text() +
                       QStringLiteral("..."));
}

// --- Sort orders: each looks the tag up by name; a tag the index lacks gives order 0,
// record order. The order is kept when the view changes and is not stored.

void TForm1::connectSortMarks() {
    const std::pair<QAction*, const char*> orders[] = {
        {Title2, "TITIT"},     {Category3, "CATEGORY"}, {Director1, "DIRECT"},
        {ID, "IDS"},           {Year1, "YR"},           {Format1, "FRMT"},
        {Rating, "RAT"},       {RatedPG13etc1, "RATD"}, {Content1, "CONT"},
        {MultiSets1, "MULTI"}, {User11, "USE1"},        {User21, "USE2"},
        {NaturalOrder1, ""},
    };
    std::vector<std::pair<QList<QAction*>, std::string>> marks;
    for (const auto& [twin, tag] : orders) {
        QList<QAction*> both{twin};
        if (auto* item = SortMenu->findChild<QAction*>(QStringLiteral("Sort") + twin->objectName()))
            both << item;
        for (QAction* a : both)
            a->setCheckable(true);
        marks.push_back({both, tag});
    }
    auto tick = [this, marks] {
        const std::string order = titles().orderName();
        for (const auto& [actions, tag] : marks)
            for (QAction* a : actions)
                a->setChecked(tag == order);
    };
    connect(SortMenu, &QMenu::aboutToShow, this, tick);
    connect(PopupMenu3, &QMenu::aboutToShow, this, tick);
}

void TForm1::applySortTag(const char* tag) {
    const int order = tag ? titles().tagArea(tag) : 0;
    rk::ignore(Table1->setOrder(order),
               "a failed post is told through postFailed; the order stays");
}

void TForm1::Title2Click() {
    applySortTag("TITIT");
}
void TForm1::Category3Click() {
    applySortTag("CATEGORY");
}
void TForm1::Director1Click() {
    applySortTag("DIRECT");
}
void TForm1::IDClick() {
    applySortTag("IDS");
}
void TForm1::Year1Click() {
    applySortTag("YR");
}
void TForm1::Format1Click() {
    applySortTag("FRMT");
}
void TForm1::RatingClick() {
    applySortTag("RAT");
}
void TForm1::RatedPG13etc1Click() {
    applySortTag("RATD");
}
void TForm1::Content1Click() {
    applySortTag("CONT");
}
void TForm1::MultiSets1Click() {
    applySortTag("MULTI");
}
void TForm1::User11Click() {
    applySortTag("USE1");
}
void TForm1::User21Click() {
    applySortTag("USE2");
}
void TForm1::NaturalOrder1Click() {
    applySortTag(nullptr);
}

// --- Navigator and tool tips

void TForm1::Navigator1Click() {
    TNavForm* nav = appWindows().navForm;
    if (!nav) return;
    // The menu item has flipped its check mark already; the window follows it.
    nav->setVisible(Navigator1->isChecked());
}

void TForm1::navigatorClosed() {
    Navigator1->setChecked(false);
}

void TForm1::ToolTips1Click() {
    setHintsShown(ToolTips1->isChecked());
}

void TForm1::setHintsShown(bool on) {
    hintsShown_ = on;
    ToolTips1->setChecked(on);
}
