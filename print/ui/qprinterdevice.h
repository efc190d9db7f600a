// The program's printers behind the printer seam: a QPrinter (a CUPS printer, or a PDF
// file when Qt prints to one). One printer set-up is shared by all printing.
#pragma once

#include "printerdevice.h"

#include <QPainter>

#include <memory>

class QPrinter;

namespace rk::print {

class QPrinterDevice : public PrinterDevice {
public:
    // nullptr: a new high-resolution QPrinter for the default printer.
    explicit QPrinterDevice(std::shared_ptr<QPrinter> printer = nullptr);
    ~QPrinterDevice() override;

    QPrinter& printer() { return *printer_; }

    QString name() const override;
    std::optional<PrinterMetrics> metrics() const override;
    void setOrientation(TPrinterOrientation orientation) override;
    int copyCount() const override;
    void setCopyCount(int copies) override;
    bool begin(const QString& jobName) override;
    QPainter* painter() override { return &painter_; }
    bool newPage() override;
    bool end() override;
    void abort() override;
    bool isPrinting() const override { return painter_.isActive(); }
    QString lastError() const override { return error_; }

private:
    std::shared_ptr<QPrinter> printer_;
    QPainter painter_;
    QString error_;
};

// The printer set-up shared by every window that prints.
std::shared_ptr<QPrinterDevice> systemPrinter();

} // namespace rk::print
