// A label that reads as a web link (link colour, underlined while the mouse is over it, a
// pointing hand) and opens its address when clicked or when Enter or Space is pressed on it.
// Opening goes through an opener function: the default asks the desktop to open the address.
#pragma once

#include <QLabel>
#include <QUrl>

#include <functional>

namespace rk {

class HyperlinkLabel : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QUrl url READ url WRITE setUrl)

public:
    using Opener = std::function<void(const QUrl& url)>;

    explicit HyperlinkLabel(QWidget* parent = nullptr);
    HyperlinkLabel(const QString& caption, const QUrl& url, QWidget* parent = nullptr);

    QUrl url() const { return url_; }
    void setUrl(const QUrl& url);

    void setOpener(Opener opener) { opener_ = std::move(opener); }

public slots:
    void open();

signals:
    void activated(const QUrl& url);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void applyLook(bool hovered);

    QUrl url_;
    Opener opener_;
};

} // namespace rk
