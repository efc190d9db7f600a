// Tabs that draw themselves: each tab shows its picture 5 pixels from the left, vertically
// centred, and its caption on one line after it (see tablayout in tabpictures.h). All tabs
// have the size they are given (for example 80 x 28); a tab whose caption would not fit after
// its picture grows wider, so that no caption is cut off. The active tab takes the active colour
// and font, the others the inactive ones; both colours default to the button face.
//
// PictureTabWidget is a tab widget (a page control) that uses such a bar.
#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QPixmap>
#include <QTabBar>
#include <QTabWidget>

namespace rk {

class PictureTabBar : public QTabBar {
    Q_OBJECT
    Q_PROPERTY(int tabWidth READ tabWidth WRITE setTabWidth)
    Q_PROPERTY(int tabHeight READ tabHeight WRITE setTabHeight)
    Q_PROPERTY(QColor activeColor READ activeColor WRITE setActiveColor)
    Q_PROPERTY(QColor inactiveColor READ inactiveColor WRITE setInactiveColor)
    Q_PROPERTY(QFont activeFont READ activeFont WRITE setActiveFont)
    Q_PROPERTY(QFont inactiveFont READ inactiveFont WRITE setInactiveFont)

public:
    explicit PictureTabBar(QWidget* parent = nullptr);

    int tabWidth() const { return tabSize_.width(); }
    void setTabWidth(int width);
    int tabHeight() const { return tabSize_.height(); }
    void setTabHeight(int height);
    void setTabSize(const QSize& size);

    QColor activeColor() const { return activeColor_; }
    void setActiveColor(const QColor& color);
    QColor inactiveColor() const { return inactiveColor_; }
    void setInactiveColor(const QColor& color);
    QFont activeFont() const { return activeFont_; }
    void setActiveFont(const QFont& font);
    QFont inactiveFont() const { return inactiveFont_; }
    void setInactiveFont(const QFont& font);

    // Picture i belongs to tab i; a tab without a picture shows only its caption.
    void setPictures(const QList<QPixmap>& pictures);
    QList<QPixmap> pictures() const { return pictures_; }
    QPixmap picture(int index) const;

protected:
    QSize tabSizeHint(int index) const override;
    // The same as tabSizeHint: tabs never shrink below their size.
    QSize minimumTabSizeHint(int index) const override;
    void paintEvent(QPaintEvent* event) override;
    // Paints one tab: its face, then its picture and caption. Override to draw otherwise.
    virtual void paintTab(QPainter& painter, int index, const QRect& rect, bool active);

private:
    QSize tabSize_{80, 28};
    QColor activeColor_;
    QColor inactiveColor_;
    QFont activeFont_;
    QFont inactiveFont_;
    QList<QPixmap> pictures_;
};

class PictureTabWidget : public QTabWidget {
    Q_OBJECT

public:
    explicit PictureTabWidget(QWidget* parent = nullptr);

    PictureTabBar* pictureTabBar() const { return bar_; }
    void setTabSize(const QSize& size) { bar_->setTabSize(size); }
    void setPictures(const QList<QPixmap>& pictures) { bar_->setPictures(pictures); }

private:
    PictureTabBar* bar_;
};

} // namespace rk
