// The main window's File menu item "Import/Export...": the window that appends an earlier
// version's data file to the titles and writes the titles to a text file.
#include "form1.h"

#include "appwindows.h"
#include "foreignimport.h"
#include "importexport.h"
#include "modal.h"

void TForm1::ImportClick() {
    TImportExport* window = appWindows().importExport;
    if (!window) return;
    window->setTitlesInView(setHeading_.isEmpty() ? QStringLiteral("All Entries") : setHeading_);
    rk::fw::execModal(window);
}

// File, "Import from Another Program...": made for each use, on the open catalogue.
void TForm1::ImportForeign1Click() {
    TForeignImport window(titlesData(), &catalogue(), dataFolder(), this);
    rk::fw::execModal(&window);
}
