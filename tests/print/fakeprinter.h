// Test doubles for the page printer: a paint device that records what is drawn on it
// (texts with their positions, lines), a printer that prints onto such devices and logs
// its job operations, and a progress window that remembers what it was told.
#pragma once

#include "pagetypes.h"
#include "printerdevice.h"
#include "printprogress.h"

#include <QFont>
#include <QLineF>
#include <QPaintDevice>
#include <QPainter>
#include <QPicture>
#include <QPointF>
#include <QStringList>

#include <memory>
#include <vector>

#include <ostream>

// Readable QStrings in test failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace rk::print::testing {

struct DrawnText {
    QPointF pos; // baseline start, device dots
    QString text;
    qreal pixelSize = 0; // the font's size in device dots
};

struct DrawnLine {
    QLineF line; // device dots
};

struct DrawnImage {
    QRectF rect; // device dots
    QSize pixels;
};

struct DrawnPage {
    std::vector<DrawnText> texts;
    std::vector<DrawnLine> lines;
    std::vector<DrawnImage> images;

    // Every text, top to bottom and left to right.
    QStringList textsInOrder() const;
    // All texts joined in reading order, one string per baseline.
    QStringList textLines() const;
    bool hasText(const QString& needle) const;
    const DrawnText* find(const QString& needle) const;
    int count(const QString& needle) const;
};

// A paint device of a given resolution that records into a DrawnPage.
class RecordingDevice : public QPaintDevice {
public:
    RecordingDevice(int dpiX, int dpiY, QSize sizeDots, DrawnPage* out);
    ~RecordingDevice() override;
    QPaintEngine* paintEngine() const override;
    void setTarget(DrawnPage* out);

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    int dpiX_, dpiY_;
    QSize size_;
    std::unique_ptr<QPaintEngine> engine_;
};

// Replays a recorded page on a device of the given resolution.
DrawnPage playPage(const QPicture& page, int dpiX, int dpiY);

// Metrics of a 300 dpi letter printer with 0.25 inch offsets.
PrinterMetrics letter300();

class FakePrinter : public PrinterDevice {
public:
    explicit FakePrinter(PrinterMetrics m = letter300()) : metrics_(m) {}

    // What happened, in order: "begin:<job>", "newPage", "end", "abort",
    // "copies:<n>", "orientation:<0|1>".
    QStringList events;
    std::vector<DrawnPage> printed; // one entry per printed page, in order
    bool answers = true;            // false: metrics() gives nothing
    bool failBegin = false;
    int failNewPageAt = -1; // newPage() number (from 1) that fails
    int copies = 4;

    QString name() const override { return QStringLiteral("fake printer"); }
    std::optional<PrinterMetrics> metrics() const override;
    void setOrientation(TPrinterOrientation o) override;
    int copyCount() const override { return copies; }
    void setCopyCount(int n) override;
    bool begin(const QString& jobName) override;
    QPainter* painter() override { return &painter_; }
    bool newPage() override;
    bool end() override;
    void abort() override;
    bool isPrinting() const override { return printing_; }
    QString lastError() const override { return QStringLiteral("fake failure"); }
    bool needsText() const override { return true; } // the tests read the texts drawn

    PrinterMetrics& rawMetrics() { return metrics_; }

private:
    PrinterMetrics metrics_;
    TPrinterOrientation orientation_ = poPortrait;
    std::unique_ptr<RecordingDevice> device_;
    QPainter painter_;
    bool printing_ = false;
    int newPages_ = 0;
};

class FakeProgress : public PrintProgress {
public:
    struct Log {
        QString caption, status;
        bool showCancel = false;
        int steps = 0;
        QStringList pageLines;
        std::vector<int> positions;
        bool finished = false;
    };
    // `cancelAfter`: the number of steps after which Cancel counts as pressed (-1: never).
    FakeProgress(std::shared_ptr<Log> log, int cancelAfter = -1)
        : log_(std::move(log)), cancelAfter_(cancelAfter) {}
    void start(const QString& caption, const QString& status, bool showCancel, int steps) override;
    void step(const QString& pageLine, int position) override;
    bool cancelRequested() const override;
    void finish() override { log_->finished = true; }

private:
    std::shared_ptr<Log> log_;
    int cancelAfter_;
};

} // namespace rk::print::testing
