// TNewGrid, "Internet Search and Information": turns a few choices and a search text into
// a web address on the film database (or, for quotations, the film quotes site) and has the
// desktop's browser open it. It searches nothing itself and reads nothing back.
//
//   pages          controls
//   movies         editSearch, radSearchType (movies only / movies and TV / TV only)
//   awards         radOptions (by category / by year / summary)
//   other          radNews (latest news / famous quotes / biographies), editBiog
//   stars          editStarSearch, radStarOptions (actors / actresses / directors / writers)
//   [Go] [Close]
//
// Shown without blocking the main window; created once, so texts, choices and the page
// shown stay as the user left them (closing only hides it). Addresses are opened through
// the prompt seam's URL opener. The address of each choice comes from the table in
// "WebSearch.txt" beside the settings (search/webaddress.h), read at each Go and written
// with the built-in addresses when missing; "Addresses..." opens it in the desktop's editor.
#pragma once

#include "webaddress.h"

#include <QDialog>

#include <string>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

class TNewGrid : public QDialog {
    Q_OBJECT

public:
    explicit TNewGrid(QWidget* parent = nullptr);

    // --- Handlers
    void FormShow();
    void PageControl1Change();
    void radSearchTypeClick();
    void radNewsClick();
    void radStarOptionsClick();
    void BitBtn1Click(); // Go
    void BitBtn2Click(); // Close
    void btnAddressesClick();

    // The movie search text, as the main window hands it the current title; selected, so
    // that typing replaces it.
    void setSearchText(const QString& text);
    // The file of the search addresses.
    static QString addressesFile();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QGroupBox* radioGroup(QWidget* page, const char* name, const QString& caption,
                          const QStringList& items, QButtonGroup** group);
    // Tells what the page still needs, and puts the focus where it goes.
    void askFor(const QString& message, QLineEdit* edit);
    void open(const std::string& address);
    // The table of addresses, with the file's problems told once for each new set of them.
    rk::search::SearchAddresses addresses();

    QTabWidget* PageControl1 = nullptr;
    QWidget *TabSheet1 = nullptr, *TabSheet2 = nullptr, *TabSheet3 = nullptr, *TabSheet4 = nullptr;
    QLineEdit* editSearch = nullptr;
    QGroupBox* radSearchType = nullptr;
    QGroupBox* radOptions = nullptr;
    QGroupBox* radNews = nullptr;
    QLabel* lblBiog = nullptr;
    QLineEdit* editBiog = nullptr;
    QLineEdit* editStarSearch = nullptr;
    QGroupBox* radStarOptions = nullptr;
    QButtonGroup *searchTypes_ = nullptr, *options_ = nullptr, *news_ = nullptr,
                 *starTypes_ = nullptr;
    QPushButton *BitBtn1 = nullptr, *BitBtn2 = nullptr, *btnAddresses = nullptr;
    QString problemsTold_;
};
