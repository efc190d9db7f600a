// Where the engine's flow of text lands: recorded page pictures, or a plain text file.
// Coordinates are printer dots with the origin at the top-left of the text area; y is the
// top of a line. Header and footer lines are drawn in regions of their own, so that the
// text file can put them above and below the page's lines.
#pragma once

#include "pagelist.h"
#include "printerdevice.h"

#include <QColor>
#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QImage>
#include <QLineF>
#include <QPainter>
#include <QPicture>
#include <QTextStream>

#include <map>
#include <memory>

namespace rk::print {

// A font as measured on the printer: sized in the printer's dots.
struct FontState {
    QFont font; // pixel-sized for the printer
    QColor color = Qt::black;
    int height = 0;   // ascent + descent, dots
    qreal ascent = 0; // dots
    int leading = 0;  // external leading, dots, never negative
    qreal spaceWidth = 1;
    QFontMetricsF metrics{QFont()};
    int serial = 0; // changes whenever the state is rebuilt

    static FontState make(const QFont& font, const QColor& color, int dpiX, int dpiY);
    qreal width(const QString& text) const { return metrics.horizontalAdvance(text); }
};

class PageCanvas {
public:
    enum class Region { Body, Header, Footer };
    virtual ~PageCanvas() = default;
    virtual void beginPage() = 0;
    // Ends the page; `more` says another page follows.
    virtual void endPage(bool more) = 0;
    virtual void setRegion(Region region) = 0;
    virtual void drawText(qreal x, qreal top, const QString& text, const FontState& font) = 0;
    virtual void drawLine(const QLineF& line, int penWidth) = 0;
    // A filled rectangle (a bar of a chart); the text output has none.
    virtual void fillRect(const QRectF& rect, const QColor& color) = 0;
    // A picture drawn into `rect` (already scaled to it); the text output has none.
    virtual void drawImage(const QRectF& rect, const QImage& image) {
        (void)rect;
        (void)image;
    }
    // The current line has ended.
    virtual void lineEnd() = 0;
    // The document has ended; throws EPagePrinter when the output could not be completed.
    virtual void finish() = 0;
};

// Records every page as a QPicture and appends it to a page list.
class PictureCanvas : public PageCanvas {
public:
    // `origin`: the text area's top-left in page dots (from the printable area's corner).
    PictureCanvas(TPageList* pages, QPointF origin, int dpiX, int dpiY);
    ~PictureCanvas() override;
    void beginPage() override;
    void endPage(bool more) override;
    void setRegion(Region) override {}
    void drawText(qreal x, qreal top, const QString& text, const FontState& font) override;
    void drawLine(const QLineF& line, int penWidth) override;
    void fillRect(const QRectF& rect, const QColor& color) override;
    void drawImage(const QRectF& rect, const QImage& image) override;
    void lineEnd() override {}
    void finish() override {}

private:
    TPageList* pages_;
    QPointF origin_;
    qreal scaleX_, scaleY_;
    QPicture picture_;
    QPainter painter_;
    int fontSerial_ = -1;
    QColor penColor_;
    int lineWidth_ = -1; // the pen's width while it draws lines; -1: a text pen
};

// The glyphs of the texts a document draws again and again (captions, column titles,
// categories, years): a text is shaped by the painter the first time it is drawn in a font,
// and shaped into glyph runs and kept the second time, so that every later drawing only
// places glyphs. At most kLimit texts are kept; past that the store starts again.
class ShapedTexts {
public:
    static constexpr int kLimit = 4096;
    // Draws `text` with its baseline's left end at `baseline`, in the painter's font, which
    // must be `font`.
    void draw(QPainter& painter, QPointF baseline, const QString& text, const FontState& font);
    // Texts shaped and kept; texts drawn from the store.
    int shaped() const { return shaped_; }
    int reused() const { return reused_; }

private:
    struct Shape {
        QList<QGlyphRun> runs; // empty: seen once, not shaped yet
        qreal ascent = 0;      // the runs' baseline below their origin
    };
    QHash<std::pair<int, QString>, Shape> shapes_;
    int shaped_ = 0, reused_ = 0;
};

// Draws straight onto a printer's pages as they are laid out: nothing is kept. The
// printer's job is started by the caller; finish() ends it, and a canvas dropped before
// finish() drops the job.
class DeviceCanvas : public PageCanvas {
public:
    // `origin`: the text area's top-left in printer dots from the printable area's corner.
    DeviceCanvas(PrinterDevice& printer, QPointF origin);
    ~DeviceCanvas() override;
    void beginPage() override;
    void endPage(bool more) override;
    void setRegion(Region) override {}
    void drawText(qreal x, qreal top, const QString& text, const FontState& font) override;
    void drawLine(const QLineF& line, int penWidth) override;
    void drawImage(const QRectF& rect, const QImage& image) override;
    void fillRect(const QRectF& rect, const QColor& color) override;
    void lineEnd() override {}
    // Ends the printer's job; throws EPagePrinter when it could not be completed.
    void finish() override;
    int pageCount() const { return pages_; }
    const ShapedTexts& shapedTexts() const { return shapes_; }

private:
    PrinterDevice& printer_;
    ShapedTexts shapes_;
    QPointF origin_;
    QPainter* painter_ = nullptr;
    int pages_ = 0;
    bool finished_ = false;
    int fontSerial_ = -1;
    QColor penColor_;
    int lineWidth_ = -1;
};

// Writes plain text: positions become spaces, one per space width of the document's text
// font (the one in force when the document began, so that every line of the file keeps
// the same columns whatever font each text is drawn in); pages are separated by a form
// feed. Header lines come first on a page, footer lines last.
class TextCanvas : public PageCanvas {
public:
    // Throws EPagePrinter when the file cannot be created.
    TextCanvas(const QString& fileName, qreal spaceWidth);
    void beginPage() override;
    void endPage(bool more) override;
    void setRegion(Region region) override;
    void drawText(qreal x, qreal top, const QString& text, const FontState& font) override;
    void drawLine(const QLineF&, int) override {}
    void fillRect(const QRectF&, const QColor&) override {}
    void lineEnd() override;
    void finish() override;

    // Puts text at a column of a line: pads with spaces, or keeps one space after what is
    // already there when the column is taken.
    static void place(QString& line, int column, const QString& text);

private:
    void writeLines(const std::map<qreal, QString>& lines);

    QFile file_;
    QTextStream out_;
    qreal spaceWidth_;
    Region region_ = Region::Body;
    QString line_;
    bool lineUsed_ = false;
    std::map<qreal, QString> header_, footer_;
};

} // namespace rk::print
