#include "gallerywindow.h"

#include "colorpickerbutton.h"
#include "currencyedit.h"
#include "dotmatrixbanner.h"
#include "fontpickerbutton.h"
#include "gradienttoolbutton.h"
#include "hyperlinklabel.h"
#include "limitsplitter.h"
#include "litcheckbox.h"
#include "picturetabbar.h"
#include "spinbutton.h"
#include "spinedit.h"
#include "tabpictures.h"
#include "transparentpicture.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QStyle>
#include <QVBoxLayout>

GalleryWindow::GalleryWindow(QWidget* parent) : QWidget(parent) {
    setWindowTitle(QStringLiteral("Reelkeeper components"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(buildToolBar());
    layout->addWidget(buildBrowsing(), 1);
    layout->addWidget(buildControls());
    layout->addWidget(buildPickers());
    resize(1000, 700);
}

QWidget* GalleryWindow::buildToolBar() {
    auto* bar = new QWidget(this);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(3);
    const std::pair<const char*, QStyle::StandardPixmap> buttons[] = {
        {"Save", QStyle::SP_DialogSaveButton},
        {"New", QStyle::SP_FileIcon},
        {"Trash", QStyle::SP_TrashIcon},
        {"Mark", QStyle::SP_DialogApplyButton},
        {"Find", QStyle::SP_FileDialogContentsView},
        {"Print", QStyle::SP_DialogYesButton},
        {"Sort", QStyle::SP_ArrowDown},
    };
    rk::GradientToolButton* save = nullptr;
    for (const auto& [caption, icon] : buttons) {
        auto* button = new rk::GradientToolButton(QString::fromLatin1(caption), bar);
        button->setIcon(style()->standardIcon(icon));
        button->setIconSize(QSize(24, 24));
        button->setMinimumWidth(58);
        if (!save) save = button;
        if (QLatin1String(caption) == QLatin1String("Sort")) {
            auto* menu = new QMenu(button);
            menu->addAction(QStringLiteral("Title"));
            button->setMenu(menu);
            button->setPopupMode(QToolButton::InstantPopup);
        }
        row->addWidget(button);
    }
    save->setLook({QColor(0xf8, 0xfa, 0xfc), QColor(0xb6, 0xc2, 0xd2), false, true, font()});
    rk::copyLookToAll(*save, bar);

    // A second group: horizontal gradient, flat, and a toggle pair.
    row->addSpacing(16);
    const rk::GradientLook warm{QColor(0xff, 0xf7, 0xed), QColor(0xf5, 0xb0, 0x6b), false, false,
                                font()};
    auto* face = new rk::GradientToolButton(QStringLiteral("Face"), bar);
    auto* spine = new rk::GradientToolButton(QStringLiteral("Spine"), bar);
    auto* flat = new rk::GradientToolButton(QStringLiteral("Flat"), bar);
    for (auto* button : {face, spine, flat}) {
        button->setLook(warm);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setMinimumSize(58, 30);
        row->addWidget(button);
    }
    face->setGroupIndex(1);
    spine->setGroupIndex(1);
    face->setChecked(true);
    flat->setFlat(true);
    row->addStretch(1);
    return bar;
}

QWidget* GalleryWindow::buildBrowsing() {
    auto* area = new QWidget(this);
    auto* row = new QHBoxLayout(area);
    row->setContentsMargins(0, 0, 0, 0);

    auto* views = new rk::PictureTabWidget(area);
    views->setTabSize(QSize(80, 28));
    views->setPictures(rk::loadTabPictures(0, 3, devicePixelRatioF()));
    const QStringList titles = {QStringLiteral("2001: A Space Odyssey"),
                                QStringLiteral("Alien"),
                                QStringLiteral("Blade Runner"),
                                QStringLiteral("Casablanca"),
                                QStringLiteral("Chinatown"),
                                QStringLiteral("Fargo")};
    auto* splitter = new rk::LimitSplitter(Qt::Vertical);
    splitter->setTopLeftLimit(40);
    splitter->setBottomRightLimit(20);
    auto* categories = new QListWidget;
    categories->addItems({QStringLiteral("Action"), QStringLiteral("Comedy"),
                          QStringLiteral("Drama"), QStringLiteral("Science Fiction")});
    auto* categoryTitles = new QListWidget;
    categoryTitles->addItems(titles);
    splitter->addWidget(categories);
    splitter->addWidget(categoryTitles);
    splitter->setStretchFactor(1, 1);
    splitter->setFirstSize(82);
    views->addTab(splitter, QStringLiteral("Category"));
    for (const char* caption : {"View All", "Marked"}) {
        auto* list = new QListWidget;
        list->addItems(titles);
        list->setCurrentRow(1);
        views->addTab(list, QString::fromLatin1(caption));
    }
    views->setCurrentIndex(1);
    row->addWidget(views, 2);

    auto* details = new QWidget(area);
    auto* detailsColumn = new QVBoxLayout(details);
    detailsColumn->setContentsMargins(0, 0, 0, 0);
    auto* banner = new rk::DotMatrixBanner(details);
    banner->setText(QStringLiteral("   NOW SHOWING...   Alien (1979) — Ridley Scott..."));
    banner->startScrolling();
    detailsColumn->addWidget(banner);
    auto* pages = new rk::PictureTabWidget(details);
    pages->setTabSize(QSize(75, 28));
    pages->setPictures(rk::loadTabPictures(3, 4, devicePixelRatioF()));
    for (const char* caption : {"Common", "Details", "AV", "Stars"}) {
        auto* page = new QWidget;
        auto* form = new QFormLayout(page);
        form->addRow(QStringLiteral("Title:"), new QLabel(QStringLiteral("Alien")));
        form->addRow(QStringLiteral("Director(s):"), new QLabel(QStringLiteral("Ridley Scott")));
        pages->addTab(page, QString::fromLatin1(caption));
    }
    pages->setCurrentIndex(1);
    detailsColumn->addWidget(pages, 1);
    row->addWidget(details, 3);
    return area;
}

QWidget* GalleryWindow::buildControls() {
    auto* box = new QGroupBox(QStringLiteral("Controls"), this);
    auto* row = new QHBoxLayout(box);

    auto* marked = new rk::LitCheckBox(QStringLiteral("Marked"), box);
    marked->setChecked(true);
    marked->setToolTip(QStringLiteral("Lights up on Marked entries"));
    auto* unmarked = new rk::LitCheckBox(QStringLiteral("Clear"), box);
    auto* greyed = new rk::LitCheckBox(QStringLiteral("Greyed"), box);
    greyed->setEnabled(false);
    row->addWidget(marked);
    row->addWidget(unmarked);
    row->addWidget(greyed);
    row->addSpacing(20);

    // The run-time zoom: hours and minutes, two digits each, 0 to 59.
    for (const char* hint : {"Hours", "Minutes"}) {
        auto* edit = rk::SpinEdit::integer(0, 59, box);
        edit->setDigits(2);
        edit->setButtonSymbols(QAbstractSpinBox::NoButtons);
        edit->setValue(QLatin1String(hint) == QLatin1String("Hours") ? 1 : 5);
        edit->setToolTip(QString::fromLatin1(hint));
        edit->setFixedWidth(40);
        auto* spin = new rk::SpinButton(box);
        spin->setFixedHeight(edit->sizeHint().height());
        rk::attachSpinButton(spin, edit);
        row->addWidget(edit);
        row->addWidget(spin);
    }
    row->addSpacing(20);
    auto* margin = rk::SpinEdit::decimal(0.25, 6, 0.05, 2, box);
    margin->setValue(0.5);
    row->addWidget(new QLabel(QStringLiteral("Left margin:"), box));
    row->addWidget(margin);
    row->addStretch(1);
    return box;
}

QWidget* GalleryWindow::buildPickers() {
    auto* box = new QGroupBox(QStringLiteral("Pickers and links"), this);
    auto* row = new QHBoxLayout(box);

    auto* light = new rk::ColorPickerButton(QStringLiteral("Gradient Color 1"), box);
    light->setColor(QColor(0xf8, 0xfa, 0xfc));
    auto* shadow = new rk::ColorPickerButton(QStringLiteral("Gradient Color 2"), box);
    shadow->setColor(QColor(0xb6, 0xc2, 0xd2));
    auto* font = new rk::FontPickerButton(QStringLiteral("Toolbar Font..."), box);
    row->addWidget(light);
    row->addWidget(shadow);
    row->addWidget(font);
    row->addSpacing(16);

    row->addWidget(new QLabel(QStringLiteral("Price:"), box));
    auto* price = new rk::CurrencyEdit(box);
    price->setValue(1234.5);
    price->setFixedWidth(100);
    row->addWidget(price);
    row->addSpacing(16);

    row->addWidget(new rk::HyperlinkLabel(QStringLiteral("Reelkeeper98's Web site"),
                                          QUrl(QStringLiteral("https://reelkeeper.example/")),
                                          box));
    row->addSpacing(16);

    // A small label sheet: olive is the transparent colour, the group box shows through.
    QPixmap sheet(60, 40);
    sheet.fill(rk::TransparentPicture::kOlive);
    {
        QPainter p(&sheet);
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 2; ++c)
                p.fillRect(QRect(4 + c * 28, 3 + r * 12, 24, 10), Qt::white);
    }
    auto* picture = new rk::TransparentPicture(box);
    picture->setPicture(sheet);
    row->addWidget(picture);
    row->addStretch(1);
    return box;
}
