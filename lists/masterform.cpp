#include "masterform.h"

#include "datasource.h"
#include "dbpaneledit.h"
#include "modal.h"
#include "navigator.h"
#include "placement.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

TMasterForm::TMasterForm(rk::fw::Dataset* titles, QWidget* parent)
    : QDialog(parent), DataSource1(new rk::fw::DataSource(this)) {
    setObjectName(QStringLiteral("MasterForm"));
    rk::fw::helpOnF1(this, QStringLiteral("User_Lists"));
    setWindowTitle(QStringLiteral("Reelkeeper Master Editor"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    DataSource1->setDataset(titles);

    using Nav = rk::fw::DBNavigator;
    DBNavigator1 = new Nav(this);
    DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));
    DBNavigator1->setVisibleButtons({Nav::First, Nav::Prior, Nav::Next, Nav::Last, Nav::Insert,
                                     Nav::Delete, Nav::Post, Nav::Cancel, Nav::Refresh});

    MasterEdit1 = new rk::fw::TDBPanelEdit(this);
    MasterEdit1->setObjectName(QStringLiteral("MasterEdit1"));
    QFont arial(QStringLiteral("Arial"));
    arial.setPixelSize(11);
    MasterEdit1->setControlFont(arial);
    MasterEdit1->setLabelFont(arial);
    MasterEdit1->setReadOnly(false);
    MasterEdit1->setBorderWidth(2);
    MasterEdit1->setBevelInner(rk::fw::TDBPanelEdit::Bevel::Lowered);
    MasterEdit1->setBevelOuter(rk::fw::TDBPanelEdit::Bevel::None);

    BitBtn1 = new QPushButton(QStringLiteral("Close"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setAutoDefault(false);
    connect(BitBtn1, &QPushButton::clicked, this, &TMasterForm::BitBtn1Click);

    auto* top = new QHBoxLayout;
    top->addWidget(DBNavigator1);
    top->addStretch(1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(BitBtn1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(top);
    layout->addWidget(MasterEdit1, 1);
    layout->addLayout(bottom);

    resize(760, 560);
    storage_ = new rk::fw::FormStorage(this, QStringLiteral("MasterEditor"),
                                       rk::fw::FormStorage::Keep::PositionSizeState);
}

TMasterForm::~TMasterForm() {
    storage_->saveIfUnsaved();
    // The edits go before the dataset they show may.
    MasterEdit1->setDataSource(nullptr);
    DBNavigator1->bind(nullptr);
}

void TMasterForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

// Each showing binds the panel and the navigator to the main window's titles.
void TMasterForm::FormShow() {
    MasterEdit1->setDataSource(DataSource1);
    DBNavigator1->bind(DataSource1->dataset());
}

void TMasterForm::BitBtn1Click() {
    MasterEdit1->setDataSource(nullptr);
    DBNavigator1->bind(nullptr);
    QDialog::reject();
}

// Esc and the window's close box close as "Close" does.
void TMasterForm::reject() {
    BitBtn1Click();
}
