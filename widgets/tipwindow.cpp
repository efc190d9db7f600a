#include "tipwindow.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

namespace rk {

namespace {

// A light bulb, the usual sign of a hint.
QPixmap bulbPicture(qreal ratio) {
    const QSize size(40, 52);
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient glass(QPointF(16, 15), 20);
    glass.setColorAt(0, QColor(0xff, 0xfb, 0xeb));
    glass.setColorAt(0.6, QColor(0xfd, 0xe6, 0x8a));
    glass.setColorAt(1, QColor(0xf5, 0x9e, 0x0b));
    QPainterPath bulb;
    bulb.addEllipse(QPointF(20, 18), 15, 15);
    QPainterPath neck;
    neck.moveTo(11, 28);
    neck.lineTo(29, 28);
    neck.lineTo(26, 37);
    neck.lineTo(14, 37);
    neck.closeSubpath();
    p.setPen(QPen(QColor(0xb4, 0x53, 0x09), 1.5));
    p.setBrush(glass);
    p.drawPath(bulb.united(neck));
    p.setPen(QPen(QColor(0xb4, 0x53, 0x09), 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF(
        {QPointF(16, 30), QPointF(18, 22), QPointF(20, 26), QPointF(22, 22), QPointF(24, 30)}));
    QLinearGradient metal(QPointF(14, 0), QPointF(26, 0));
    metal.setColorAt(0, QColor(0x94, 0xa3, 0xb8));
    metal.setColorAt(0.5, QColor(0xf1, 0xf5, 0xf9));
    metal.setColorAt(1, QColor(0x64, 0x74, 0x8b));
    p.setPen(QPen(QColor(0x47, 0x55, 0x69), 1));
    p.setBrush(metal);
    p.drawRoundedRect(QRectF(14, 37, 12, 9), 2, 2);
    p.drawLine(QPointF(14, 40), QPointF(26, 40));
    p.drawLine(QPointF(14, 43), QPointF(26, 43));
    p.setBrush(QColor(0x47, 0x55, 0x69));
    p.drawRoundedRect(QRectF(17, 46, 6, 3), 1.5, 1.5);
    return pixmap;
}

} // namespace

TipWindow::TipWindow(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Welcome"));

    auto* bulb = new QLabel(this);
    bulb->setPixmap(bulbPicture(devicePixelRatioF()));
    bulb->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    bulb->setContentsMargins(4, 6, 10, 0);

    auto* heading = new QLabel(QStringLiteral("Welcome to Reelkeeper98"), this);
    QFont headingFont = heading->font();
    headingFont.setPointSizeF(headingFont.pointSizeF() * 1.45);
    headingFont.setBold(true);
    heading->setFont(headingFont);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("tipPanel"));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setAutoFillBackground(true);
    QPalette panelPalette = panel->palette();
    panelPalette.setColor(QPalette::Window, panelPalette.color(QPalette::Base));
    panel->setPalette(panelPalette);
    tipLabel_ = new QLabel(panel);
    tipLabel_->setWordWrap(true);
    tipLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    tipLabel_->setTextFormat(Qt::PlainText);
    tipLabel_->setMinimumSize(320, 110);
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(14, 12, 14, 12);
    panelLayout->addWidget(tipLabel_);

    auto* text = new QVBoxLayout;
    text->setSpacing(10);
    text->addWidget(heading);
    text->addWidget(panel, 1);
    auto* top = new QHBoxLayout;
    top->addWidget(bulb);
    top->addLayout(text, 1);

    showBox_ = new QCheckBox(QStringLiteral("Continue showing these Tips on Startup"), this);
    nextButton_ = new QPushButton(QStringLiteral("Next Tip"), this);
    okButton_ = new QPushButton(QStringLiteral("Ok"), this);
    okButton_->setDefault(true);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(showBox_);
    bottom->addStretch(1);
    bottom->addWidget(nextButton_);
    bottom->addWidget(okButton_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 14);
    layout->setSpacing(14);
    layout->addLayout(top, 1);
    layout->addLayout(bottom);

    connect(nextButton_, &QPushButton::clicked, this, &TipWindow::showNextTip);
    connect(okButton_, &QPushButton::clicked, this, &TipWindow::finishWithOk);
}

void TipWindow::setLines(const QStringList& lines) {
    tips_ = TipList(lines);
    showBox_->setChecked(tips_.showAtStartup());
    showCurrent();
}

QString TipWindow::shownTip() const {
    return tipLabel_->text();
}

void TipWindow::showNextTip() {
    tips_.nextTip();
    showCurrent();
}

void TipWindow::finishWithOk() {
    tips_.finish(showBox_->isChecked());
    accept();
}

void TipWindow::showCurrent() {
    tipLabel_->setText(tips_.currentTip());
}

} // namespace rk
