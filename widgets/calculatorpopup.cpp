#include "calculatorpopup.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace rk {

namespace {

const QString kBackspace = QString(QChar(0x2190));
const QString kTimes = QString(QChar(0x00D7));
const QString kDivide = QString(QChar(0x00F7));
const QString kMinus = QString(QChar(0x2212));
const QString kSign = QString(QChar(0x00B1));

} // namespace

CalculatorPopup::CalculatorPopup(QWidget* parent) : QFrame(parent, Qt::Popup) {
    setFrameShape(QFrame::StyledPanel);
    display_ = new QLabel(this);
    display_->setObjectName(QStringLiteral("display"));
    display_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    display_->setFrameShape(QFrame::StyledPanel);
    display_->setAutoFillBackground(true);
    display_->setBackgroundRole(QPalette::Base);
    display_->setMinimumHeight(30);
    display_->setContentsMargins(6, 0, 6, 0);
    QFont big = display_->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    display_->setFont(big);

    const QStringList rows[] = {
        {QStringLiteral("C"), QStringLiteral("CE"), kBackspace, kDivide},
        {QStringLiteral("7"), QStringLiteral("8"), QStringLiteral("9"), kTimes},
        {QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("6"), kMinus},
        {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("+")},
        {kSign, QStringLiteral("0"), QStringLiteral("."), QStringLiteral("=")},
    };
    auto* grid = new QGridLayout(this);
    grid->setSpacing(3);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->addWidget(display_, 0, 0, 1, 4);
    auto addKey = [&](const QString& caption, int row, int column, int span) {
        auto* button = new QPushButton(caption, this);
        button->setObjectName(QStringLiteral("key ") + caption);
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoDefault(false);
        button->setMinimumSize(34, 28);
        grid->addWidget(button, row, column, 1, span);
        connect(button, &QPushButton::clicked, this, [this, caption] { pressKey(caption); });
    };
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 4; ++c)
            addKey(rows[r].at(c), r + 1, c, 1);
    addKey(QStringLiteral("%"), 6, 0, 1);
    addKey(QStringLiteral("OK"), 6, 1, 3);
    refresh();
}

QPushButton* CalculatorPopup::key(const QString& caption) const {
    return findChild<QPushButton*>(QStringLiteral("key ") + caption);
}

void CalculatorPopup::setValue(double value) {
    calculator_.setValue(value);
    refresh();
}

void CalculatorPopup::popupAt(const QPoint& globalPosition) {
    adjustSize();
    QRect frame(globalPosition, sizeHint());
    if (QScreen* screen = QGuiApplication::screenAt(globalPosition)) {
        const QRect area = screen->availableGeometry();
        if (frame.right() > area.right()) frame.moveRight(area.right());
        if (frame.bottom() > area.bottom()) frame.moveBottom(area.bottom());
        frame.moveTopLeft(
            QPoint(std::max(frame.left(), area.left()), std::max(frame.top(), area.top())));
    }
    move(frame.topLeft());
    show();
}

void CalculatorPopup::accept() {
    calculator_.equals();
    refresh();
    if (calculator_.hasError()) return;
    emit valueAccepted(calculator_.value());
    hide();
}

void CalculatorPopup::pressKey(const QString& caption) {
    if (caption == QLatin1String("OK")) {
        accept();
        return;
    }
    if (caption == QLatin1String("CE"))
        calculator_.clearEntry();
    else if (caption == kBackspace)
        calculator_.backspace();
    else if (caption == kSign)
        calculator_.negate();
    else if (caption == kTimes)
        calculator_.op(Calculator::Op::Multiply);
    else if (caption == kDivide)
        calculator_.op(Calculator::Op::Divide);
    else if (caption == kMinus)
        calculator_.op(Calculator::Op::Subtract);
    else
        calculator_.press(caption.at(0));
    refresh();
}

void CalculatorPopup::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        accept();
        return;
    case Qt::Key_Escape:
        hide();
        return;
    case Qt::Key_Backspace:
        calculator_.backspace();
        break;
    case Qt::Key_Delete:
        calculator_.clearEntry();
        break;
    default:
        if (event->text().isEmpty() || !calculator_.press(event->text().at(0))) {
            QFrame::keyPressEvent(event);
            return;
        }
    }
    refresh();
}

void CalculatorPopup::refresh() {
    display_->setText(calculator_.display());
}

} // namespace rk
