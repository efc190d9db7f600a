// THRuler: a horizontal ruler drawn in centimetres, inches, tenths of an inch or pixels.
// It writes the unit numbers 0, 1, 2, ... at every unit (every 50 pixels in pixels) and
// draws 16 ticks per inch (10 per unit otherwise), the unit, half and quarter ticks
// longer. Toward rpDown the ticks hang from the top edge; toward rpUp they rise from the
// bottom edge. Start is the pixel where 0 lies.
#pragma once

#include "rulerticks.h"

#include <QBrush>
#include <QFont>
#include <QPen>
#include <QWidget>

namespace rk::print {

class THRuler : public QWidget {
public:
    explicit THRuler(QWidget* parent = nullptr);

    int Dpi() const { return dpi_; }
    void SetDpi(int dpi);
    TRulerUnits Units() const { return units_; }
    void SetUnits(TRulerUnits units);
    TRulerToward Toward() const { return toward_; }
    void SetToward(TRulerToward toward);
    int Start() const { return start_; }
    void SetStart(int pixels);
    const QPen& Pen() const { return pen_; }
    void SetPen(const QPen& pen);
    const QBrush& Brush() const { return brush_; }
    void SetBrush(const QBrush& brush);
    const QFont& Font() const { return font_; }
    void SetFont(const QFont& font);

    QSize sizeHint() const override { return {816, 24}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int dpi_ = 96;
    TRulerUnits units_ = ruInches;
    TRulerToward toward_ = rpDown;
    int start_ = 0;
    QPen pen_{Qt::black};
    QBrush brush_{Qt::white};
    QFont font_;
};

} // namespace rk::print
