#include "helpviewer.h"

#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPointer>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>

namespace rk::fw {

namespace {
const QString kMain = QStringLiteral("MainTopic");

// Gives the help the keyboard once its window, still being shown, has been activated (a
// window manager activates a window it maps, after the help that the window's showing
// opened).
class ActivateAfter : public QObject {
public:
    ActivateAfter(QWidget* owner, QWidget* help) : QObject(help), owner_(owner), help_(help) {
        setObjectName(QStringLiteral("ActivateAfter"));
        owner->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == owner_ && event->type() == QEvent::WindowActivate) {
            owner_->removeEventFilter(this);
            if (help_->isVisible()) {
                help_->raise();
                help_->activateWindow();
            }
            deleteLater();
        }
        return false;
    }

private:
    QWidget* owner_;
    QWidget* help_;
};
} // namespace

QString helpTopicForContext(int context) {
    switch (context) {
    case 14:
    case 130:
        return QStringLiteral("User_Lists");
    case 15:
    case 160:
        return QStringLiteral("Preferences");
    case 17:
        return QStringLiteral("Printing");
    case 22:
        return QStringLiteral("Custom_Reports");
    default:
        return kMain;
    }
}

QString helpPagePath(const QString& topic) {
    const QString path = QStringLiteral(":/help/") + topic + QStringLiteral(".html");
    return QFile::exists(path) ? path : QString();
}

HelpViewer* HelpViewer::instance(QWidget* owner) {
    static QPointer<HelpViewer> viewer;
    QWidget* window = owner ? owner->window() : nullptr;
    if (!viewer) {
        viewer = new HelpViewer(window);
        viewer->setAttribute(Qt::WA_DeleteOnClose, false);
    } else if (window && viewer->parentWidget() != window) {
        // The window that asks owns the help: the window manager keeps it in front of that
        // window, and a modal dialog that asks does not block it (so that Esc closes the
        // help rather than the dialog).
        const QPoint at = viewer->pos();
        viewer->setParent(window, Qt::Window);
        viewer->move(at);
    }
    return viewer;
}

HelpViewer::HelpViewer(QWidget* parent)
    : QWidget(parent, Qt::Window), browser_(new QTextBrowser(this)), back_(new QToolButton(this)),
      forward_(new QToolButton(this)), home_(new QToolButton(this)) {
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(QStringLiteral("Reelkeeper Help"));
    resize(640, 560);
    browser_->setObjectName(QStringLiteral("HelpBrowser"));
    browser_->setOpenExternalLinks(true);
    browser_->setSearchPaths({QStringLiteral(":/help")});
    back_->setIcon(style()->standardIcon(QStyle::SP_ArrowBack));
    back_->setToolTip(QStringLiteral("Back"));
    back_->setAccessibleName(QStringLiteral("Back"));
    back_->setObjectName(QStringLiteral("HelpBack"));
    forward_->setIcon(style()->standardIcon(QStyle::SP_ArrowForward));
    forward_->setToolTip(QStringLiteral("Forward"));
    forward_->setAccessibleName(QStringLiteral("Forward"));
    forward_->setObjectName(QStringLiteral("HelpForward"));
    home_->setObjectName(QStringLiteral("HelpContents"));
    home_->setText(QStringLiteral("Contents"));
    home_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto* bar = new QHBoxLayout;
    bar->addWidget(home_);
    bar->addWidget(back_);
    bar->addWidget(forward_);
    bar->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(browser_);
    back_->setEnabled(false);
    forward_->setEnabled(false);
    connect(back_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward_, &QToolButton::clicked, browser_, &QTextBrowser::forward);
    connect(home_, &QToolButton::clicked, this, [this] { showTopic(kMain); });
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QToolButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QToolButton::setEnabled);
    // Closed from the keyboard too (without a window manager there is no other way).
    for (const QKeySequence& keys :
         {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
        auto* close = new QShortcut(keys, this);
        close->setContext(Qt::WindowShortcut);
        connect(close, &QShortcut::activated, this, &QWidget::close);
    }
}

void HelpViewer::showTopic(const QString& topic) {
    QString path = helpPagePath(topic);
    if (path.isEmpty()) path = helpPagePath(kMain);
    if (!path.isEmpty())
        browser_->setSource(QUrl(QStringLiteral("qrc") + path));
    else
        browser_->setHtml(QStringLiteral("<p>The help pages are missing from this build.</p>"));
    if (!placed_) {
        // The first time: over the middle of the window it belongs to, or of the screen.
        placed_ = true;
        const QRect over = parentWidget() ? parentWidget()->window()->frameGeometry()
                                          : screen()->availableGeometry();
        move(over.center() - QPoint(width() / 4, height() / 2));
    }
    show();
    raise();
    activateWindow();
    QWidget* owner = parentWidget();
    if (owner && owner->isVisible() && !owner->isActiveWindow() &&
        !findChild<QObject*>(QStringLiteral("ActivateAfter"), Qt::FindDirectChildrenOnly))
        new ActivateAfter(owner, this);
}

QString HelpViewer::currentTopic() const {
    return QFileInfo(browser_->source().path()).completeBaseName();
}

} // namespace rk::fw
