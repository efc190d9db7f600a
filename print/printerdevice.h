// The printer as the page printer engine sees it: its page metrics and its job
// operations. The program's printers (through QPrinter), PDF files and the fake printer of
// the tests all stand behind this one interface.
//
// Job states:   idle --begin()--> printing --newPage()--> printing
//               printing --end()--> idle     printing --abort()--> idle
// painter() is valid only while printing; its origin is the top-left corner of the
// printable area and one unit is one dot of the printer.
#pragma once

#include "pagetypes.h"

#include <QString>

#include <optional>

class QPainter;

namespace rk::print {

class PrinterDevice {
public:
    virtual ~PrinterDevice() = default;

    // A name for messages ("PDF file /tmp/x.pdf", the printer's name).
    virtual QString name() const = 0;
    // The page metrics, or nothing when the printer does not answer.
    virtual std::optional<PrinterMetrics> metrics() const = 0;
    virtual void setOrientation(TPrinterOrientation orientation) = 0;
    virtual int copyCount() const = 0;
    virtual void setCopyCount(int copies) = 0;

    // Starts a job; false when the printer refused (the reason in lastError()).
    virtual bool begin(const QString& jobName) = 0;
    virtual QPainter* painter() = 0;
    virtual bool newPage() = 0;
    // Finishes the job; false when the output could not be completed.
    virtual bool end() = 0;
    // Drops the job: nothing more comes out of it.
    virtual void abort() = 0;
    virtual bool isPrinting() const = 0;
    virtual QString lastError() const = 0;
    // True for a device that keeps the text of every drawing (one that records what is
    // drawn): texts reach it as text, never as glyphs shaped beforehand.
    virtual bool needsText() const { return false; }
};

} // namespace rk::print
