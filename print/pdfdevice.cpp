#include "pdfdevice.h"

#include <QFile>
#include <QMarginsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

namespace rk::print {

namespace {
QPageLayout layoutFor(const QPageSize& paper, TPrinterOrientation o, double offsetInches) {
    const double m = offsetInches;
    return QPageLayout(paper, o == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(m, m, m, m), QPageLayout::Inch);
}
} // namespace

PdfDevice::PdfDevice(QString fileName, QPageSize paper, double offsetInches, int dpi)
    : fileName_(std::move(fileName)), paper_(std::move(paper)), offsetInches_(offsetInches),
      dpi_(dpi) {}

PdfDevice::~PdfDevice() {
    if (isPrinting()) abort();
}

QString PdfDevice::name() const {
    return QStringLiteral("PDF file ") + fileName_;
}

std::optional<PrinterMetrics> PdfDevice::metrics() const {
    const QPageLayout layout = layoutFor(paper_, orientation_, offsetInches_);
    const QRect full = layout.fullRectPixels(dpi_);
    const QRect paint = layout.paintRectPixels(dpi_);
    PrinterMetrics m;
    m.dpiX = m.dpiY = dpi_;
    m.paperWidth = full.width();
    m.paperHeight = full.height();
    m.offsetLeft = paint.left();
    m.offsetTop = paint.top();
    if (!m.isUsable()) return std::nullopt;
    return m;
}

void PdfDevice::setOrientation(TPrinterOrientation orientation) {
    orientation_ = orientation;
}

bool PdfDevice::begin(const QString& jobName) {
    if (isPrinting()) {
        error_ = QStringLiteral("A print job is already running");
        return false;
    }
    error_.clear();
    // QPdfWriter opens its file only when painting starts; check first that it can.
    QFile probe(fileName_);
    if (!probe.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        error_ = QStringLiteral("Unable to write %1: %2").arg(fileName_, probe.errorString());
        return false;
    }
    probe.close();
    writer_ = std::make_unique<QPdfWriter>(fileName_);
    writer_->setResolution(dpi_);
    writer_->setPageLayout(layoutFor(paper_, orientation_, offsetInches_));
    writer_->setTitle(jobName);
    writer_->setCreator(QStringLiteral("Reelkeeper"));
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(writer_.get())) {
        painter_.reset();
        writer_.reset();
        error_ = QStringLiteral("Unable to write %1").arg(fileName_);
        return false;
    }
    return true;
}

QPainter* PdfDevice::painter() {
    return painter_.get();
}

bool PdfDevice::newPage() {
    return writer_ && writer_->newPage();
}

bool PdfDevice::end() {
    if (!painter_) return false;
    const bool ok = painter_->end();
    painter_.reset();
    writer_.reset();
    if (!ok) error_ = QStringLiteral("Unable to finish %1").arg(fileName_);
    return ok;
}

void PdfDevice::abort() {
    if (!painter_) return;
    painter_->end();
    painter_.reset();
    writer_.reset();
    QFile::remove(fileName_);
}

} // namespace rk::print
