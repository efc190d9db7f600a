// A prompt for tests: it records every question and answers from a script, in order.
// A question with no scripted answer gets the cautious one (OK for a box with OK alone,
// otherwise Cancel or No; nothing for an input box or dialog) and is counted as
// unanswered, so that a test can tell an unexpected box from an expected one.
#pragma once

#include "prompt.h"

#include <QList>
#include <QVariant>

#include <deque>

namespace rk::fw {

class ScriptedPrompt : public Prompt {
public:
    struct Asked {
        QString kind; // "message", "choose", "input", "open", "save", "folder", "color",
                      // "font", "print", "printerSetup", "url", "help", "notice"
        QString text; // message text, input label, file filter, address or help topic
        QString caption;
        Icon icon = Icon::None;
        Buttons buttons = Buttons::Ok;
        QStringList choices;
    };

    // Installs itself as the program's prompt; the destructor restores the previous one.
    ScriptedPrompt();
    ~ScriptedPrompt() override;

    // Answers: a Button for message(), an int for choose(), a QString for inputText() and
    // the file dialogs, a QColor, a QFont (or the list of a QFont and a QColor, for a font
    // dialog that offers the colour), a bool for the print dialogs; an invalid QVariant
    // answers "cancelled".
    ScriptedPrompt& answer(const QVariant& value);
    ScriptedPrompt& answer(Button b);

    QList<Asked> asked;
    int unanswered = 0;
    // The texts of the messages asked, in order.
    QStringList messages() const;
    QStringList helpTopics() const;
    // The texts of the notices given (they wait for no answer).
    QStringList notices() const;
    QList<QUrl> urls() const;
    int count(const QString& text) const;
    void clear();
    bool openUrlResult = true;

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

private:
    // The next scripted answer, or nothing when the script has run out.
    std::optional<QVariant> next(const Asked& a);
    std::deque<QVariant> answers_;
    Prompt* previous_;
};

} // namespace rk::fw

Q_DECLARE_METATYPE(rk::fw::Button)
