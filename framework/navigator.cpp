#include "navigator.h"

#include "prompt.h"

#include <QHBoxLayout>
#include <QStyle>

namespace rk::fw {

namespace {
struct ButtonInfo {
    const char* name;
    const char* hint;
    QStyle::StandardPixmap icon;
    const char* glyph; // when the style has no fitting icon
};
// Order of DBNavigator::Button.
const ButtonInfo kButtons[] = {
    {"First", "First record", QStyle::SP_MediaSkipBackward, nullptr},
    {"Prior", "Prior record", QStyle::SP_MediaSeekBackward, nullptr},
    {"Next", "Next record", QStyle::SP_MediaSeekForward, nullptr},
    {"Last", "Last record", QStyle::SP_MediaSkipForward, nullptr},
    {"Insert", "Insert record", QStyle::SP_CustomBase, "+"},
    {"Delete", "Delete record", QStyle::SP_CustomBase, "\u2212"},
    {"Edit", "Edit record", QStyle::SP_CustomBase, "\u25B2"},
    {"Post", "Post edit", QStyle::SP_DialogApplyButton, nullptr},
    {"Cancel", "Cancel edit", QStyle::SP_DialogCancelButton, nullptr},
    {"Refresh", "Refresh data", QStyle::SP_BrowserReload, nullptr},
};
} // namespace

DBNavigator::DBNavigator(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    for (int i = 0; i < Count; ++i) {
        const ButtonInfo& info = kButtons[i];
        auto* b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1("nb") + QLatin1String(info.name));
        b->setToolTip(QString::fromLatin1(info.hint));
        b->setAccessibleName(QString::fromLatin1(info.hint));
        if (info.glyph)
            b->setText(QString::fromUtf8(info.glyph));
        else
            b->setIcon(style()->standardIcon(info.icon));
        b->setAutoRaise(false);
        b->setFocusPolicy(Qt::NoFocus);
        b->setMinimumSize(25, 25);
        connect(b, &QToolButton::clicked, this, [this, i] { click(Button(i)); });
        buttons_[size_t(i)] = b;
        layout->addWidget(b);
    }
    updateButtons();
}

void DBNavigator::bind(Dataset* dataset) {
    if (dataset_) disconnect(dataset_, nullptr, this, nullptr);
    dataset_ = dataset;
    if (dataset_) {
        connect(dataset_, &Dataset::stateChanged, this, &DBNavigator::updateButtons);
        connect(dataset_, &Dataset::recordMoved, this, &DBNavigator::updateButtons);
        connect(dataset_, &Dataset::dataChanged, this, &DBNavigator::updateButtons);
        connect(dataset_, &Dataset::setChanged, this, &DBNavigator::updateButtons);
    }
    updateButtons();
}

void DBNavigator::setVisibleButtons(std::initializer_list<Button> visible) {
    for (auto* b : buttons_)
        b->setVisible(false);
    for (Button b : visible)
        buttons_[size_t(b)]->setVisible(true);
}

void DBNavigator::click(Button b) {
    if (!dataset_ || !buttons_[size_t(b)]->isEnabled()) return;
    // A post that fails is told through the dataset's postFailed; a move that fails leaves
    // the record shown as it was.
    Status s;
    switch (b) {
    case First:
        s = dataset_->first();
        break;
    case Prior:
        s = dataset_->prior();
        break;
    case Next:
        s = dataset_->next();
        break;
    case Last:
        s = dataset_->last();
        break;
    case Insert:
        s = dataset_->insert();
        break;
    case Delete:
        if (confirm(window(), QStringLiteral("Delete record?"))) s = dataset_->deleteCurrent();
        break;
    case Edit:
        s = dataset_->edit();
        break;
    case Post:
        s = dataset_->post();
        break;
    case Cancel:
        dataset_->cancel();
        break;
    case Refresh:
        dataset_->refresh();
        break;
    case Count:
        break;
    }
    if (b == Delete && !s.isOk())
        showStatus(window(), QStringLiteral("The record could not be deleted."), s);
    else
        ignore(s, "a failed post is told through postFailed; a failed move changes nothing");
    updateButtons();
}

void DBNavigator::updateButtons() {
    const bool active = dataset_ && dataset_->isActive();
    const bool editing = active && dataset_->isEditing();
    const bool browsing = active && !editing;
    const bool empty = !active || dataset_->isEmpty();
    // Moving is allowed while editing: the move posts the record first.
    buttons_[First]->setEnabled(!empty && !dataset_->bof());
    buttons_[Prior]->setEnabled(!empty && !dataset_->bof());
    buttons_[Next]->setEnabled(!empty && !dataset_->eof());
    buttons_[Last]->setEnabled(!empty && !dataset_->eof());
    buttons_[Insert]->setEnabled(active);
    buttons_[Delete]->setEnabled(browsing && !empty);
    buttons_[Edit]->setEnabled(browsing && !empty);
    buttons_[Post]->setEnabled(editing);
    buttons_[Cancel]->setEnabled(editing);
    buttons_[Refresh]->setEnabled(active);
}

} // namespace rk::fw
