// The navigator window: a small tool window of the main window (in front of it, not of
// other programs' windows) with First, Prior, Next, Last, Post and Cancel over the titles.
// Its position comes from section "NavPosition" ("Left", default 323; "Top", default 414)
// of the profile file "RKeeper.ini" and goes back there when it closes; its placement is
// also kept under the settings section "NavPlacement".
#pragma once

#include "navigator.h"
#include "placement.h"

#include <QWidget>

class TForm1;

class TNavForm : public QWidget {
    Q_OBJECT

public:
    explicit TNavForm(TForm1* form1);
    ~TNavForm() override;

    rk::fw::DBNavigator* navigator() const { return DBNavigator1; }
    // The profile file beside the settings.
    static QString profilePath();

    rk::fw::DBNavigator* DBNavigator1 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormClose();

    TForm1* form1_;
    rk::fw::FormStorage* storage_ = nullptr;
};
