// A row of buttons that moves through a dataset and ends its edits. Which buttons show is
// the window's choice; each is enabled only when its action can do something.
#pragma once

#include "dataset.h"

#include <QToolButton>
#include <QWidget>

#include <array>

namespace rk::fw {

class DBNavigator : public QWidget {
    Q_OBJECT

public:
    enum Button { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel, Refresh, Count };

    explicit DBNavigator(QWidget* parent = nullptr);
    void bind(Dataset* dataset);
    void setVisibleButtons(std::initializer_list<Button> buttons);
    QToolButton* button(Button b) const { return buttons_[size_t(b)]; }
    void click(Button b);

private:
    void updateButtons();
    Dataset* dataset_ = nullptr;
    std::array<QToolButton*, Count> buttons_{};
};

} // namespace rk::fw
