// The main window's File menu item "Import/Export...": the window that appends an earlier
// version's data file to the titles and writes the titles to a text file.
#include "form1.h"

#include "appwindows.h"
#include "importexport.h"
#include "modal.h"

void TForm1::ImportClick() {
    TImportExport* window = appWindows().importExport;
    if (!window) return;
    window->setTitlesInView(setHeading_.isEmpty() ? QStringLiteral("All Entries") : setHeading_);
    rk::fw::execModal(window);
}
