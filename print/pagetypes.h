// Types shared by the page printer engine, its preview and its windows: the published
// enumerations, the error types, and the metrics a printer reports.
#pragma once

#include <QFlags>
#include <QString>

#include <stdexcept>

namespace rk::print {

enum TMeasureUnit { muInches, muMillimeters };
enum TPrinterOrientation { poPortrait, poLandscape };
enum TLineSpacing { lsHalfSpace, lsSingleSpace, lsSingleAndAHalf, lsDoubleSpace };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TZoomLocation { zlTopLeft, zlTopCenter, zlCenter };

enum TPageBorder { pbTop = 0x1, pbBottom = 0x2, pbLeft = 0x4, pbRight = 0x8 };
Q_DECLARE_FLAGS(TPageBorders, TPageBorder)
Q_DECLARE_OPERATORS_FOR_FLAGS(TPageBorders)

// A refusal or failure of the page printer. what() is the message in UTF-8.
class EPagePrinter : public std::runtime_error {
public:
    explicit EPagePrinter(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

// Raised inside the print loop when the user presses Cancel; Print() catches it.
class ECancelPrinting : public EPagePrinter {
public:
    ECancelPrinting() : EPagePrinter(QStringLiteral("Printing Cancelled")) {}
};

// What a printer reports about its page, in its own dots.
struct PrinterMetrics {
    int dpiX = 0, dpiY = 0;
    int paperWidth = 0, paperHeight = 0; // the whole sheet
    int offsetLeft = 0, offsetTop = 0;   // unprintable strip; right and bottom are taken equal

    // Plausible numbers: positive resolution and paper, a printable area left over.
    bool isUsable() const;
    bool operator==(const PrinterMetrics& o) const {
        return dpiX == o.dpiX && dpiY == o.dpiY && paperWidth == o.paperWidth &&
               paperHeight == o.paperHeight && offsetLeft == o.offsetLeft &&
               offsetTop == o.offsetTop;
    }
};

} // namespace rk::print
