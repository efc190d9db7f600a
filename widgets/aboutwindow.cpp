#include "aboutwindow.h"

#include "creditsscroller.h"
#include "splashwindow.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace rk {

AboutWindow::AboutWindow(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About %1").arg(kProductName));

    auto* icon = new QLabel(this);
    icon->setPixmap(SplashWindow::reelPicture(72, devicePixelRatioF()));
    icon->setAlignment(Qt::AlignTop);

    auto* name = new QLabel(kProductName, this);
    name->setObjectName(QStringLiteral("productName"));
    QFont nameFont = name->font();
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.8);
    nameFont.setBold(true);
    name->setFont(nameFont);
    auto* version = new QLabel(kVersion, this);
    version->setObjectName(QStringLiteral("version"));
    QFont versionFont = version->font();
    versionFont.setPointSizeF(versionFont.pointSizeF() * 1.15);
    version->setFont(versionFont);
    auto* blurb = new QLabel(QStringLiteral("A catalogue of your home video collection."), this);
    blurb->setForegroundRole(QPalette::PlaceholderText);

    auto* titles = new QVBoxLayout;
    titles->setSpacing(2);
    titles->addWidget(name);
    titles->addWidget(version);
    titles->addSpacing(4);
    titles->addWidget(blurb);
    titles->addStretch(1);
    auto* head = new QHBoxLayout;
    head->setSpacing(14);
    head->addWidget(icon);
    head->addLayout(titles, 1);

    credits_ = new CreditsScroller(this);
    credits_->setLines(defaultCredits());
    credits_->setMinimumSize(340, 150);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 18, 18, 14);
    layout->setSpacing(14);
    layout->addLayout(head);
    layout->addWidget(credits_, 1);
    layout->addWidget(buttons);
}

QStringList AboutWindow::defaultCredits() {
    return {
        QStringLiteral("# %1 %2").arg(kProductName, kVersion),
        QStringLiteral("Keeps track of your tapes, discs and films"),
        QString(),
        QStringLiteral("# Catalogue"),
        QStringLiteral("Titles, categories and choice lists"),
        QStringLiteral("in xBase tables with their index tags"),
        QString(),
        QStringLiteral("# Search"),
        QStringLiteral("A full-text index of every title"),
        QString(),
        QStringLiteral("# Printing"),
        QStringLiteral("Reports, a report builder and cassette labels"),
        QString(),
        QStringLiteral("# Built with"),
        QStringLiteral("Qt, SQLite and the C++ standard library"),
        QString(),
        QStringLiteral("Thank you for using %1!").arg(kProductName),
    };
}

} // namespace rk
