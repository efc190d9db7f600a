#include "printersetup.h"

#include "prompt.h"

#include <QPageLayout>
#include <QPrinter>

namespace rk::print {

PrinterSetup::PrinterSetup() : device_(systemPrinter()) {}

PrinterSetup& PrinterSetup::shared() {
    static PrinterSetup setup;
    return setup;
}

bool PrinterSetup::runSetup(QWidget* owner) {
    return fw::prompt().printerSetup(owner, &printer());
}

QPageSize PrinterSetup::paper() const {
    return device_->printer().pageLayout().pageSize();
}

double PrinterSetup::offsetInches() const {
    const std::optional<PrinterMetrics> m = device_->metrics();
    if (!m || m->dpiX <= 0) return 0.25;
    return double(m->offsetLeft) / m->dpiX;
}

} // namespace rk::print
