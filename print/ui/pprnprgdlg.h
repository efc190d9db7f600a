// TPPPrnPrgDlg: the window shown while the page printer sends pages to the printer: the
// document title as caption, a status line, the page line ("Page 2 of 3 x 2 Copies"), a
// progress bar over all pages of all copies, and Cancel.
#pragma once

#include "printprogress.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace rk::print {

class TPPPrnPrgDlg : public QDialog, public PrintProgress {
public:
    explicit TPPPrnPrgDlg(QWidget* parent = nullptr);

    void start(const QString& caption, const QString& status, bool showCancel, int steps) override;
    void step(const QString& pageLine, int position) override;
    bool cancelRequested() const override { return cancelled_; }
    void finish() override;

    QLabel* statusLine() const { return status_; }
    QLabel* pageLine() const { return page_; }
    QProgressBar* progressBar() const { return bar_; }
    QPushButton* cancelButton() const { return cancel_; }

    // Window heights at 96 pixels per inch, with and without the Cancel button.
    static constexpr int kHeight = 132;
    static constexpr int kHeightWithoutCancel = 98;

    // Escape and closing the window count as Cancel while Cancel is offered.
    void reject() override;

private:
    QLabel* status_;
    QLabel* page_;
    QProgressBar* bar_;
    QPushButton* cancel_;
    bool cancelled_ = false;
};

} // namespace rk::print
