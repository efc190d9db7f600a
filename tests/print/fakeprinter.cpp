#include "fakeprinter.h"

#include <QPaintEngine>
#include <QPainterPath>
#include <QTextItem>

#include <algorithm>
#include <cmath>
#include <map>

namespace rk::print::testing {

namespace {

class RecordingEngine : public QPaintEngine {
public:
    explicit RecordingEngine(DrawnPage* out) : QPaintEngine(QPaintEngine::AllFeatures), out_(out) {}
    void setTarget(DrawnPage* out) { out_ = out; }

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    Type type() const override { return QPaintEngine::User; }

    void drawTextItem(const QPointF& p, const QTextItem& item) override {
        if (!out_) return;
        const QTransform t = painter()->combinedTransform();
        const QFont f = item.font();
        const qreal size = f.pixelSize() > 0 ? f.pixelSize() : f.pointSizeF();
        out_->texts.push_back({t.map(p), item.text(), size * std::sqrt(std::abs(t.determinant()))});
    }
    void drawLines(const QLineF* lines, int n) override {
        if (!out_) return;
        const QTransform t = painter()->combinedTransform();
        for (int i = 0; i < n; ++i)
            out_->lines.push_back({t.map(lines[i])});
    }
    void drawLines(const QLine* lines, int n) override {
        for (int i = 0; i < n; ++i) {
            const QLineF l(lines[i]);
            drawLines(&l, 1);
        }
    }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawImage(const QRectF& r, const QImage& image, const QRectF&,
                   Qt::ImageConversionFlags) override {
        if (out_) out_->images.push_back({painter()->combinedTransform().mapRect(r), image.size()});
    }
    // Lines replayed from a picture arrive as two-point polylines.
    void drawPolygon(const QPointF* points, int n, PolygonDrawMode mode) override {
        if (mode != PolylineMode) return;
        for (int i = 0; i + 1 < n; ++i) {
            const QLineF l(points[i], points[i + 1]);
            drawLines(&l, 1);
        }
    }
    void drawPath(const QPainterPath&) override {}
    void drawRects(const QRectF*, int) override {}

private:
    DrawnPage* out_;
};

} // namespace

QStringList DrawnPage::textsInOrder() const {
    std::vector<DrawnText> sorted = texts;
    std::stable_sort(sorted.begin(), sorted.end(), [](const DrawnText& a, const DrawnText& b) {
        if (std::abs(a.pos.y() - b.pos.y()) > 0.5) return a.pos.y() < b.pos.y();
        return a.pos.x() < b.pos.x();
    });
    QStringList out;
    for (const DrawnText& t : sorted)
        out << t.text;
    return out;
}

QStringList DrawnPage::textLines() const {
    std::map<long, std::vector<const DrawnText*>> byLine;
    for (const DrawnText& t : texts)
        byLine[std::lround(t.pos.y())].push_back(&t);
    QStringList out;
    for (auto& [y, items] : byLine) {
        std::sort(items.begin(), items.end(),
                  [](const DrawnText* a, const DrawnText* b) { return a->pos.x() < b->pos.x(); });
        QStringList parts;
        for (const DrawnText* t : items)
            parts << t->text;
        out << parts.join(QLatin1Char(' '));
    }
    return out;
}

bool DrawnPage::hasText(const QString& needle) const {
    return find(needle) != nullptr;
}

const DrawnText* DrawnPage::find(const QString& needle) const {
    for (const DrawnText& t : texts)
        if (t.text == needle) return &t;
    return nullptr;
}

int DrawnPage::count(const QString& needle) const {
    return static_cast<int>(std::count_if(texts.begin(), texts.end(),
                                          [&](const DrawnText& t) { return t.text == needle; }));
}

RecordingDevice::RecordingDevice(int dpiX, int dpiY, QSize sizeDots, DrawnPage* out)
    : dpiX_(dpiX), dpiY_(dpiY), size_(sizeDots), engine_(std::make_unique<RecordingEngine>(out)) {}

RecordingDevice::~RecordingDevice() = default;

QPaintEngine* RecordingDevice::paintEngine() const {
    return engine_.get();
}

void RecordingDevice::setTarget(DrawnPage* out) {
    static_cast<RecordingEngine*>(engine_.get())->setTarget(out);
}

int RecordingDevice::metric(PaintDeviceMetric m) const {
    switch (m) {
    case PdmWidth:
        return size_.width();
    case PdmHeight:
        return size_.height();
    case PdmWidthMM:
        return static_cast<int>(size_.width() * 25.4 / dpiX_);
    case PdmHeightMM:
        return static_cast<int>(size_.height() * 25.4 / dpiY_);
    case PdmNumColors:
        return 1 << 24;
    case PdmDepth:
        return 24;
    case PdmDpiX:
    case PdmPhysicalDpiX:
        return dpiX_;
    case PdmDpiY:
    case PdmPhysicalDpiY:
        return dpiY_;
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return static_cast<int>(devicePixelRatioFScale());
    }
    return 0;
}

DrawnPage playPage(const QPicture& page, int dpiX, int dpiY) {
    DrawnPage out;
    RecordingDevice device(dpiX, dpiY, QSize(20 * dpiX, 20 * dpiY), &out);
    QPainter p(&device);
    p.drawPicture(QPointF(0, 0), page);
    p.end();
    return out;
}

PrinterMetrics letter300() {
    PrinterMetrics m;
    m.dpiX = m.dpiY = 300;
    m.paperWidth = 2550;
    m.paperHeight = 3300;
    m.offsetLeft = m.offsetTop = 75;
    return m;
}

std::optional<PrinterMetrics> FakePrinter::metrics() const {
    if (!answers) return std::nullopt;
    PrinterMetrics m = metrics_;
    if (orientation_ == poLandscape) {
        std::swap(m.paperWidth, m.paperHeight);
        std::swap(m.offsetLeft, m.offsetTop);
    }
    return m;
}

void FakePrinter::setOrientation(TPrinterOrientation o) {
    orientation_ = o;
    events << QStringLiteral("orientation:%1").arg(int(o));
}

void FakePrinter::setCopyCount(int n) {
    copies = n;
    events << QStringLiteral("copies:%1").arg(n);
}

bool FakePrinter::begin(const QString& jobName) {
    if (failBegin) return false;
    events << QStringLiteral("begin:") + jobName;
    printed.clear();
    printed.emplace_back();
    newPages_ = 0;
    device_ = std::make_unique<RecordingDevice>(metrics_.dpiX, metrics_.dpiY,
                                                QSize(metrics_.paperWidth, metrics_.paperHeight),
                                                &printed.back());
    painter_.begin(device_.get());
    printing_ = true;
    return true;
}

bool FakePrinter::newPage() {
    ++newPages_;
    events << QStringLiteral("newPage");
    if (newPages_ == failNewPageAt) return false;
    printed.emplace_back();
    device_->setTarget(&printed.back());
    return true;
}

bool FakePrinter::end() {
    events << QStringLiteral("end");
    painter_.end();
    printing_ = false;
    return true;
}

void FakePrinter::abort() {
    events << QStringLiteral("abort");
    painter_.end();
    printing_ = false;
}

void FakeProgress::start(const QString& caption, const QString& status, bool showCancel,
                         int steps) {
    log_->caption = caption;
    log_->status = status;
    log_->showCancel = showCancel;
    log_->steps = steps;
}

void FakeProgress::step(const QString& pageLine, int position) {
    log_->pageLines << pageLine;
    log_->positions.push_back(position);
}

bool FakeProgress::cancelRequested() const {
    return cancelAfter_ >= 0 && log_->pageLines.size() >= cancelAfter_;
}

} // namespace rk::print::testing
