// A splitter whose handle cannot come closer than topLeftLimit pixels to the top (or left)
// edge, nor closer than bottomRightLimit pixels to the bottom (or right) edge, for example a
// category list above a title list that the user may make taller or shorter within bounds.
// It is meant for two panes; with more, the limits apply to the first handle. The panes' own
// minimum sizes along the splitter do not stop the handle: a pane added without a minimum
// gets a minimum of 1 pixel, so that the limits alone decide how far the handle goes.
#pragma once

#include <QSplitter>

namespace rk {

class LimitSplitter : public QSplitter {
    Q_OBJECT
    Q_PROPERTY(int topLeftLimit READ topLeftLimit WRITE setTopLeftLimit)
    Q_PROPERTY(int bottomRightLimit READ bottomRightLimit WRITE setBottomRightLimit)

public:
    explicit LimitSplitter(Qt::Orientation orientation, QWidget* parent = nullptr);

    int topLeftLimit() const { return topLeftLimit_; }
    void setTopLeftLimit(int pixels) { topLeftLimit_ = std::max(0, pixels); }
    int bottomRightLimit() const { return bottomRightLimit_; }
    void setBottomRightLimit(int pixels) { bottomRightLimit_ = std::max(0, pixels); }

    // The nearest handle position within the limits (the first pane's height or width).
    int clampPosition(int position) const;
    // Size of the first pane; setting it keeps it within the limits once the splitter has a
    // size (before that, the value is taken as given).
    int firstSize() const;
    void setFirstSize(int size);
    // Moves the first handle as a drag would, within the limits.
    void dragHandleTo(int position);

protected:
    QSplitterHandle* createHandle() override;
    void childEvent(QChildEvent* event) override;

private:
    int extent() const;

    int topLeftLimit_ = 0;
    int bottomRightLimit_ = 0;
};

} // namespace rk
