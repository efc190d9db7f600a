// TReportForm: the standard report. The window is never shown: it carries the report's
// fields that each run sets (the title QRLabel4, the date QRDateTime, the request label
// QRLabel1, the user field captions UserLab1 to UserLab4) and the detail frame, and runs the
// banded report over the titles to the preview window or to the printer.
//
// TReportPreview: the built pages at a zoom, page by page, with Print and "Save as PDF...".
#pragma once

#include "standardreport.h"

#include <QDialog>
#include <QWidget>

#include <cstdint>
#include <functional>

class QComboBox;
class QLabel;
class QPushButton;

namespace rk::store {
class Table;
}

namespace rk::print {

class TPagePrinter;

class TReportPreview : public QDialog {
    Q_OBJECT

public:
    explicit TReportPreview(QWidget* parent = nullptr);

    TPagePrinter* Prn = nullptr; // the pages
    QPushButton* butPrint = nullptr;
    QPushButton* butSavePdf = nullptr;
    QPushButton* btnPrevPage = nullptr;
    QPushButton* btnNextPage = nullptr;
    QLabel* lblPage = nullptr;
    QComboBox* ZoomList = nullptr;
    QPushButton* butClose = nullptr;

    // Where "Save as PDF..." starts.
    void setFolder(const QString& folder) { folder_ = folder; }

    // Shows the window modally (through the program's modal seam).
    int execute();

    void butPrintClick();
    void butSavePdfClick();
    void btnPrevPageClick();
    void btnNextPageClick();
    void ZoomListClick();
    void showPageLabel();

private:
    QString folder_;
};

class TReportForm : public QWidget {
    Q_OBJECT

public:
    explicit TReportForm(QWidget* parent = nullptr);

    QLabel* QRLabel4 = nullptr;   // the report title
    QLabel* QRDateTime = nullptr; // "Printed at " and the date (hidden: no date)
    QLabel* QRLabel1 = nullptr;   // the request label
    QLabel* UserLab1 = nullptr;
    QLabel* UserLab2 = nullptr;
    QLabel* UserLab3 = nullptr;
    QLabel* UserLab4 = nullptr;

    // Date or date and time after "Printed at " (when QRDateTime is not hidden).
    void setDateKind(ReportDateOption kind) { dateKind_ = kind; }
    void setFrame(ReportBorderOption frame) { frame_ = frame; }
    ReportBorderOption frame() const { return frame_; }
    // Where a title's front cover is (by record number; empty: none), and whether the
    // report prints it.
    void setCoverSource(std::function<QString(uint32_t)> source) {
        coverSource_ = std::move(source);
    }
    void setIncludeCovers(bool on) { covers_ = on; }

    // The report as the fields stand.
    StandardReportOptions options() const;

    // Builds the report over the visible titles and shows it in the preview window.
    void previewReport(store::Table& titles, const QString& folder);
    // Shows the print dialog, then builds the report on the chosen printer and prints it.
    // False when the user cancelled.
    bool printReport(store::Table& titles);
    // Builds the report and saves its pages as a PDF file the user names.
    bool saveReportAsPdf(store::Table& titles, const QString& folder);

private:
    // Builds the pages into `engine`; false (the user told why) when they could not be.
    bool build(PageEngine& engine, store::Table& titles);

    ReportDateOption dateKind_ = ReportDateOption::Date;
    ReportBorderOption frame_ = ReportBorderOption::Border;
    TReportPreview* preview_ = nullptr;
    std::function<QString(uint32_t)> coverSource_;
    bool covers_ = false;
};

} // namespace rk::print
