// The progress window of a print run, as the engine drives it. The window itself
// (TPPPrnPrgDlg) lives with the widgets; a headless run has none.
#pragma once

#include <QString>

namespace rk::print {

class PrintProgress {
public:
    virtual ~PrintProgress() = default;
    // Shows the window: caption, status line, whether Cancel is offered, steps in all.
    virtual void start(const QString& caption, const QString& status, bool showCancel,
                       int steps) = 0;
    // Before each page: the page line and its place in the run (1 for the first page).
    virtual void step(const QString& pageLine, int position) = 0;
    virtual bool cancelRequested() const = 0;
    virtual void finish() = 0;
};

} // namespace rk::print
