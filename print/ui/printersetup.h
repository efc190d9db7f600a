// The printer set-up shared by every window that prints: one QPrinter (its printer, paper,
// orientation, resolution) for the whole run, the page printer's device over it, and the
// printer setup dialog, asked through the prompt seam so that tests answer it.
#pragma once

#include "qprinterdevice.h"

#include <QPageSize>

#include <memory>

class QPrinter;
class QWidget;

namespace rk::print {

class PrinterSetup {
public:
    // The one set-up of the program.
    static PrinterSetup& shared();

    QPrinter& printer() { return device_->printer(); }
    // What a page printer engine prints on (see PageEngine::SetPrinter).
    std::shared_ptr<QPrinterDevice> device() const { return device_; }

    // The printer setup dialog on the shared printer; true when the user confirmed it.
    bool runSetup(QWidget* owner);

    // The paper chosen and its unprintable strip (inches; right and bottom taken equal),
    // for output that imitates the printer, such as a PDF file of the same page.
    QPageSize paper() const;
    double offsetInches() const;

private:
    PrinterSetup();
    std::shared_ptr<QPrinterDevice> device_;
};

} // namespace rk::print
