#include "mnemonics.h"

#include <QAbstractButton>
#include <QEvent>
#include <QLabel>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolButton>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <vector>

namespace rk::fw {

namespace {

struct Control {
    QWidget* widget;
    QString caption;
    QWidget* page; // nullptr: shown with every page
};

void setCaption(QWidget* w, const QString& caption) {
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        b->setText(caption);
    else
        static_cast<QLabel*>(w)->setText(caption);
}

// The page of a tab widget that holds `w` (nullptr: none).
QWidget* pageOf(QWidget* w, QWidget* window) {
    for (QWidget* p = w->parentWidget(); p && p != window; p = p->parentWidget())
        if (qobject_cast<QStackedWidget*>(p->parentWidget()) &&
            qobject_cast<QTabWidget*>(p->parentWidget()->parentWidget()))
            return p;
    return nullptr;
}

std::vector<Control> controlsOf(QWidget* window) {
    std::vector<Control> out;
    for (QAbstractButton* b : window->findChildren<QAbstractButton*>()) {
        const QString text = b->text();
        if (text.isEmpty() || b->window() != window || text == QLatin1String("...")) continue;
        if (qobject_cast<QToolButton*>(b) && text.size() <= 1) continue;
        out.push_back({b, text, pageOf(b, window)});
    }
    for (QLabel* l : window->findChildren<QLabel*>())
        if (l->buddy() && l->window() == window && l->textFormat() != Qt::RichText)
            out.push_back({l, l->text(), pageOf(l, window)});
    return out;
}

// The caption without its mnemonic marker ("&&" stays).
QString withoutMnemonic(const QString& caption) {
    QString out;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && i + 1 < caption.size()) {
            if (caption[i + 1] == QLatin1Char('&')) out += caption[i++];
            continue;
        }
        out += caption[i];
    }
    return out;
}

// The positions in `plain` of the letters it may take, the starts of words first.
std::vector<qsizetype> candidates(const QString& plain) {
    std::vector<qsizetype> out;
    for (int pass = 0; pass < 2; ++pass)
        for (qsizetype i = 0; i < plain.size(); ++i) {
            if (!plain[i].isLetterOrNumber()) continue;
            const bool wordStart = i == 0 || !plain[i - 1].isLetterOrNumber();
            if (wordStart == (pass == 0)) out.push_back(i);
        }
    return out;
}

// `plain` with the mnemonic marker before position `at`, its ampersands written "&&".
QString marked(const QString& plain, qsizetype at) {
    QString out;
    for (qsizetype j = 0; j < plain.size(); ++j) {
        if (j == at) out += QLatin1Char('&');
        out += plain[j];
        if (plain[j] == QLatin1Char('&')) out += QLatin1Char('&');
    }
    return out;
}

// Gives each caption a letter none of `taken` has and no other of them has, as many as can
// be (a matching of captions to letters, each caption trying its word starts first); the
// positions chosen, -1 for a caption left without.
std::vector<qsizetype> chooseLetters(const std::vector<QString>& plains,
                                     const std::set<QString>& taken) {
    const size_t n = plains.size();
    std::vector<std::vector<qsizetype>> options(n);
    for (size_t i = 0; i < n; ++i)
        for (const qsizetype at : candidates(plains[i]))
            if (!taken.count(plains[i].mid(at, 1).toUpper())) options[i].push_back(at);
    std::map<QString, size_t> owner; // letter: the caption that has it
    std::vector<qsizetype> chosen(n, -1);
    std::function<bool(size_t, std::set<QString>&)> place = [&](size_t i, std::set<QString>& seen) {
        for (const qsizetype at : options[i]) {
            const QString key = plains[i].mid(at, 1).toUpper();
            if (!seen.insert(key).second) continue;
            const auto it = owner.find(key);
            if (it == owner.end() || place(it->second, seen)) {
                owner[key] = i;
                chosen[i] = at;
                return true;
            }
        }
        return false;
    };
    for (size_t i = 0; i < n; ++i) {
        std::set<QString> seen;
        place(i, seen);
    }
    return chosen;
}

class Keeper : public QObject {
public:
    explicit Keeper(QWidget* window) : QObject(window) { window->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched == parent())
            assignMnemonics(static_cast<QWidget*>(watched));
        return false;
    }
};

} // namespace

QString mnemonicOf(const QString& caption) {
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != QLatin1Char('&')) continue;
        if (caption[i + 1] == QLatin1Char('&')) {
            ++i;
            continue;
        }
        return caption.mid(i + 1, 1).toUpper();
    }
    return {};
}

void assignMnemonics(QWidget* window) {
    const std::vector<Control> controls = controlsOf(window);
    // Letters kept, per page (nullptr: outside the pages); a letter outside the pages is
    // taken on every page, and one on any page is taken outside them.
    std::map<QWidget*, std::set<QString>> taken;
    std::vector<const Control*> missing;
    auto clashes = [&](const QString& key, QWidget* page) {
        if (taken[nullptr].count(key)) return true;
        if (page) return taken[page].count(key) > 0;
        for (const auto& [p, keys] : taken)
            if (keys.count(key)) return true;
        return false;
    };
    // Outside the pages first: those letters hold everywhere.
    for (const bool outside : {true, false})
        for (const Control& c : controls) {
            if ((c.page == nullptr) != outside) continue;
            const QString key = mnemonicOf(c.caption);
            if (key.isEmpty() || clashes(key, c.page))
                missing.push_back(&c);
            else
                taken[c.page].insert(key);
        }
    // Outside the pages first, then each page with the letters left to it.
    std::vector<QWidget*> scopes{nullptr};
    for (const Control* c : missing)
        if (c->page && std::find(scopes.begin(), scopes.end(), c->page) == scopes.end())
            scopes.push_back(c->page);
    for (QWidget* scope : scopes) {
        std::set<QString> used = taken[nullptr];
        for (const auto& [p, keys] : taken)
            if (!scope || p == scope) used.insert(keys.begin(), keys.end());
        std::vector<const Control*> these;
        std::vector<QString> plains;
        for (const Control* c : missing)
            if (c->page == scope) {
                these.push_back(c);
                plains.push_back(withoutMnemonic(c->caption));
            }
        const std::vector<qsizetype> at = chooseLetters(plains, used);
        for (size_t i = 0; i < these.size(); ++i) {
            if (at[i] < 0) continue;
            taken[scope].insert(plains[i].mid(at[i], 1).toUpper());
            setCaption(these[i]->widget, marked(plains[i], at[i]));
        }
    }
}

void keepMnemonics(QWidget* window) {
    assignMnemonics(window);
    new Keeper(window);
}

} // namespace rk::fw
