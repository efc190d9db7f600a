#include "scriptedprompt.h"

namespace rk::fw {

ScriptedPrompt::ScriptedPrompt() : previous_(setPrompt(this)) {}

ScriptedPrompt::~ScriptedPrompt() {
    setPrompt(previous_);
}

ScriptedPrompt& ScriptedPrompt::answer(const QVariant& value) {
    answers_.push_back(value);
    return *this;
}

ScriptedPrompt& ScriptedPrompt::answer(Button b) {
    return answer(QVariant::fromValue(b));
}

std::optional<QVariant> ScriptedPrompt::next(const Asked& a) {
    asked << a;
    if (answers_.empty()) {
        ++unanswered;
        return std::nullopt;
    }
    QVariant v = answers_.front();
    answers_.pop_front();
    return v;
}

QStringList ScriptedPrompt::messages() const {
    QStringList out;
    for (const Asked& a : asked)
        if (a.kind == QLatin1String("message") || a.kind == QLatin1String("choose")) out << a.text;
    return out;
}

QStringList ScriptedPrompt::helpTopics() const {
    QStringList out;
    for (const Asked& a : asked)
        if (a.kind == QLatin1String("help")) out << a.text;
    return out;
}

QStringList ScriptedPrompt::notices() const {
    QStringList out;
    for (const Asked& a : asked)
        if (a.kind == QLatin1String("notice")) out << a.text;
    return out;
}

QList<QUrl> ScriptedPrompt::urls() const {
    QList<QUrl> out;
    for (const Asked& a : asked)
        if (a.kind == QLatin1String("url")) out << QUrl(a.text);
    return out;
}

int ScriptedPrompt::count(const QString& text) const {
    int n = 0;
    for (const Asked& a : asked)
        n += a.text == text ? 1 : 0;
    return n;
}

void ScriptedPrompt::clear() {
    asked.clear();
    answers_.clear();
    unanswered = 0;
}

Button ScriptedPrompt::message(QWidget*, const QString& text, const QString& caption, Icon icon,
                               Buttons buttons) {
    const auto v = next({QStringLiteral("message"), text, caption, icon, buttons, {}});
    if (v && v->canConvert<Button>()) return v->value<Button>();
    if (buttons == Buttons::Ok) return Button::Ok;
    return buttons == Buttons::YesNo ? Button::No : Button::Cancel;
}

int ScriptedPrompt::choose(QWidget*, const QString& text, const QString& caption, Icon icon,
                           const QStringList& buttons) {
    const auto v = next({QStringLiteral("choose"), text, caption, icon, Buttons::Ok, buttons});
    return v && v->isValid() ? v->toInt() : -1;
}

std::optional<QString> ScriptedPrompt::inputText(QWidget*, const QString& caption,
                                                 const QString& label, const QString& value) {
    const auto v =
        next({QStringLiteral("input"), label, caption, Icon::None, Buttons::OkCancel, {value}});
    if (!v || !v->isValid()) return std::nullopt;
    return v->toString();
}

QString ScriptedPrompt::openFileName(QWidget*, const QString& caption, const QString& dir,
                                     const QString& filter) {
    const auto v =
        next({QStringLiteral("open"), filter, caption, Icon::None, Buttons::OkCancel, {dir}});
    return v ? v->toString() : QString();
}

QString ScriptedPrompt::saveFileName(QWidget*, const QString& caption, const QString& dir,
                                     const QString& filter) {
    const auto v =
        next({QStringLiteral("save"), filter, caption, Icon::None, Buttons::OkCancel, {dir}});
    return v ? v->toString() : QString();
}

QString ScriptedPrompt::folderName(QWidget*, const QString& caption, const QString& dir) {
    const auto v =
        next({QStringLiteral("folder"), dir, caption, Icon::None, Buttons::OkCancel, {dir}});
    return v ? v->toString() : QString();
}

std::optional<QColor> ScriptedPrompt::chooseColor(QWidget*, const QColor& initial,
                                                  const QString& caption) {
    const auto v =
        next({QStringLiteral("color"), initial.name(), caption, Icon::None, Buttons::OkCancel, {}});
    if (!v || !v->canConvert<QColor>()) return std::nullopt;
    return v->value<QColor>();
}

std::optional<QFont> ScriptedPrompt::chooseFont(QWidget*, const QFont& initial,
                                                const QString& caption,
                                                const FontOptions& options) {
    const auto v = next(
        {QStringLiteral("font"), initial.toString(), caption, Icon::None, Buttons::OkCancel, {}});
    if (!v) return std::nullopt;
    // A list answers with a font and a colour.
    if (v->typeId() == QMetaType::QVariantList) {
        const QVariantList both = v->toList();
        if (both.size() != 2 || !both[0].canConvert<QFont>()) return std::nullopt;
        if (options.color) *options.color = both[1].value<QColor>();
        return both[0].value<QFont>();
    }
    if (!v->canConvert<QFont>()) return std::nullopt;
    return v->value<QFont>();
}

bool ScriptedPrompt::printDialog(QWidget*, QPrinter*) {
    const auto v =
        next({QStringLiteral("print"), QString(), QString(), Icon::None, Buttons::OkCancel, {}});
    return v && v->toBool();
}

bool ScriptedPrompt::printerSetup(QWidget*, QPrinter*) {
    const auto v = next(
        {QStringLiteral("printerSetup"), QString(), QString(), Icon::None, Buttons::OkCancel, {}});
    return v && v->toBool();
}

bool ScriptedPrompt::openUrl(const QUrl& url) {
    asked << Asked{QStringLiteral("url"), url.toString(), QString(), Icon::None, Buttons::Ok, {}};
    return openUrlResult;
}

void ScriptedPrompt::showHelp(QWidget*, const QString& topic) {
    asked << Asked{QStringLiteral("help"), topic, QString(), Icon::None, Buttons::Ok, {}};
}

void ScriptedPrompt::notify(QWidget*, const QString& text, const QString& caption, Icon icon) {
    asked << Asked{QStringLiteral("notice"), text, caption, icon, Buttons::Ok, {}};
}

} // namespace rk::fw
