// The page printer engine: flows text lines and table rows onto pages measured in inches
// or millimetres, records each finished page as a picture, and prints the recorded pages
// through a printer, or writes the same flow as a plain text file.
//
// This class holds everything but the screen: the preview (TPagePrinter, a widget that is
// a PageEngine) overrides the view hooks at the bottom. Used headless by rkdb and tests.
//
// States:
//   idle (pages may exist; settings free to change)
//     --BeginDoc()--> document open (margins, orientation and file settings locked)
//     --EndDoc()--> idle
//   Print() runs from idle and ends an open document first. Clear() is refused while a
//   document is open.
//
// Coordinates: lengths in the measure unit; the layout in the printer's dots with the
// origin at the top-left of the text area; recorded pages have their origin at the
// printable area's top-left, so the text area lies at (margin - unprintable offset).
//
// Refusals and failures raise EPagePrinter; a print cancelled by the user makes Print()
// return false.
#pragma once

#include "pagecanvas.h"
#include "pagelist.h"
#include "pagetypes.h"
#include "previewgeometry.h"
#include "printerdevice.h"
#include "printprogress.h"
#include "textwrap.h"

#include <QColor>
#include <QDateTime>
#include <QFont>
#include <QRect>
#include <QSize>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace rk::print {

struct ColumnSpec;

// A piece of a paragraph in its own face, size, weight, slant, underline and colour.
struct TextRun {
    QString text;
    QFont font;
    QColor color = Qt::black;
};

// A bar drawn in one column of a table line (a chart's bar): `fraction` (0 to 1) of the
// column's width inside its gaps, over the middle three fifths of the line's text height.
struct TableBar {
    int column = 0;
    double fraction = 0;
    QColor color = Qt::black;
};

class PageEngine {
public:
    explicit PageEngine(std::shared_ptr<PrinterDevice> printer = nullptr);
    virtual ~PageEngine();
    PageEngine(const PageEngine&) = delete;
    PageEngine& operator=(const PageEngine&) = delete;

    // ---- The printer and the clock
    // Replaces the printer (nullptr: none answers, the fallback page is used) and re-reads it.
    void SetPrinter(std::shared_ptr<PrinterDevice> printer);
    PrinterDevice* Printer() const { return printer_.get(); }
    const std::shared_ptr<PrinterDevice>& SharedPrinter() const { return printer_; }
    // Where dates and times come from (tests fix it).
    void SetClock(std::function<QDateTime()> clock);
    // Makes the print progress window (none by default; the widget makes TPPPrnPrgDlg).
    void SetProgressFactory(std::function<std::unique_ptr<PrintProgress>()> factory);

