#include "navform.h"

#include "form1.h"
#include "inifile.h"
#include "placement.h"
#include "settings.h"

#include <QAction>
#include <QCloseEvent>
#include <QVBoxLayout>

namespace {
const QString kSection = QStringLiteral("NavPosition");
}

QString TNavForm::profilePath() {
    return rk::fw::SettingsKey::profileFolder() + QStringLiteral("/RKeeper.ini");
}

TNavForm::TNavForm(TForm1* form1)
    // A tool window of the main window: in front of it, not of other programs' windows.
    : QWidget(form1, Qt::Tool), form1_(form1) {
    setObjectName(QStringLiteral("NavForm"));
    setWindowTitle(QStringLiteral("Navigator"));
    setAttribute(Qt::WA_ShowWithoutActivating); // showing it never takes the main window's turn
    DBNavigator1 = new rk::fw::DBNavigator(this);
    DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));
    DBNavigator1->setVisibleButtons({rk::fw::DBNavigator::First, rk::fw::DBNavigator::Prior,
                                     rk::fw::DBNavigator::Next, rk::fw::DBNavigator::Last,
                                     rk::fw::DBNavigator::Post, rk::fw::DBNavigator::Cancel});
    DBNavigator1->bind(form1->titlesData());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(DBNavigator1);
    setMinimumWidth(rk::fw::captionWidth(windowTitle())); // a title bar that shows "Navigator"
    storage_ = new rk::fw::FormStorage(this, QStringLiteral("NavPlacement"),
                                       rk::fw::FormStorage::Keep::Position);
    FormCreate();
}

TNavForm::~TNavForm() {
    storage_->saveIfUnsaved();
}

void TNavForm::FormCreate() {
    const rk::fw::IniFile ini(profilePath());
    auto number = [&](const QString& name, int def) {
        const auto v = ini.value(kSection, name);
        return v ? rk::fw::parseSettingNumber(*v).value_or(def) : def;
    };
    move(number(QStringLiteral("Left"), 323), number(QStringLiteral("Top"), 414));
    adjustSize();
}

void TNavForm::FormClose() {
    rk::fw::IniFile ini(profilePath());
    ini.setValue(kSection, QStringLiteral("Left"), QString::number(pos().x()));
    ini.setValue(kSection, QStringLiteral("Top"), QString::number(pos().y()));
    ini.save();
}

void TNavForm::closeEvent(QCloseEvent* event) {
    FormClose();
    // Closed by its own close box (the menu and the main window only show and hide it): the
    // View menu's check mark follows.
    form1_->navigatorClosed();
    QWidget::closeEvent(event);
}
