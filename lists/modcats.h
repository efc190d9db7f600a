// TModCats, "User-Defined Settings": the user's categories, personal ratings and media
// formats, and the format a new title receives.
//
// Categories are records of the main window's categories table and change at once. The
// ratings and formats are lists of the dialog, loaded once at its creation from Rats.dat
// and Formats.dat (the built-in lists when a file is missing), kept across openings whether
// the dialog was left with OK or Cancel, and written to their files only at OK. The default
// format is the main window's at once, and the setting waits for OK.
#pragma once

#include "status.h"

#include <QDialog>
#include <QStringList>

#include <functional>

class QComboBox;
class QListWidget;
class QPushButton;
class QTabWidget;

namespace rk::fw {
class Dataset;
class DBLookupList;
class RecordListModel;
} // namespace rk::fw

// What the dialog changes in the main window.
struct ListsHost {
    rk::fw::Dataset* categories = nullptr; // the categories table, as the main window shows it
    QString dataFolder;                    // with its trailing separator
    std::function<QString()> defaultFormat;
    std::function<void(const QString&)> setDefaultFormat;
    // The choices of the title editor's format and rating drop-downs.
    std::function<void(const QStringList& formats, const QStringList& ratings)> setChoiceLists;
    // Closes the categories table and opens it again.
    std::function<rk::Status()> reopenCategories;
};

class TModCats : public QDialog {
    Q_OBJECT

public:
    explicit TModCats(ListsHost host, QWidget* parent = nullptr);

    QTabWidget* PageControl1 = nullptr;
    rk::fw::DBLookupList* DBLookupListBox1 = nullptr;                       // "Current Categories"
    QPushButton *Button1 = nullptr, *Button2 = nullptr;                     // add, delete category
    QListWidget* ListBox1 = nullptr;                                        // ratings
    QPushButton *Button3 = nullptr, *Button4 = nullptr;                     // add, delete rating
    QListWidget* ListBox2 = nullptr;                                        // formats
    QPushButton *Button5 = nullptr, *Button6 = nullptr;                     // add, delete format
    QComboBox* ComboBox1 = nullptr;                                         // "Default Format"
    QPushButton *BitBtn1 = nullptr, *BitBtn2 = nullptr, *BitBtn3 = nullptr; // OK, Cancel, Help

    QStringList ratings() const;
    QStringList formats() const;

    void FormCreate();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Button6Click();
    void ComboBox1Change(const QString& text);
    void BitBtn1Click();
    void BitBtn3Click();

private:
    void buildControls();
    void copyFormatsToDefaultList();
    QStringList loadList(const char* file, const std::vector<std::string>& builtin) const;
    bool saveList(const char* file, const QStringList& items);

    ListsHost host_;
    rk::fw::RecordListModel* categoryModel_ = nullptr;
};
