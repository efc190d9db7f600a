#include "qprinterdevice.h"

#include <QPageLayout>
#include <QPrinter>

#include <algorithm>

namespace rk::print {

namespace {

// A PDF file has no unprintable edge of its own, and Qt gives it 0.14 inch: its pages keep
// the quarter inch that most printers cannot print on, so that a printed PDF loses nothing.
constexpr double kPdfEdgeInches = 0.25;

void keepPdfEdge(QPrinter& printer) {
    if (printer.outputFormat() != QPrinter::PdfFormat) return;
    const QMarginsF m = printer.pageLayout().margins(QPageLayout::Inch);
    const auto atLeast = [](qreal v) { return std::max<qreal>(v, kPdfEdgeInches); };
    if (m.left() >= kPdfEdgeInches && m.top() >= kPdfEdgeInches && m.right() >= kPdfEdgeInches &&
        m.bottom() >= kPdfEdgeInches)
        return;
    printer.setPageMargins(
        QMarginsF(atLeast(m.left()), atLeast(m.top()), atLeast(m.right()), atLeast(m.bottom())),
        QPageLayout::Inch);
}

} // namespace

QPrinterDevice::QPrinterDevice(std::shared_ptr<QPrinter> printer)
    : printer_(printer ? std::move(printer)
                       : std::make_shared<QPrinter>(QPrinter::HighResolution)) {}

QPrinterDevice::~QPrinterDevice() {
    if (isPrinting()) abort();
}

QString QPrinterDevice::name() const {
    if (printer_->outputFormat() == QPrinter::PdfFormat)
        return QStringLiteral("PDF file ") + printer_->outputFileName();
    return printer_->printerName();
}

std::optional<PrinterMetrics> QPrinterDevice::metrics() const {
    if (!printer_->isValid()) return std::nullopt;
    keepPdfEdge(*printer_);
    const QRectF paper = printer_->paperRect(QPrinter::DevicePixel);
    const QRectF page = printer_->pageRect(QPrinter::DevicePixel);
    PrinterMetrics m;
    m.dpiX = printer_->logicalDpiX();
    m.dpiY = printer_->logicalDpiY();
    m.paperWidth = qRound(paper.width());
    m.paperHeight = qRound(paper.height());
    m.offsetLeft = qRound(page.left() - paper.left());
    m.offsetTop = qRound(page.top() - paper.top());
    if (!m.isUsable()) return std::nullopt;
    return m;
}

void QPrinterDevice::setOrientation(TPrinterOrientation orientation) {
    printer_->setPageOrientation(orientation == poLandscape ? QPageLayout::Landscape
                                                            : QPageLayout::Portrait);
}

int QPrinterDevice::copyCount() const {
    return printer_->copyCount();
}

void QPrinterDevice::setCopyCount(int copies) {
    printer_->setCopyCount(copies);
}

bool QPrinterDevice::begin(const QString& jobName) {
    error_.clear();
    if (printer_->outputFormat() == QPrinter::PdfFormat && printer_->outputFileName().isEmpty()) {
        error_ = QStringLiteral("no printer is installed and no PDF file was chosen");
        return false;
    }
    keepPdfEdge(*printer_);
    printer_->setDocName(jobName);
    if (!painter_.begin(printer_.get())) {
        error_ = QStringLiteral("the printer did not accept the job");
        return false;
    }
    return true;
}

bool QPrinterDevice::newPage() {
    if (!printer_->newPage()) {
        error_ = QStringLiteral("the printer did not accept another page");
        return false;
    }
    return true;
}

bool QPrinterDevice::end() {
    if (!painter_.end()) {
        error_ = QStringLiteral("the job could not be completed");
        return false;
    }
    return printer_->printerState() != QPrinter::Error;
}

void QPrinterDevice::abort() {
    printer_->abort();
    if (painter_.isActive()) painter_.end();
}

std::shared_ptr<QPrinterDevice> systemPrinter() {
    static const std::shared_ptr<QPrinterDevice> printer = std::make_shared<QPrinterDevice>();
    return printer;
}

} // namespace rk::print
