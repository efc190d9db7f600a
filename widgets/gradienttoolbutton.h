// A tool button painted with a two-colour gradient: a light colour that fades into a shadow
// colour, top to bottom (vertical) or left to right (horizontal). Pressed and "down" buttons
// show the gradient reversed; a flat button shows no face until the mouse is over it.
//
// Buttons with the same non-zero groupIndex among the children of one parent behave as a set
// of which at most one is down (toggle buttons such as a face/spine choice). With allowAllUp
// off, clicking the down button of a set keeps it down.
#pragma once

#include <QColor>
#include <QFont>
#include <QLinearGradient>
#include <QToolButton>

#include <optional>

namespace rk {

// Everything that makes up the look of a gradient button, so that a window can copy it from
// one button to others or keep it in its settings.
struct GradientLook {
    QColor lightColor;
    QColor shadowColor;
    bool flat = false;
    bool vertical = true;
    QFont font;

    bool operator==(const GradientLook& other) const;
    bool operator!=(const GradientLook& other) const { return !(*this == other); }
};

class GradientToolButton : public QToolButton {
    Q_OBJECT
    Q_PROPERTY(QColor lightColor READ lightColor WRITE setLightColor)
    Q_PROPERTY(QColor shadowColor READ shadowColor WRITE setShadowColor)
    Q_PROPERTY(bool flat READ isFlat WRITE setFlat)
    Q_PROPERTY(bool vertical READ isVertical WRITE setVertical)
    Q_PROPERTY(int groupIndex READ groupIndex WRITE setGroupIndex)
    Q_PROPERTY(bool allowAllUp READ allowAllUp WRITE setAllowAllUp)

public:
    // What the face shows; the painter and the tests share this.
    enum class FaceState { Idle, Hover, Pressed };

    explicit GradientToolButton(QWidget* parent = nullptr);
    GradientToolButton(const QString& caption, QWidget* parent = nullptr);

    // The system's button highlight and button shadow colours: the default look.
    static QColor defaultLightColor();
    static QColor defaultShadowColor();

    QColor lightColor() const { return light_; }
    void setLightColor(const QColor& color);
    QColor shadowColor() const { return shadow_; }
    void setShadowColor(const QColor& color);
    bool isFlat() const { return flat_; }
    void setFlat(bool flat);
    bool isVertical() const { return vertical_; }
    void setVertical(bool vertical);

    GradientLook look() const;
    void setLook(const GradientLook& look);

    int groupIndex() const { return groupIndex_; }
    void setGroupIndex(int index);
    bool allowAllUp() const { return allowAllUp_; }
    void setAllowAllUp(bool allow);

    FaceState faceState() const;

    // The gradient of the face for a state in a rectangle; nothing for a flat idle button.
    static std::optional<QLinearGradient> faceGradient(const GradientLook& look, FaceState state,
                                                       const QRectF& rect);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void nextCheckState() override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void onToggled(bool checked);

    QColor light_;
    QColor shadow_;
    bool flat_ = false;
    bool vertical_ = true;
    int groupIndex_ = 0;
    bool allowAllUp_ = false;
};

// Gives every gradient button inside `container` (a tool bar, a panel) the look of `model`:
// light and shadow colours, flatness, gradient direction and font. Returns how many buttons
// were changed; the model itself is left alone when it lies inside the container.
int applyLookToAll(QWidget* container, const GradientLook& look,
                   const GradientToolButton* except = nullptr);
int copyLookToAll(const GradientToolButton& model, QWidget* container);

} // namespace rk
