// The about window: the product's name and version above a box of rolling credits.
#pragma once

#include <QDialog>

namespace rk {

class CreditsScroller;

class AboutWindow : public QDialog {
    Q_OBJECT

public:
    static inline const QString kProductName = QStringLiteral("Reelkeeper98");
    static inline const QString kVersion = QStringLiteral("v3.01");

    explicit AboutWindow(QWidget* parent = nullptr);

    CreditsScroller* credits() const { return credits_; }
    static QStringList defaultCredits();

private:
    CreditsScroller* credits_;
};

} // namespace rk
