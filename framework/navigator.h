// A row of buttons that moves through a dataset and ends its edits. Which buttons show is
// the window's choice; each is enabled only when its action can do something.
#pragma once

#include "dataset.h"

#include <QPointer>
#include <QToolButton>
#include <QWidget>

#include <array>

namespace rk::fw {

class DBNavigator : public QWidget {
    Q_OBJECT

public:
    enum Button { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel, Refresh, Count };

    explicit DBNavigator(QWidget* parent = nullptr);
    // Works on `dataset` from now on; nullptr leaves every button disabled.
    void bind(Dataset* dataset);
    Dataset* dataset() const { return dataset_; }
    void setVisibleButtons(std::initializer_list<Button> buttons);
    QToolButton* button(Button b) const { return buttons_[size_t(b)]; }
    void click(Button b);

private:
    void updateButtons();
    QPointer<Dataset> dataset_;
    std::array<QToolButton*, Count> buttons_{};
};

} // namespace rk::fw
