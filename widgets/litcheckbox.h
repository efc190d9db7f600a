// A check box drawn with three pictures instead of a box: one for ticked, one for clear and
// one for greyed (a partly checked or disabled box). Its default pictures are an indicator
// lamp that lights up when ticked. As a pure indicator (readOnly) it ignores the mouse and
// the keyboard and only shows the state the program gives it.
#pragma once

#include <QCheckBox>
#include <QPixmap>

namespace rk {

class LitCheckBox : public QCheckBox {
    Q_OBJECT
    Q_PROPERTY(bool readOnly READ isReadOnly WRITE setReadOnly)
    Q_PROPERTY(QPixmap tickedPicture READ tickedPicture WRITE setTickedPicture)
    Q_PROPERTY(QPixmap clearPicture READ clearPicture WRITE setClearPicture)
    Q_PROPERTY(QPixmap greyedPicture READ greyedPicture WRITE setGreyedPicture)

public:
    enum class Picture { Ticked, Clear, Greyed };

    explicit LitCheckBox(QWidget* parent = nullptr);
    explicit LitCheckBox(const QString& caption, QWidget* parent = nullptr);

    bool isReadOnly() const { return readOnly_; }
    void setReadOnly(bool readOnly);

    // A null picture means the default lamp picture.
    QPixmap tickedPicture() const { return ticked_; }
    void setTickedPicture(const QPixmap& picture);
    QPixmap clearPicture() const { return clear_; }
    void setClearPicture(const QPixmap& picture);
    QPixmap greyedPicture() const { return greyed_; }
    void setGreyedPicture(const QPixmap& picture);

    // Which of the three pictures the box shows now.
    Picture shownPicture() const;
    // The default lamp pictures, at a device pixel ratio.
    static QPixmap defaultPicture(Picture which, qreal devicePixelRatio = 1.0);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    QPixmap pictureFor(Picture which) const;
    QSize pictureSize() const;

    bool readOnly_ = false;
    QPixmap ticked_;
    QPixmap clear_;
    QPixmap greyed_;
};

} // namespace rk
