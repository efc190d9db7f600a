#include "placement.h"

#include "settings.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace rk::fw {

namespace {
constexpr int kShowNormal = 1;
constexpr int kShowMinimized = 2;
constexpr int kShowMaximized = 3;
constexpr int kRestoreToMaximized = 2;

QString fourNumbers(int a, int b, int c, int d) {
    return QStringLiteral("%1,%2,%3,%4").arg(a).arg(b).arg(c).arg(d);
}

// The first of `names` that the section holds.
std::optional<QString> firstValue(const SettingsKey& key, const QString& section,
                                  std::initializer_list<QString> names) {
    for (const QString& n : names)
        if (auto v = key.value(section, n)) return v;
    return std::nullopt;
}
} // namespace

void moveFrame(QWidget* window, const QPoint& topLeft) {
    // Once the window exists, move() places its client area there; the native window is
    // then told that the point is its frame's, which the window manager honours when it
    // maps the window (the frame's size is not known before).
    window->move(topLeft);
    if (window->isWindow() && window->testAttribute(Qt::WA_WState_Created) &&
        window->windowHandle())
        window->windowHandle()->setFramePosition(topLeft);
}

std::optional<std::array<int, 4>> parseFourNumbers(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4) return std::nullopt;
    std::array<int, 4> out{};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        out[size_t(i)] = parts[i].trimmed().toInt(&ok);
        if (!ok) return std::nullopt;
    }
    return out;
}

FormStorage::FormStorage(QWidget* form, QString section, Keep keep, bool automatic)
    : QObject(form), form_(form), section_(std::move(section)), keep_(keep) {
    if (automatic) form_->installEventFilter(this);
}

void FormStorage::addProperty(const QString& name, std::function<QString()> get,
                              std::function<void(const QString&)> set) {
    properties_.push_back({name, std::move(get), std::move(set)});
}

QString FormStorage::screenSuffix() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize size = screen ? screen->geometry().size() : QSize(0, 0);
    return QStringLiteral("(%1x%2)").arg(size.width()).arg(size.height());
}

bool FormStorage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == form_) {
        if (event->type() == QEvent::Show && !restored_) {
            restore();
        } else if (event->type() == QEvent::Hide && !event->spontaneous()) {
            save();
        }
    }
    return QObject::eventFilter(watched, event);
}

void FormStorage::restore() {
    restored_ = true;
    placementFound_ = false;
    SettingsKey key;
    const QString suffix = screenSuffix();
    if (auto normal = firstValue(key, section_,
                                 {QStringLiteral("NormPos") + suffix, QStringLiteral("NormPos")})) {
        if (auto n = parseFourNumbers(*normal)) {
            const QRect rect(QPoint((*n)[0], (*n)[1]), QPoint((*n)[2] - 1, (*n)[3] - 1));
            // A placement from a larger screen must not put the window out of reach.
            bool reachable = false;
            for (const QScreen* s : QGuiApplication::screens())
                reachable = reachable || s->availableGeometry().intersects(rect);
            if (reachable && rect.width() > 0 && rect.height() > 0) {
                placementFound_ = true;
                if (keep_ == Keep::PositionSizeState) form_->resize(rect.size());
                moveFrame(form_, rect.topLeft());
            }
        }
    }
    if (keep_ == Keep::PositionSizeState) {
        const int showCmd = key.readInteger(section_, QStringLiteral("ShowCmd"), kShowNormal);
        const int flags = key.readInteger(section_, QStringLiteral("Flags"), 0);
        // A window is never brought back minimized: the user would not find it.
        if (showCmd == kShowMaximized ||
            (showCmd == kShowMinimized && (flags & kRestoreToMaximized)))
            form_->setWindowState(form_->windowState() | Qt::WindowMaximized);
    }
    for (const Property& p : properties_)
        if (auto v = key.value(section_, p.name)) p.set(*v);
}

void FormStorage::save() {
    saved_ = true;
    SettingsKey key;
    const QString suffix = screenSuffix();
    const bool maximized = form_->windowState() & Qt::WindowMaximized;
    const bool minimized = form_->windowState() & Qt::WindowMinimized;
    const QRect normal =
        maximized || minimized ? form_->normalGeometry() : QRect(form_->pos(), form_->size());
    const int showCmd = minimized ? kShowMinimized : maximized ? kShowMaximized : kShowNormal;
    const QString normPos = fourNumbers(normal.left(), normal.top(), normal.left() + normal.width(),
                                        normal.top() + normal.height());
    const QString minMaxPos = fourNumbers(-1, -1, -1, -1);
    key.writeInteger(section_, QStringLiteral("Flags"),
                     maximized && minimized ? kRestoreToMaximized : 0);
    key.writeInteger(section_, QStringLiteral("ShowCmd"), showCmd);
    key.writeString(section_, QStringLiteral("MinMaxPos"), minMaxPos);
    key.writeString(section_, QStringLiteral("MinMaxPos") + suffix, minMaxPos);
    key.writeString(section_, QStringLiteral("NormPos"), normPos);
    key.writeString(section_, QStringLiteral("NormPos") + suffix, normPos);
    key.writeInteger(section_, QStringLiteral("Visible"), form_->isVisible() ? 1 : 0);
    for (const Property& p : properties_)
        key.writeString(section_, p.name, p.get());
}

void FormStorage::saveIfUnsaved() {
    if (!saved_ && restored_) save();
}

int captionWidth(const QString& caption) {
    // Qt puts the display name after every other caption, behind a dash.
    const QString name = QGuiApplication::applicationDisplayName();
    const QString shown =
        name.isEmpty() || caption == name ? caption : caption + QStringLiteral(" \u2014 ") + name;
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    return QFontMetrics(font).horizontalAdvance(shown) + 160;
}

} // namespace rk::fw
