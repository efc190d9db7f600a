#include "hyperlinklabel.h"

#include <QDesktopServices>
#include <QKeyEvent>
#include <QMouseEvent>

namespace rk {

HyperlinkLabel::HyperlinkLabel(QWidget* parent)
    : QLabel(parent), opener_([](const QUrl& url) { QDesktopServices::openUrl(url); }) {
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setTextFormat(Qt::PlainText);
    applyLook(false);
}

HyperlinkLabel::HyperlinkLabel(const QString& caption, const QUrl& url, QWidget* parent)
    : HyperlinkLabel(parent) {
    setText(caption);
    setUrl(url);
}

void HyperlinkLabel::setUrl(const QUrl& url) {
    url_ = url;
    setToolTip(url.toString());
}

void HyperlinkLabel::open() {
    if (!url_.isValid() || url_.isEmpty()) return;
    emit activated(url_);
    if (opener_) opener_(url_);
}

void HyperlinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        open();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

void HyperlinkLabel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
        event->key() == Qt::Key_Space) {
        open();
        return;
    }
    QLabel::keyPressEvent(event);
}

void HyperlinkLabel::enterEvent(QEnterEvent* event) {
    applyLook(true);
    QLabel::enterEvent(event);
}

void HyperlinkLabel::leaveEvent(QEvent* event) {
    applyLook(false);
    QLabel::leaveEvent(event);
}

void HyperlinkLabel::focusInEvent(QFocusEvent* event) {
    QLabel::focusInEvent(event);
    applyLook(underMouse());
}

void HyperlinkLabel::focusOutEvent(QFocusEvent* event) {
    QLabel::focusOutEvent(event);
    applyLook(underMouse());
}

void HyperlinkLabel::applyLook(bool hovered) {
    QFont f = font();
    if (f.underline() != (hovered || hasFocus())) {
        f.setUnderline(hovered || hasFocus());
        setFont(f);
    }
    QPalette pal = palette();
    const QColor link = pal.color(QPalette::Link);
    if (pal.color(QPalette::WindowText) != link) {
        pal.setColor(QPalette::WindowText, link);
        setPalette(pal);
    }
}

} // namespace rk
