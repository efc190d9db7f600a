// A PDF file as a printer: letter or A4 paper (or any QPageSize), an unprintable strip
// of a chosen width on every side, high resolution.
#pragma once

#include "printerdevice.h"

#include <QPageSize>

#include <memory>

class QPdfWriter;

namespace rk::print {

class PdfDevice : public PrinterDevice {
public:
    explicit PdfDevice(QString fileName, QPageSize paper = QPageSize(QPageSize::Letter),
                       double offsetInches = 0.25, int dpi = 1200);
    ~PdfDevice() override;

    const QString& fileName() const { return fileName_; }

    QString name() const override;
    std::optional<PrinterMetrics> metrics() const override;
    void setOrientation(TPrinterOrientation orientation) override;
    int copyCount() const override { return copies_; }
    void setCopyCount(int copies) override { copies_ = copies; }
    bool begin(const QString& jobName) override;
    QPainter* painter() override;
    bool newPage() override;
    bool end() override;
    void abort() override;
    bool isPrinting() const override { return painter_ != nullptr; }
    QString lastError() const override { return error_; }

private:
    QString fileName_;
    QPageSize paper_;
    double offsetInches_;
    int dpi_;
    TPrinterOrientation orientation_ = poPortrait;
    int copies_ = 1;
    QString error_;
    std::unique_ptr<QPdfWriter> writer_;
    std::unique_ptr<QPainter> painter_;
};

} // namespace rk::print
