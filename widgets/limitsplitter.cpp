#include "limitsplitter.h"

#include <QChildEvent>
#include <QMouseEvent>
#include <QSplitterHandle>

namespace rk {

namespace {

// A handle that drags within its splitter's limits.
class LimitHandle : public QSplitterHandle {
public:
    LimitHandle(Qt::Orientation orientation, LimitSplitter* parent)
        : QSplitterHandle(orientation, parent), splitter_(parent) {}

    void moveTo(int position) { moveSplitter(splitter_->clampPosition(position)); }

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) grabOffset_ = pick(event->position().toPoint());
        QSplitterHandle::mousePressEvent(event);
    }

    void mouseMoveEvent(QMouseEvent* event) override {
        if (!(event->buttons() & Qt::LeftButton)) return;
        const QPoint inSplitter = splitter_->mapFromGlobal(event->globalPosition().toPoint());
        moveTo(pick(inSplitter) - grabOffset_);
    }

private:
    int pick(const QPoint& point) const {
        return orientation() == Qt::Horizontal ? point.x() : point.y();
    }

    LimitSplitter* splitter_;
    int grabOffset_ = 0;
};

} // namespace

LimitSplitter::LimitSplitter(Qt::Orientation orientation, QWidget* parent)
    : QSplitter(orientation, parent) {
    setOpaqueResize(true);
    setChildrenCollapsible(false);
}

QSplitterHandle* LimitSplitter::createHandle() {
    return new LimitHandle(orientation(), this);
}

void LimitSplitter::childEvent(QChildEvent* event) {
    QSplitter::childEvent(event);
    if (event->type() != QEvent::ChildAdded || !event->child()->isWidgetType()) return;
    auto* pane = static_cast<QWidget*>(event->child());
    if (qobject_cast<QSplitterHandle*>(pane)) return;
    // Without a minimum of its own a pane would fall back on its minimum size hint.
    if (orientation() == Qt::Vertical && pane->minimumHeight() == 0) pane->setMinimumHeight(1);
    if (orientation() == Qt::Horizontal && pane->minimumWidth() == 0) pane->setMinimumWidth(1);
}

int LimitSplitter::extent() const {
    return orientation() == Qt::Horizontal ? width() : height();
}

int LimitSplitter::clampPosition(int position) const {
    const int highest = extent() - bottomRightLimit_ - handleWidth();
    position = std::min(position, highest);
    return std::max(position, topLeftLimit_);
}

int LimitSplitter::firstSize() const {
    const QList<int> all = sizes();
    return all.isEmpty() ? 0 : all.first();
}

void LimitSplitter::setFirstSize(int size) {
    if (count() < 2) return;
    if (extent() > 0) size = clampPosition(size);
    QList<int> all = sizes();
    int rest = 0;
    for (int i = 1; i < all.size(); ++i)
        rest += all.at(i);
    const int total =
        extent() > 0 ? extent() - handleWidth() * int(all.size() - 1) : all.first() + rest;
    all[0] = size;
    all[1] = std::max(1, total - size - (rest - all.at(1)));
    setSizes(all);
}

void LimitSplitter::dragHandleTo(int position) {
    if (count() < 2) return;
    static_cast<LimitHandle*>(handle(1))->moveTo(position);
}

} // namespace rk
