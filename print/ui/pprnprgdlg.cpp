#include "pprnprgdlg.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace rk::print {

TPPPrnPrgDlg::TPPPrnPrgDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TPPPrnPrgDlg"));
    setWindowModality(Qt::ApplicationModal);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("lblStatus"));
    page_ = new QLabel(this);
    page_->setObjectName(QStringLiteral("lblPage"));
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("ProgressBar1"));
    bar_->setTextVisible(false);
    cancel_ = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel_->setObjectName(QStringLiteral("btnCancel"));
    connect(cancel_, &QPushButton::clicked, this, [this] { cancelled_ = true; });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(status_);
    layout->addWidget(page_);
    layout->addWidget(bar_);
    layout->addWidget(cancel_, 0, Qt::AlignHCenter);
}

void TPPPrnPrgDlg::start(const QString& caption, const QString& status, bool showCancel,
                         int steps) {
    cancelled_ = false;
    setWindowTitle(caption);
    status_->setText(status);
    page_->clear();
    bar_->setRange(0, std::max(1, steps));
    bar_->setValue(0);
    cancel_->setVisible(showCancel);
    const qreal scale = logicalDpiY() / 96.0;
    setFixedSize(qRound(320 * scale),
                 qRound((showCancel ? kHeight : kHeightWithoutCancel) * scale));
    show();
}

void TPPPrnPrgDlg::step(const QString& pageLine, int position) {
    page_->setText(pageLine);
    bar_->setValue(position);
}

void TPPPrnPrgDlg::finish() {
    hide();
}

void TPPPrnPrgDlg::reject() {
    if (!cancel_->isHidden()) cancelled_ = true; // without Cancel the run cannot be stopped
}

} // namespace rk::print
