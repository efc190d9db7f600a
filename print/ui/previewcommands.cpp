#include "previewcommands.h"

#include "printersetup.h"

#include "pageengine.h"
#include "pdfdevice.h"
#include "prompt.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace rk::print {

QStringList zoomChoices() {
    return {QStringLiteral("200%"),         QStringLiteral("175%"),
            QStringLiteral("150%"),         QStringLiteral("125%"),
            QStringLiteral("100%"),         QStringLiteral("50%"),
            QStringLiteral("Fit To Width"), QStringLiteral("Fit To Height"),
            QStringLiteral("Whole Page")};
}

bool applyZoomChoice(PageEngine& engine, const QString& item) {
    if (item == QLatin1String("Fit To Width")) {
        engine.ZoomToWidth();
    } else if (item == QLatin1String("Fit To Height")) {
        engine.ZoomToHeight();
    } else if (item == QLatin1String("Whole Page")) {
        engine.ZoomToPage();
    } else if (item.endsWith(QLatin1Char('%')) && zoomChoices().contains(item)) {
        engine.SetZoomPercent(item.chopped(1).toInt());
    } else {
        return false;
    }
    return true;
}

QString pageLabelText(const PageEngine& engine) {
    return QString::number(engine.PageCount() ? engine.CurrentPage() : 0) + QStringLiteral(" of ") +
           QString::number(engine.PageCount());
}

bool savePagesAsPdf(PageEngine& engine, QWidget* owner, const QString& folder) {
    QString path = fw::prompt().saveFileName(owner, QStringLiteral("Save as PDF"), folder,
                                             QStringLiteral("PDF Files (*.pdf)"));
    if (path.isEmpty()) return false;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".pdf");

    // The PDF's paper is the page the pages were laid out on.
    const PrinterMetrics m = engine.Metrics();
    const double w = double(std::min(m.paperWidth, m.paperHeight)) / m.dpiX;
    const double h = double(std::max(m.paperWidth, m.paperHeight)) / m.dpiY;
    const double offset = double(std::min(m.offsetLeft, m.offsetTop)) / m.dpiX;
    auto pdf = std::make_shared<PdfDevice>(path, QPageSize(QSizeF(w, h), QPageSize::Inch), offset,
                                           std::max(m.dpiX, 300));
    // The engine's own printer and progress setting come back however the print ends.
    struct Restore {
        PageEngine& e;
        std::shared_ptr<PrinterDevice> printer;
        bool showProgress;
        ~Restore() {
            e.SetShowProgress(showProgress);
            try {
                e.SetPrinter(printer);
            } catch (const EPagePrinter&) {
            }
        }
    };
    try {
        Restore restore{engine, engine.SharedPrinter(), engine.ShowProgress()};
        engine.SetShowProgress(false);
        engine.SetPrinter(pdf);
        engine.Print();
    } catch (const EPagePrinter& e) {
        fw::prompt().message(owner, e.message(), QStringLiteral("Save as PDF"), fw::Icon::Error,
                             fw::Buttons::Ok);
        return false;
    }
    return true;
}

bool choosePrinter(PageEngine& engine, QWidget* owner) {
    PrinterSetup& setup = PrinterSetup::shared();
    if (!fw::prompt().printDialog(owner, &setup.printer())) return false;
    engine.SetPrinter(setup.device());
    return true;
}

} // namespace rk::print
