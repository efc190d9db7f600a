// The tip-of-the-day window (caption "Welcome"). It works on the lines of the tip file, which
// the caller reads before showing it and writes back after Ok:
//
//     rk::TipWindow tips(mainWindow);
//     tips.setLines(rk::readCp1252Lines("tod.dat"));
//     if (tips.exec() == QDialog::Accepted) rk::writeCp1252Lines("tod.dat", tips.lines());
//
// "Next Tip" shows the next tip; "Ok" sets the flag line from the check box, turns the list
// once more and closes the window with Accepted.
#pragma once

#include "tiplist.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

namespace rk {

class TipWindow : public QDialog {
    Q_OBJECT

public:
    explicit TipWindow(QWidget* parent = nullptr);

    // Shows the current tip and ticks the box when the flag line is "1".
    void setLines(const QStringList& lines);
    QStringList lines() const { return tips_.lines(); }

    QString shownTip() const;
    QCheckBox* showOnStartupBox() const { return showBox_; }
    QPushButton* nextTipButton() const { return nextButton_; }
    QPushButton* okButton() const { return okButton_; }

public slots:
    void showNextTip();
    void finishWithOk();

private:
    void showCurrent();

    TipList tips_;
    QLabel* tipLabel_;
    QCheckBox* showBox_;
    QPushButton* nextButton_;
    QPushButton* okButton_;
};

} // namespace rk