    // ---- Settings
    TMeasureUnit MeasureUnit() const { return unit_; }
    void SetMeasureUnit(TMeasureUnit unit);
    double MarginTop() const { return marginTop_; }
    double MarginBottom() const { return marginBottom_; }
    double MarginLeft() const { return marginLeft_; }
    double MarginRight() const { return marginRight_; }
    void SetMarginTop(double v);
    void SetMarginBottom(double v);
    void SetMarginLeft(double v);
    void SetMarginRight(double v);
    TPrinterOrientation Orientation() const { return orientation_; }
    void SetOrientation(TPrinterOrientation o);
    TLineSpacing LineSpacing() const { return spacing_; }
    void SetLineSpacing(TLineSpacing s);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment a) { alignment_ = a; }
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool on) { wordWrap_ = on; }
    int TabSize() const { return tabSize_; }
    void SetTabSize(int n);
    QChar TokenSeparator() const { return separator_; }
    void SetTokenSeparator(QChar c);
    const QString& TableFormat() const { return tableFormat_; }
    void SetTableFormat(const QString& f) { tableFormat_ = f; }
    bool TableGrid() const { return grid_; }
    void SetTableGrid(bool on) { grid_ = on; }
    double DefaultColWidth() const { return defaultColWidth_; }
    void SetDefaultColWidth(double w);
    const QString& Header() const { return header_; }
    void SetHeader(const QString& t) { header_ = t; }
    const QString& Footer() const { return footer_; }
    void SetFooter(const QString& t) { footer_ = t; }
    const QString& HeaderFormat() const { return headerFormat_; }
    void SetHeaderFormat(const QString& f) { headerFormat_ = f; }
    const QString& FooterFormat() const { return footerFormat_; }
    void SetFooterFormat(const QString& f) { footerFormat_ = f; }
    const QString& FriendlyHeader() const { return friendlyHeader_; }
    void SetFriendlyHeader(const QString& code);
    const QString& FriendlyFooter() const { return friendlyFooter_; }
    void SetFriendlyFooter(const QString& code);
    const QFont& HeaderFont() const { return headerFont_; }
    void SetHeaderFont(const QFont& f);
    const QColor& HeaderFontColor() const { return headerColor_; }
    void SetHeaderFontColor(const QColor& c) { headerColor_ = c; }
    const QFont& FooterFont() const { return footerFont_; }
    void SetFooterFont(const QFont& f);
    const QColor& FooterFontColor() const { return footerColor_; }
    void SetFooterFontColor(const QColor& c) { footerColor_ = c; }
    bool AutoHeaderFont() const { return autoHeaderFont_; }
    void SetAutoHeaderFont(bool on) { autoHeaderFont_ = on; }
    bool AutoFooterFont() const { return autoFooterFont_; }
    void SetAutoFooterFont(bool on) { autoFooterFont_ = on; }
    TPageBorders PageBorders() const { return borders_; }
    void SetPageBorders(TPageBorders b) { borders_ = b; }
    double PageBorderOffset() const { return borderOffset_; }
    void SetPageBorderOffset(double v);
    QStringList& Lines() { return lines_; }
    const QStringList& Lines() const { return lines_; }
    const QString& Title() const { return title_; }
    void SetTitle(const QString& t) { title_ = t; }
    int Copies() const { return copies_; }
    void SetCopies(int n);
    bool Collate() const { return collate_; }
    void SetCollate(bool on) { collate_ = on; }
    bool ShowProgress() const { return showProgress_; }
    void SetShowProgress(bool on) { showProgress_ = on; }
    bool ShowCancel() const { return showCancel_; }
    void SetShowCancel(bool on) { showCancel_ = on; }
    bool AbortOnCancel() const { return abortOnCancel_; }
    void SetAbortOnCancel(bool on) { abortOnCancel_ = on; }
    const QString& ProgressMessage() const { return progressMessage_; }
    void SetProgressMessage(const QString& t) { progressMessage_ = t; }
    // A straight run (all pages, one copy) of an engine that no view shows goes to the
    // printer as it is laid out, when this is on: BeginDoc starts the printer's job, each
    // page is drawn on the printer as it fills, EndDoc ends the job, and no page is recorded
    // (PageCount() counts the pages printed; Print() has nothing left to send). Off: pages
    // are recorded for Print(). Text files are written as laid out either way.
    bool PrintAsLaidOut() const { return printAsLaidOut_; }
    void SetPrintAsLaidOut(bool on) { printAsLaidOut_ = on; }
    bool PrintToFile() const { return printToFile_; }
    void SetPrintToFile(bool on);
    const QString& FileName() const { return fileName_; }
    void SetFileName(const QString& name);
    int ZoomPercent() const { return zoom_; }
    void SetZoomPercent(int percent);
    TZoomLocation ZoomLocation() const { return zoomLocation_; }
    void SetZoomLocation(TZoomLocation z) { zoomLocation_ = z; }
    bool ShowMargins() const { return showMargins_; }
    void SetShowMargins(bool on);
    bool GradientBackground() const { return gradient_; }
    void SetGradientBackground(bool on);
    const QColor& ShadowColor() const { return shadowColor_; }
    void SetShadowColor(const QColor& c);
    int ShadowOffset() const { return shadowOffset_; }
    void SetShadowOffset(int pixels);
    const QFont& Font() const { return font_; }
    void SetFont(const QFont& f);
    const QColor& FontColor() const { return fontColor_; }
    void SetFontColor(const QColor& c);
    int FromPage() const { return fromPage_; }
    void SetFromPage(int page);
    int ToPage() const { return toPage_; }
    void SetToPage(int page);

    // Called after each new line, and at the start of each page before its header.
    std::function<void()> OnNewLine;
    std::function<void()> OnNewPage;

    // ---- Operations
    void Clear();
    void BeginDoc();
    void EndDoc();
    void NewPage();
    void NewLine();
    void Write(const QString& text);
    void WriteLine(const QString& text);
    void WriteTableLine(const QString& text);
    void WriteTableLine(const QString& text, const TableBar& bar);
    // Writes one paragraph made of runs, aligned by Alignment() and wrapped at the right
    // margin (or cut, without WordWrap) as WriteLine does. Each line is as tall as its
    // tallest run, times the line spacing, and its runs stand on one baseline; a line feed
    // or line separator in a run ends a line. No runs, or only empty ones, give an empty
    // line as tall as the first run's font (the text font when there is none).
    void WriteRuns(const std::vector<TextRun>& runs);
    void WriteLines(bool asTable);
    bool Print();
    // Sets the cancel flag of a running print (the progress window's Cancel does this).
    void CancelPrinting() { cancel_ = true; }
    void RefreshPrinter();
    int PageCount() const { return streamedPages_ ? streamedPages_ : pages_.count(); }
    int CurrentPage() const { return currentPage_; }
    void SetCurrentPage(int page);
    void ZoomToWidth();
    void ZoomToHeight();
    void ZoomToPage();
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();

    // ---- Run state and geometry
    bool Printing() const { return docOpen_; } // a document is open
    int LineNumber() const { return lineNo_; }
    int PageNumber() const { return pageNo_; }
    QPoint PenPosition() const { return {x_, y_}; }
    const TPageList& Pages() const { return pages_; }
    // Pages laid out elsewhere on this engine's page (the banded report): they replace the
    // recorded pages and page 1 is shown. Refused while a document is open.
    void SetPages(TPageList pages);
    // The time that dates and times on the pages are taken from (the clock of SetClock).
    QDateTime CurrentTime() const { return now(); }
    const PrinterMetrics& Metrics() const { return metrics_; }
    bool UsingFallbackPage() const { return fallback_; }
    // Recorded page size in dots: the paper less the right and bottom offsets.
    QSize PageSizeDots() const;
    // The text area in dots, relative to the paper's top-left corner.
    QRect TextAreaDots() const;
    // Width of the text area in the measure unit.
    double TextAreaWidth() const;
    int LineAdvance() const { return advance_; }
    // The text font as measured on the printer (for callers that measure their own text).
    const FontState& TextFont() const { return textFont_; }

