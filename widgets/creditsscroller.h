// A box whose lines of text roll slowly upward in an endless loop, as film credits do. Lines
// that start with "# " are headings (bold, without the mark). The text moves one pixel per
// step; the timer steps every `interval` milliseconds while the box is visible.
#pragma once

#include <QFrame>
#include <QStringList>
#include <QTimer>

namespace rk {

class CreditsScroller : public QFrame {
    Q_OBJECT
    Q_PROPERTY(int interval READ interval WRITE setInterval)

public:
    explicit CreditsScroller(QWidget* parent = nullptr);

    void setLines(const QStringList& lines);
    QStringList lines() const { return lines_; }

    int interval() const { return timer_.interval(); }
    void setInterval(int milliseconds) { timer_.setInterval(milliseconds); }

    // Height of one pass of the text plus the gap before it comes round again.
    int loopHeight() const;
    int offset() const { return offset_; }

    QSize sizeHint() const override { return {300, 140}; }

public slots:
    void step();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    int lineHeight() const;

    QStringList lines_;
    QTimer timer_;
    int offset_ = 0;
};

} // namespace rk
