// The help window: HTML topics compiled into the program (help/, resource prefix /help),
// one page per topic name, with links between them. Help context numbers map to topics.
#pragma once

#include <QWidget>

class QTextBrowser;
class QToolButton;

namespace rk::fw {

// "MainTopic" for an unknown number.
QString helpTopicForContext(int context);
// The resource path of a topic's page; empty when the program has no such page.
QString helpPagePath(const QString& topic);

class HelpViewer : public QWidget {
    Q_OBJECT

public:
    // The one help window of the program, created on first use; owned by the window of
    // `owner` (when given), which it stays in front of.
    static HelpViewer* instance(QWidget* owner = nullptr);

    explicit HelpViewer(QWidget* parent = nullptr);
    // Shows the window at a topic; an unknown topic shows the contents page.
    void showTopic(const QString& topic);
    QString currentTopic() const;
    QTextBrowser* browser() const { return browser_; }

private:
    QTextBrowser* browser_;
    QToolButton* back_;
    QToolButton* forward_;
    QToolButton* home_;
    bool placed_ = false;
};

} // namespace rk::fw
