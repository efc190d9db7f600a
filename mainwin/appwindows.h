// The program's windows, each created once at start-up in a fixed order and living for the
// whole run.
#pragma once

#include <QPointer>
#include <QString>

class QWidget;
class TFindForm;
class TForm1;
class TImportExport;
class TMasterForm;
class TModCats;
class TNavForm;
class TNewGrid;
class TPrefForm;
class TStatsForm;
class TfrmLabels;
class TfrmPlayer;
namespace rk::print {
class TColPrtForm;
class TPrintDiag;
class TReportForm;
} // namespace rk::print

struct AppWindows {
    QPointer<TForm1> form1;
    QPointer<TModCats> modCats;
    QPointer<TPrefForm> prefForm;
    QPointer<TNavForm> navForm;
    QPointer<QWidget> aboutBox;
    QPointer<TNewGrid> newGrid;
    QPointer<TFindForm> findForm;
    QPointer<TfrmLabels> frmLabels;
    QPointer<TfrmPlayer> player;
    QPointer<TMasterForm> masterForm;
    QPointer<TImportExport> importExport;
    QPointer<rk::print::TColPrtForm> colPrtForm;
    QPointer<rk::print::TReportForm> reportForm;
    QPointer<rk::print::TPrintDiag> printDiag;
    QPointer<TStatsForm> statsForm;
};

AppWindows& appWindows();

// Creates the windows in their order: the main window first (so that it is the program's
// main window and later windows may read what it set up), then the list editor, the
// preferences, the report form, the navigator, the print dialog, the about window, the
// internet search, the find dialog, the label printer, import/export, the player, the
// report builder, the master editor and the statistics. Returns the main window; when it
// could not open its catalogue (the user has been told why) no other window is created.
TForm1* createWindows(const QString& dataFolder);
// Deletes them, the main window last.
void destroyWindows();
// Makes the windows again on the catalogue in `dataFolder`, after the main window has left
// its own (TForm1::leaveCatalogue); when that one cannot be opened, on the folder left. Shows
// the main window; ends the program when neither opens.
TForm1* switchCatalogue(const QString& dataFolder);
