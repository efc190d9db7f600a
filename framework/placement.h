// Window placement storage: keeps a window's position, size and state, and named
// properties of its controls, in one section of the settings store.
//
// Values of a placement section:
//   Flags      the placement flags: 0, or 2 when a minimized window restores to maximized
//   ShowCmd    1 normal, 2 minimized, 3 maximized
//   MinMaxPos  "%d,%d,%d,%d": minimized x, y and maximized x, y
//   NormPos    "%d,%d,%d,%d": left, top, right, bottom of the normal window rectangle
//   Visible    0 or 1
// MinMaxPos and NormPos are written twice, plain and with the screen size appended, as in
// "NormPos(1280x800)"; reading tries the screen-size name first, so that each screen size
// keeps its own placement. A stored property is named by the control's name, "_" and the
// property's name ("DBLookupListBox1_Height").
//
// Automatic storage restores when the window is first shown, before the window's own show
// handling, and saves when the window is hidden after a close; the window calls
// saveIfUnsaved() from its destructor.
#pragma once

#include <QObject>
#include <QRect>
#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <vector>

class QPoint;
class QWidget;

namespace rk::fw {

class SettingsKey;

// Puts the top left corner of `window`'s frame (its title bar and border included) at
// `topLeft`, as pos() reads it back, whether or not the window has been created yet.
void moveFrame(QWidget* window, const QPoint& topLeft);

// "%d,%d,%d,%d" with exactly four whole numbers; nothing otherwise.
std::optional<std::array<int, 4>> parseFourNumbers(const QString& text);

// The width a window needs to show `caption` whole in its title bar: the caption as the
// title bar shows it (with the program's display name after it), in the title font, with
// room for the window manager's icon and buttons.
int captionWidth(const QString& caption);

class FormStorage : public QObject {
    Q_OBJECT

public:
    enum class Keep { Position, PositionSizeState };

    FormStorage(QWidget* form, QString section, Keep keep, bool automatic = true);

    // A property kept under `name`, as text.
    void addProperty(const QString& name, std::function<QString()> get,
                     std::function<void(const QString&)> set);

    void restore();
    void save();
    void saveIfUnsaved();
    bool isRestored() const { return restored_; }
    // Whether the last restore found a stored position to bring back.
    bool placementFound() const { return placementFound_; }
    const QString& section() const { return section_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Property {
        QString name;
        std::function<QString()> get;
        std::function<void(const QString&)> set;
    };
    QString screenSuffix() const;

    QWidget* form_;
    QString section_;
    Keep keep_;
    std::vector<Property> properties_;
    bool restored_ = false;
    bool placementFound_ = false;
    bool saved_ = false;
};

} // namespace rk::fw
