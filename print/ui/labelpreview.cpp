#include "labelpreview.h"

#include "labelprint.h"
#include "previewpainter.h"
#include "tpageprinter.h"

#include <QDialogButtonBox>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace rk::print {

// The page printer's preview of the label's page, fitted to the view, with the sheet's
// label outlines over it.
class LabelSheetView : public TPagePrinter {
public:
    LabelSheetView(std::shared_ptr<PrinterDevice> printer, QWidget* parent)
        : TPagePrinter(std::move(printer), parent) {
        setObjectName(QStringLiteral("LabelSheetView"));
        SetShowMargins(false);
        SetShowProgress(false);
    }

    void setLabel(LabelSheet sheet, const LabelMargins& margins) {
        sheet_ = sheet;
        margins_ = margins;
        ZoomToPage();
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        TPagePrinter::paintEvent(event);
        QPainter p(viewport());
        p.setRenderHint(QPainter::Antialiasing);
        const PreviewScene scene = previewScene(
            *this, viewport()->size(),
            QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value()), ScreenDpi());
        paintLabelOutlines(p, scene, sheet_, margins_);
    }
    void resizeEvent(QResizeEvent* event) override {
        TPagePrinter::resizeEvent(event);
        ZoomToPage();
    }

private:
    LabelSheet sheet_ = LabelSheet::Face;
    LabelMargins margins_;
};

LabelPreview::LabelPreview(std::shared_ptr<PrinterDevice> printer, QWidget* parent)
    : QDialog(parent), view_(new LabelSheetView(std::move(printer), this)) {
    setObjectName(QStringLiteral("LabelPreview"));
    setWindowTitle(QStringLiteral("Label Preview"));
    view_->setMinimumSize(420, 540);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* print = buttons->addButton(QStringLiteral("Print"), QDialogButtonBox::AcceptRole);
    print->setObjectName(QStringLiteral("butPrint"));
    QPushButton* close = buttons->addButton(QStringLiteral("Close"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("butClose"));
    close->setDefault(true);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(print, &QPushButton::clicked, this, [this] {
        accept();
        if (print_) print_();
    });
    auto* column = new QVBoxLayout(this);
    column->addWidget(view_, 1);
    column->addWidget(buttons);
    resize(560, 720);
}

void LabelPreview::showLabel(const QTextDocument& text, const QColor& textColor, LabelSheet sheet,
                             const LabelMargins& margins) {
    setUpLabelEngine(*view_);
    view_->SetShowProgress(false);
    layOutLabel(*view_, margins, text, textColor);
    view_->setLabel(sheet, margins);
}

} // namespace rk::print
