// What the report windows do with the page printer's pages alike: the zoom list, the page
// label, and saving the pages as a PDF file.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace rk::print {

class PageEngine;

// "200%" ... "50%", "Fit To Width", "Fit To Height", "Whole Page".
QStringList zoomChoices();
// Applies a zoom list item; false for a text that is none of them.
bool applyZoomChoice(PageEngine& engine, const QString& item);
// "2 of 7".
QString pageLabelText(const PageEngine& engine);

// Asks for a file (starting in `folder`) and prints the pages into it as PDF, on paper of the
// engine's page size. False when the user cancelled or the file could not be written (the
// user has been told why).
bool savePagesAsPdf(PageEngine& engine, QWidget* owner, const QString& folder);

// The print dialog on the shared printer set-up (a printer, or its print-to-file choice, which
// writes a PDF even where no printer is installed); when the user confirms it, that printer
// becomes the engine's. False when the dialog was cancelled.
bool choosePrinter(PageEngine& engine, QWidget* owner);

} // namespace rk::print
