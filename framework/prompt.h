// The prompt seam: every message box, input box, file, colour, font and print dialog, web
// address and help topic of the program goes through prompt(). The program runs with the
// Qt implementation; tests install a ScriptedPrompt that records what was asked and
// answers from a script.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

class QPrinter;
class QWidget;

namespace rk {
class Status;
} // namespace rk

namespace rk::fw {

enum class Icon { None, Information, Warning, Question, Error };
enum class Button { None, Ok, Cancel, Yes, No };
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };

struct FontOptions {
    int maxPointSize = 0; // 0: no limit
    bool effects = true;  // underline and strike-out offered
    // When given, the dialog offers the text's colour too: it starts from *color, and the
    // colour chosen is written back when the dialog is confirmed.
    QColor* color = nullptr;
};

class Prompt {
public:
    virtual ~Prompt() = default;

    // A modal message box owned by `owner`; the button that closed it (Cancel or No when
    // it was closed otherwise, Ok for a box with OK alone).
    virtual Button message(QWidget* owner, const QString& text, const QString& caption, Icon icon,
                           Buttons buttons) = 0;
    // A message box with buttons of its own texts; the index of the chosen one, -1 when the
    // box was closed without a choice.
    virtual int choose(QWidget* owner, const QString& text, const QString& caption, Icon icon,
                       const QStringList& buttons) = 0;
    // An input box; nothing when cancelled.
    virtual std::optional<QString> inputText(QWidget* owner, const QString& caption,
                                             const QString& label, const QString& value) = 0;
    // File dialogs; an empty text when cancelled.
    virtual QString openFileName(QWidget* owner, const QString& caption, const QString& dir,
                                 const QString& filter) = 0;
    virtual QString saveFileName(QWidget* owner, const QString& caption, const QString& dir,
                                 const QString& filter) = 0;
    // A folder dialog; an empty text when cancelled.
    virtual QString folderName(QWidget* owner, const QString& caption, const QString& dir) = 0;
    virtual std::optional<QColor> chooseColor(QWidget* owner, const QColor& initial,
                                              const QString& caption) = 0;
    virtual std::optional<QFont> chooseFont(QWidget* owner, const QFont& initial,
                                            const QString& caption,
                                            const FontOptions& options = {}) = 0;
    // The print dialog and the printer setup dialog; true when confirmed.
    virtual bool printDialog(QWidget* owner, QPrinter* printer) = 0;
    virtual bool printerSetup(QWidget* owner, QPrinter* printer) = 0;
    // Opens a web address with the desktop's browser; false when it could not.
    virtual bool openUrl(const QUrl& url) = 0;
    // Shows a topic of the program's help ("MainTopic", "Tutorial", ...).
    virtual void showHelp(QWidget* owner, const QString& topic) = 0;
    // A message that does not wait: a box beside `owner` that the user closes when done with
    // it, while the program goes on.
    virtual void notify(QWidget* owner, const QString& text, const QString& caption, Icon icon) = 0;
};

// The prompt in force.
Prompt& prompt();
// Installs `p` (not owned) and returns the one installed before; nullptr brings back the
// Qt implementation.
Prompt* setPrompt(Prompt* p);

// Shorthands for the common boxes.
inline void inform(QWidget* owner, const QString& text, const QString& caption = QString()) {
    prompt().message(owner, text, caption, Icon::Information, Buttons::Ok);
}
inline bool confirm(QWidget* owner, const QString& text, const QString& caption = QString()) {
    return prompt().message(owner, text, caption, Icon::Question, Buttons::YesNo) == Button::Yes;
}

// Tells the user that `what` could not be done, and why: the Status's own words on a line
// of their own, with a warning.
void showStatus(QWidget* owner, const QString& what, const Status& why,
                const QString& caption = QString());

// The implementation on Qt's dialogs.
class QtPrompt : public Prompt {
public:
    Button message(QWidget* owner, const QString& text, const QString& caption, Icon icon,
                   Buttons buttons) override;
    int choose(QWidget* owner, const QString& text, const QString& caption, Icon icon,
               const QStringList& buttons) override;
    std::optional<QString> inputText(QWidget* owner, const QString& caption, const QString& label,
                                     const QString& value) override;
    QString openFileName(QWidget* owner, const QString& caption, const QString& dir,
                         const QString& filter) override;
    QString saveFileName(QWidget* owner, const QString& caption, const QString& dir,
                         const QString& filter) override;
    QString folderName(QWidget* owner, const QString& caption, const QString& dir) override;
    std::optional<QColor> chooseColor(QWidget* owner, const QColor& initial,
                                      const QString& caption) override;
    std::optional<QFont> chooseFont(QWidget* owner, const QFont& initial, const QString& caption,
                                    const FontOptions& options) override;
    bool printDialog(QWidget* owner, QPrinter* printer) override;
    bool printerSetup(QWidget* owner, QPrinter* printer) override;
    bool openUrl(const QUrl& url) override;
    void showHelp(QWidget* owner, const QString& topic) override;
    void notify(QWidget* owner, const QString& text, const QString& caption, Icon icon) override;
};

} // namespace rk::fw
