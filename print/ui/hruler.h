// THRuler: a horizontal ruler drawn in inches at 96 pixels per inch, black on white. It
// writes the numbers 0, 1, 2, ... at every inch and draws 16 ticks per inch, the inch, half
// and quarter ticks longer. Toward rpDown the ticks hang from the top edge; toward rpUp they rise
// from the bottom edge. Start is the pixel where 0 lies.
#pragma once

#include "rulerticks.h"

#include <QFont>
#include <QWidget>

namespace rk::print {

class THRuler : public QWidget {
public:
    explicit THRuler(QWidget* parent = nullptr);

    void SetToward(TRulerToward toward);
    void SetStart(int pixels);
    void SetFont(const QFont& font);

    QSize sizeHint() const override { return {816, 24}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    static constexpr int kDpi = 96;
    static constexpr TRulerUnits kUnits = ruInches;
    TRulerToward toward_ = rpDown;
    int start_ = 0;
    QFont font_;
};

} // namespace rk::print