protected:
    // ---- View hooks: a preview showing this engine overrides them.
    enum class ViewChange { Repaint, Relayout };
    // The view should repaint; Relayout: the page size or zoom changed, or another page is
    // shown, so the scroll range is recomputed and the zoom location scrolled into view.
    virtual void ViewChanged(ViewChange) {}
    virtual QSize ViewportSize() const { return {}; }
    virtual int ScrollBarExtent() const { return 0; }
    virtual qreal ScreenDpi() const { return 96.0; }
    virtual std::unique_ptr<PrintProgress> CreateProgress();
    // True for a view that shows the pages: its documents are always recorded.
    virtual bool ShowsPages() const { return false; }

private:
    // Geometry and fonts.
    void applyMetrics();
    void rebuildFonts();
    void recomputeAdvance();
    void compileFriendly();
    double clampedMargin(double v, bool vertical) const;
    void refuseWhilePrinting(const char* message) const;
    void requireDocument() const;
    void notifyView(ViewChange change);
    void zoomTo(FitMode mode);
    int dotsX(double length) const;
    int dotsY(double length) const;
    QDateTime now() const;

    // Flow (pageengine_flow.cpp).
    struct Column {
        TAlignment align;
        int left, width; // dots
    };
    struct Piece {
        qreal x;
        QString text;
    };
    const std::vector<Column>& columnsFor(const QString& format) const;
    void startPage();
    void writeHeaderBlock(const QString& text, const QString& format, const FontState& font,
                          bool top);
    void drawBorders();
    void writeAligned(const QString& text);
    // Ends the current line: the pen moves down by `advance`, and a new page starts when
    // another line of that height would not fit.
    void endLine(int advance);
    struct RunPiece;
    void writeRunLine(const std::vector<RunPiece>& pieces, const FontState& emptyFont);
    void writeFlow(const QString& text);
    void ensureLineFits();
    void writeRow(const QString& row, const std::vector<Column>& cols);
    // A row's cells, as many as there are columns.
    std::vector<CellText> cellTexts(const QString& row, size_t columns) const;
    // One line of a row: the part of each cell that fits its column, placed; the rest is
    // left in `cells`. `more` tells whether some cell has text left.
    std::vector<Piece> layoutRowLine(std::vector<CellText>& cells, const std::vector<Column>& cols,
                                     const FontState& font, bool* more) const;
    // The grid of one line of a row at y: the rule above it (`top`) and below it (`bottom`)
    // across the whole table, drawn once where rows meet; the column lines run on down the
    // rows that follow each other and are drawn when the run ends (flushGrid).
    void drawGridLines(const std::vector<Column>& cols, int y, bool top, bool bottom);
    void flushGrid();
    void drawText(qreal x, int y, const QString& text, const FontState& font);
    qreal measure(const QString& text) const { return textFont_.width(text); }

    std::shared_ptr<PrinterDevice> printer_;
    std::function<QDateTime()> clock_;
    std::function<std::unique_ptr<PrintProgress>()> progressFactory_;

    // Settings.
    TMeasureUnit unit_ = muInches;
    double marginTop_ = 0, marginBottom_ = 0, marginLeft_ = 0, marginRight_ = 0;
    TPrinterOrientation orientation_ = poPortrait;
    TLineSpacing spacing_ = lsSingleSpace;
    TAlignment alignment_ = taLeftJustify;
    bool wordWrap_ = true;
    int tabSize_ = 8;
    QChar separator_ = QLatin1Char('|');
    QString tableFormat_;
    bool grid_ = false;
    double defaultColWidth_ = 0;
    QString header_, footer_, headerFormat_, footerFormat_, friendlyHeader_, friendlyFooter_;
    QFont font_, headerFont_, footerFont_;
    QColor fontColor_ = Qt::black, headerColor_ = Qt::black, footerColor_ = Qt::black;
    bool autoHeaderFont_ = true, autoFooterFont_ = true;
    TPageBorders borders_;
    double borderOffset_ = 0;
    QStringList lines_;
    QString title_;
    int copies_ = 1;
    bool collate_ = true;
    bool showProgress_ = true, showCancel_ = true, abortOnCancel_ = false;
    QString progressMessage_;
    bool printToFile_ = false;
    bool printAsLaidOut_ = false;
    QString fileName_;
    int zoom_ = 25;
    TZoomLocation zoomLocation_ = zlTopLeft;
    bool showMargins_ = true, gradient_ = true;
    QColor shadowColor_;
    int shadowOffset_ = 5;
    int fromPage_ = 0, toPage_ = 0;

    // Geometry from the printer.
    PrinterMetrics metrics_;
    bool fallback_ = true;
    FontState textFont_;
    int advance_ = 0;

    // Run state.
    bool docOpen_ = false;
    QRect area_; // the text area while a document is open, in paper dots
    int x_ = 0, y_ = 0;
    int lineNo_ = 0;
    int pageNo_ = 1;
    int currentPage_ = 1;
    TPageList pages_;
    int streamedPages_ = 0; // pages the last document printed as laid out
    bool streaming_ = false;
    std::unique_ptr<PageCanvas> canvas_;
    bool cancel_ = false;
    bool printingPages_ = false;
    int updateCount_ = 0;
    // The column lines of the rows drawn since the grid last broke off.
    struct GridRun {
        std::vector<int> edges; // dots across
        qreal top = 0, bottom = 0;
        qreal ruled = -1; // where the last rule across was drawn
        int pen = 0;
        bool open = false;
    } gridRun_;
    // The last table format parsed, kept while its text and the geometry stay the same.
    mutable QString parsedKey_;
    mutable std::vector<Column> parsedColumns_;
};

} // namespace rk::print
