// The preview of a label on its sheet: the whole page as the printer will print it, the
// label's text at its position, drawn over the outlines of the sheet's other labels, so
// that the position can be checked before a sheet is spent.
#pragma once

#include "labellayout.h"

#include <QDialog>

#include <functional>
#include <memory>

class QTextDocument;

namespace rk::print {

class PrinterDevice;
class LabelSheetView;

class LabelPreview : public QDialog {
    Q_OBJECT

public:
    // Lays the text out at `margins` on `printer`'s page; `print` runs when the user
    // presses "Print" (the preview closes first).
    LabelPreview(std::shared_ptr<PrinterDevice> printer, QWidget* parent = nullptr);

    // Throws EPagePrinter when the text cannot be laid out (no room between the margins).
    void showLabel(const QTextDocument& text, const QColor& textColor, LabelSheet sheet,
                   const LabelMargins& margins);
    void setPrintAction(std::function<void()> print) { print_ = std::move(print); }

    LabelSheetView* view() const { return view_; }

private:
    LabelSheetView* view_;
    std::function<void()> print_;
};

} // namespace rk::print
