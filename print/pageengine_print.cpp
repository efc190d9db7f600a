// Printing the recorded pages: range, copies, collation, progress window and Cancel.
#include "pageengine.h"
#include "printorder.h"

#include <QCoreApplication>
#include <QPainter>

namespace rk::print {

namespace {
// Puts the printer's copy count back and closes the progress window, however the run ends.
class PrintRunGuard {
public:
    PrintRunGuard(PrinterDevice& device, PrintProgress* progress)
        : device_(device), progress_(progress), savedCopies_(device.copyCount()) {
        device_.setCopyCount(1);
    }
    ~PrintRunGuard() {
        if (progress_) progress_->finish();
        device_.setCopyCount(savedCopies_);
    }
    PrintRunGuard(const PrintRunGuard&) = delete;
    PrintRunGuard& operator=(const PrintRunGuard&) = delete;

private:
    PrinterDevice& device_;
    PrintProgress* progress_;
    int savedCopies_;
};
} // namespace

bool PageEngine::Print() {
    if (printingPages_) throw EPagePrinter(QStringLiteral("Already printing"));
    if (docOpen_) EndDoc();
    if (pages_.isEmpty()) return true;
    if (!printer_) throw EPagePrinter(QStringLiteral("No printer is set up"));
    const PageRange range = printRange(fromPage_, toPage_, pages_.count());
    const std::vector<int> order = printOrder(range, copies_, collate_);
    if (order.empty()) return true;

    PrinterDevice& device = *printer_;
    std::unique_ptr<PrintProgress> progress = showProgress_ ? CreateProgress() : nullptr;
    PrintRunGuard guard(device, progress.get());
    cancel_ = false;
    printingPages_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{printingPages_};

    if (!device.begin(title_))
        throw EPagePrinter(QStringLiteral("Unable to start printing on %1: %2")
                               .arg(device.name(), device.lastError()));
    try {
        if (progress)
            progress->start(title_,
                            progressMessage_.isEmpty() ? QStringLiteral("Sending Pages To Printer")
                                                       : progressMessage_,
                            showCancel_, static_cast<int>(order.size()));
        for (size_t i = 0; i < order.size(); ++i) {
            if (progress && showCancel_) QCoreApplication::processEvents();
            if (cancel_ || (progress && progress->cancelRequested())) throw ECancelPrinting();
            const int page = order[i];
            if (progress)
                progress->step(progressPageLine(page, range, copies_), static_cast<int>(i) + 1);
            // The next sheet is started only when a page goes on it, so that a cancelled
            // run does not leave a blank sheet behind.
            if (i > 0 && !device.newPage())
                throw EPagePrinter(QStringLiteral("Unable to start a new page on %1: %2")
                                       .arg(device.name(), device.lastError()));
            QPainter* painter = device.painter();
            painter->save();
            painter->drawPicture(QPointF(0, 0), pages_.page(page - 1));
            painter->restore();
        }
        if (!device.end())
            throw EPagePrinter(QStringLiteral("Unable to finish printing on %1: %2")
                                   .arg(device.name(), device.lastError()));
    } catch (const ECancelPrinting&) {
        if (device.isPrinting()) {
            if (abortOnCancel_)
                device.abort();
            else
                device.end(); // the pages already sent are printed
        }
        return false;
    } catch (...) {
        // A failed run leaves no half-finished job behind.
        if (device.isPrinting()) device.abort();
        throw;
    }
    return true;
}

} // namespace rk::print
