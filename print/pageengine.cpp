// Settings, geometry and the view side of the page printer engine.
#include "pageengine.h"

#include "datetimetext.h"
#include "previewgeometry.h"
#include "tableformat.h"
#include "units.h"

#include <QFileInfo>

#include <cmath>

namespace rk::print {

namespace {
QFont defaultTextFont() {
    QFont f(QStringLiteral("Courier New"));
    f.setStyleHint(QFont::TypeWriter); // any monospaced face where Courier New is missing
    f.setPointSizeF(10);
    return f;
}

// Point sizes beyond this are refused as absurd.
constexpr double kMaxFontPoints = 1000;

void checkFont(const QFont& f) {
    const double pt = f.pointSizeF() > 0 ? f.pointSizeF() : f.pixelSize() * 72.0 / 96.0;
    if (!(pt > 0) || pt > kMaxFontPoints)
        throw EPagePrinter(
            QStringLiteral("Font size must be between 1 and %1 points").arg(kMaxFontPoints));
}
} // namespace

PageEngine::PageEngine(std::shared_ptr<PrinterDevice> printer)
    : printer_(std::move(printer)), font_(defaultTextFont()), headerFont_(font_),
      footerFont_(font_) {
    // A fixed colour: the engine paints the same whatever application it runs in; a preview
    // window gives its own (TPagePrinter takes its palette's).
    shadowColor_ = QColor(Qt::darkGray);
    applyMetrics();
    // New margins are the unprintable offsets of their sides.
    marginLeft_ = marginRight_ = fromDots(metrics_.offsetLeft, unit_, metrics_.dpiX);
    marginTop_ = marginBottom_ = fromDots(metrics_.offsetTop, unit_, metrics_.dpiY);
    rebuildFonts();
}

PageEngine::~PageEngine() = default;

void PageEngine::SetPrinter(std::shared_ptr<PrinterDevice> printer) {
    refuseWhilePrinting("Can't change the printer while printing");
    printer_ = std::move(printer);
    if (printer_) printer_->setOrientation(orientation_);
    RefreshPrinter();
}

void PageEngine::SetClock(std::function<QDateTime()> clock) {
    clock_ = std::move(clock);
}

void PageEngine::SetProgressFactory(std::function<std::unique_ptr<PrintProgress>()> factory) {
    progressFactory_ = std::move(factory);
}

std::unique_ptr<PrintProgress> PageEngine::CreateProgress() {
    return progressFactory_ ? progressFactory_() : nullptr;
}

QDateTime PageEngine::now() const {
    return clock_ ? clock_() : QDateTime::currentDateTime();
}

void PageEngine::refuseWhilePrinting(const char* message) const {
    if (docOpen_) throw EPagePrinter(QString::fromUtf8(message));
}

void PageEngine::requireDocument() const {
    if (!docOpen_) throw EPagePrinter(QStringLiteral("No document is open: call BeginDoc first"));
}

// ---- Geometry

void PageEngine::applyMetrics() {
    std::optional<PrinterMetrics> m;
    if (printer_) m = printer_->metrics();
    fallback_ = !m || !m->isUsable();
    metrics_ = fallback_ ? fallbackMetrics(unit_) : *m;
    if (fallback_ && orientation_ == poLandscape) {
        std::swap(metrics_.paperWidth, metrics_.paperHeight);
        std::swap(metrics_.offsetLeft, metrics_.offsetTop);
    }
}

int PageEngine::dotsX(double length) const {
    return toDots(length, unit_, metrics_.dpiX);
}
int PageEngine::dotsY(double length) const {
    return toDots(length, unit_, metrics_.dpiY);
}

double PageEngine::clampedMargin(double v, bool vertical) const {
    const int dpi = vertical ? metrics_.dpiY : metrics_.dpiX;
    const double offset = fromDots(vertical ? metrics_.offsetTop : metrics_.offsetLeft, unit_, dpi);
    const double paper =
        fromDots(vertical ? metrics_.paperHeight : metrics_.paperWidth, unit_, dpi);
    return clampMargin(v, offset, paper, offset);
}

QSize PageEngine::PageSizeDots() const {
    return {metrics_.paperWidth - metrics_.offsetLeft, metrics_.paperHeight - metrics_.offsetTop};
}

QRect PageEngine::TextAreaDots() const {
    const int left = dotsX(marginLeft_), top = dotsY(marginTop_);
    return QRect(left, top, metrics_.paperWidth - left - dotsX(marginRight_),
                 metrics_.paperHeight - top - dotsY(marginBottom_));
}

double PageEngine::TextAreaWidth() const {
    return fromDots(TextAreaDots().width(), unit_, metrics_.dpiX);
}

void PageEngine::rebuildFonts() {
    textFont_ = FontState::make(font_, fontColor_, metrics_.dpiX, metrics_.dpiY);
    recomputeAdvance();
}

void PageEngine::recomputeAdvance() {
    advance_ = spacedLength(textFont_.height, spacing_);
}

void PageEngine::compileFriendly() {
    const QDateTime t = now();
    FriendlyValues v;
    v.shortDate = shortDateText(t.date());
    v.longDate = longDateText(t.date());
    v.shortTime = shortTimeText(t.time());
    v.longTime = longTimeText(t.time());
    if (!fileName_.isEmpty()) {
        v.fileName = QFileInfo(fileName_).fileName();
        v.filePath = QFileInfo(fileName_).absoluteFilePath();
    }
    const double width = TextAreaWidth();
    if (!friendlyHeader_.isEmpty()) {
        const CompiledHeader h = rk::print::compileFriendly(friendlyHeader_, separator_, width, v);
        header_ = h.text;
        headerFormat_ = h.format;
    }
    if (!friendlyFooter_.isEmpty()) {
        const CompiledHeader f = rk::print::compileFriendly(friendlyFooter_, separator_, width, v);
        footer_ = f.text;
        footerFormat_ = f.format;
    }
}

void PageEngine::RefreshPrinter() {
    refuseWhilePrinting("Can't refresh the printer while printing");
    applyMetrics();
    marginTop_ = clampedMargin(marginTop_, true);
    marginBottom_ = clampedMargin(marginBottom_, true);
    marginLeft_ = clampedMargin(marginLeft_, false);
    marginRight_ = clampedMargin(marginRight_, false);
    rebuildFonts();
    compileFriendly();
    notifyView(ViewChange::Relayout);
}

// ---- Settings

void PageEngine::SetMeasureUnit(TMeasureUnit unit) {
    if (unit == unit_) return;
    const TMeasureUnit from = unit_;
    auto conv = [&](double v) { return convertLength(v, from, unit); };
    marginTop_ = conv(marginTop_);
    marginBottom_ = conv(marginBottom_);
    marginLeft_ = conv(marginLeft_);
    marginRight_ = conv(marginRight_);
    borderOffset_ = conv(borderOffset_);
    defaultColWidth_ = conv(defaultColWidth_);
    headerFormat_ = convertTableFormat(headerFormat_, separator_, from, unit);
    footerFormat_ = convertTableFormat(footerFormat_, separator_, from, unit);
    tableFormat_ = convertTableFormat(tableFormat_, separator_, from, unit);
    unit_ = unit;
}

namespace {
void checkMargin(double v) {
    if (!std::isfinite(v)) throw EPagePrinter(QStringLiteral("A margin must be a number"));
}
} // namespace

void PageEngine::SetMarginTop(double v) {
    refuseWhilePrinting("Unable to change top margin while printing");
    checkMargin(v);
    marginTop_ = clampedMargin(v, true);
    notifyView(ViewChange::Repaint);
}

void PageEngine::SetMarginBottom(double v) {
    refuseWhilePrinting("Unable to change bottom margin while printing");
    checkMargin(v);
    marginBottom_ = clampedMargin(v, true);
    notifyView(ViewChange::Repaint);
}

void PageEngine::SetMarginLeft(double v) {
    refuseWhilePrinting("Unable to change left margin while printing");
    checkMargin(v);
    marginLeft_ = clampedMargin(v, false);
    notifyView(ViewChange::Repaint);
}

void PageEngine::SetMarginRight(double v) {
    refuseWhilePrinting("Unable to change right margin while printing");
    checkMargin(v);
    marginRight_ = clampedMargin(v, false);
    notifyView(ViewChange::Repaint);
}

void PageEngine::SetOrientation(TPrinterOrientation o) {
    refuseWhilePrinting("Unable to change orientation while printing");
    orientation_ = o;
    if (printer_) printer_->setOrientation(o);
    RefreshPrinter();
}

void PageEngine::SetLineSpacing(TLineSpacing s) {
    spacing_ = s;
    recomputeAdvance();
}

void PageEngine::SetTabSize(int n) {
    if (n < 1 || n > 1000) throw EPagePrinter(QStringLiteral("TabSize must be between 1 and 1000"));
    tabSize_ = n;
}

void PageEngine::SetTokenSeparator(QChar c) {
    if (c.isNull()) throw EPagePrinter(QStringLiteral("The token separator can't be empty"));
    separator_ = c;
}

void PageEngine::SetDefaultColWidth(double w) {
    if (!isSaneLength(w, unit_)) throw EPagePrinter(QStringLiteral("Invalid default column width"));
    defaultColWidth_ = w;
}

void PageEngine::SetPageBorderOffset(double v) {
    if (!isSaneLength(v, unit_)) throw EPagePrinter(QStringLiteral("Invalid page border offset"));
    borderOffset_ = v;
}

void PageEngine::SetFriendlyHeader(const QString& code) {
    friendlyHeader_ = code;
    if (code.isEmpty()) {
        header_.clear();
        headerFormat_.clear();
    }
    compileFriendly();
}

void PageEngine::SetFriendlyFooter(const QString& code) {
    friendlyFooter_ = code;
    if (code.isEmpty()) {
        footer_.clear();
        footerFormat_.clear();
    }
    compileFriendly();
}

void PageEngine::SetHeaderFont(const QFont& f) {
    checkFont(f);
    headerFont_ = f;
}

void PageEngine::SetFooterFont(const QFont& f) {
    checkFont(f);
    footerFont_ = f;
}

void PageEngine::SetFont(const QFont& f) {
    checkFont(f);
    font_ = f;
    if (autoHeaderFont_) headerFont_ = f;
    if (autoFooterFont_) footerFont_ = f;
    rebuildFonts();
}

void PageEngine::SetFontColor(const QColor& c) {
    fontColor_ = c;
    if (autoHeaderFont_) headerColor_ = c;
    if (autoFooterFont_) footerColor_ = c;
    textFont_.color = c;
}

void PageEngine::SetCopies(int n) {
    if (n < 1 || n > 999) throw EPagePrinter(QStringLiteral("Copies must be between 1 and 999"));
    copies_ = n;
}

void PageEngine::SetFromPage(int page) {
    if (page < 0) throw EPagePrinter(QStringLiteral("FromPage can't be negative"));
    fromPage_ = page;
}

void PageEngine::SetToPage(int page) {
    if (page < 0) throw EPagePrinter(QStringLiteral("ToPage can't be negative"));
    toPage_ = page;
}

void PageEngine::SetPrintToFile(bool on) {
    refuseWhilePrinting("Can't change PrintToFile while printing");
    printToFile_ = on;
}

void PageEngine::SetFileName(const QString& name) {
    refuseWhilePrinting("Can't change FileName while printing");
    fileName_ = name;
}

// ---- The view

void PageEngine::notifyView(ViewChange change) {
    if (updateCount_ == 0) ViewChanged(change);
}

void PageEngine::EndUpdate() {
    if (updateCount_ == 0) return;
    if (--updateCount_ == 0) ViewChanged(ViewChange::Relayout);
}

void PageEngine::Clear() {
    refuseWhilePrinting("Can't clear contents while printing");
    pages_.clear();
    streamedPages_ = 0;
    currentPage_ = 1;
    notifyView(ViewChange::Relayout);
}

void PageEngine::SetPages(TPageList pages) {
    refuseWhilePrinting("Can't replace the pages while printing");
    pages_.adopt(std::move(pages));
    streamedPages_ = 0;
    currentPage_ = 1;
    notifyView(ViewChange::Relayout);
}

void PageEngine::SetCurrentPage(int page) {
    if (pages_.isEmpty()) return;
    if (page < 1 || page > pages_.count())
        throw EPagePrinter(QStringLiteral("PageNumber must be between 1 and ") +
                           QString::number(pages_.count()));
    currentPage_ = page;
    notifyView(ViewChange::Relayout);
}

void PageEngine::SetZoomPercent(int percent) {
    if (percent < kMinZoom || percent > kMaxZoom)
        throw EPagePrinter(
            QStringLiteral("Zoom must be between %1 and %2 percent").arg(kMinZoom).arg(kMaxZoom));
    zoom_ = percent;
    notifyView(ViewChange::Relayout);
}

void PageEngine::SetShowMargins(bool on) {
    showMargins_ = on;
    notifyView(ViewChange::Repaint);
}

void PageEngine::SetGradientBackground(bool on) {
    gradient_ = on;
    notifyView(ViewChange::Repaint);
}

void PageEngine::SetShadowColor(const QColor& c) {
    shadowColor_ = c;
    notifyView(ViewChange::Repaint);
}

void PageEngine::SetShadowOffset(int pixels) {
    if (pixels < 0 || pixels > 100)
        throw EPagePrinter(QStringLiteral("ShadowOffset must be between 0 and 100"));
    shadowOffset_ = pixels;
    notifyView(ViewChange::Relayout);
}

void PageEngine::ZoomToWidth() {
    zoomTo(FitMode::Width);
}
void PageEngine::ZoomToHeight() {
    zoomTo(FitMode::Height);
}
void PageEngine::ZoomToPage() {
    zoomTo(FitMode::Page);
}

void PageEngine::zoomTo(FitMode mode) {
    zoom_ = zoomToFit(mode, ViewportSize(), ScrollBarExtent(), shadowOffset_,
                      QSize(metrics_.paperWidth, metrics_.paperHeight), metrics_.dpiX,
                      metrics_.dpiY, ScreenDpi());
    notifyView(ViewChange::Relayout);
}

} // namespace rk::print
