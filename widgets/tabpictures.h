// The tab pictures "TAB0" to "TAB6" (16 to 19 pixels wide, 21 high, transparent background)
// and the geometry of a tab that shows a picture and a caption.
//
// Pictures 0 to 2 belong to the view tabs Category, View All and Marked; 3 to 6 to the detail
// tabs Common, Details, AV and Stars. Each comes at 1x and 2x; loading picks the 2x art for a
// device pixel ratio above 1, so the pictures stay crisp on high-density screens.
#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QPixmap>
#include <QRect>
#include <QString>

class QPainter;

namespace rk {

constexpr int kTabPictureCount = 7;
constexpr int kTabPictureHeight = 21;

// A tab picture by name ("TAB0".."TAB6"), at the given device pixel ratio (0: the
// application's). A null pixmap when there is no such picture.
QPixmap loadTabPicture(const QString& name, qreal devicePixelRatio = 0);
QPixmap loadTabPicture(int index, qreal devicePixelRatio = 0);
// Pictures first .. first + count - 1, e.g. (0, 3) for the view tabs, (3, 4) for the details.
QList<QPixmap> loadTabPictures(int first, int count, qreal devicePixelRatio = 0);

// Where the parts of an owner-drawn tab go, in the tab's own rectangle.
namespace tablayout {

constexpr int kPictureLeft = 5; // picture: this far from the tab's left edge
constexpr int kCaptionGap = 7;  // caption: picture width plus this from the left edge

// Top-left corner of the picture: 5 pixels from the left, vertically centred, its top being
// half of (tab height - picture height) rounded toward zero.
QPoint pictureOrigin(const QRect& tab, const QSize& picture);
// The caption's box: from picture width + 7 to the tab's right edge, the tab's full height
// (the caption is drawn vertically centred in it, on one line).
QRect captionRect(const QRect& tab, const QSize& picture);

// Draws picture and caption of a tab (the background is the caller's).
void drawTabContents(QPainter& painter, const QRect& tab, const QPixmap& picture,
                     const QString& caption, const QFont& font, const QColor& textColor);

} // namespace tablayout

} // namespace rk
