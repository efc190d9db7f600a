// TfrmLabels, the label printer: the user composes a cassette label for the current title in
// a small rich-text editor, picks the next free label on a sheet of the Avery 5199-F (faces)
// or 5199-S (spines) type, or a free position, and prints the label there; the page
// printer places the text by setting its margins to the label's position.
//
//   +-------------------------------------------+  +-- PageCtrl ---------+
//   |  labLabel: RichEdit1, as wide and tall as  |  | 5199-F | 5199-S     |
//   |  the label on paper                        |  | sheet picture with  |
//   +-------------------------------------------+  | its position marker |
//   +-- PageControl1 ---------------------------+  | Column: [1] Row: [1]|
//   | Font Attributes | Fields to Include |     |  +---------------------+
//   |   Custom Settings                          |
//   +-------------------------------------------+
//   [Prev] [Next]    [Preview...] [Save as PDF...] [Setup] [Print] [Help] [Close]
//
// Created once and kept for the whole run: the text, the saved face text, the positions,
// the custom values and the attributes stay between openings; only the text is replaced by
// the current title when the window is shown. It works on the main window's titles at
// their current record (Next and Prev move that record).
//
// The editor holds one label layout at a time: the face layout, or the spine layout whose
// text is the title and ID; the face text is kept while the spine layout is shown.
#pragma once

#include "labellayout.h"

#include <QColor>
#include <QDialog>
#include <QPointer>

class QCheckBox;
class QComboBox;
class QFontComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTextDocument;
class QTextCharFormat;
class QTextEdit;
class QToolButton;

namespace rk {
class SpinEdit;
class TransparentPicture;
} // namespace rk

namespace rk::fw {
class Dataset;
}

namespace rk::print {
class LabelPreview;
class TPagePrinter;
} // namespace rk::print

class TfrmLabels : public QDialog {
    Q_OBJECT

public:
    // `titles`: the main window's titles, at the title the label is for.
    explicit TfrmLabels(rk::fw::Dataset* titles, QWidget* parent = nullptr);
    ~TfrmLabels() override;

    // The margins the next print uses: the sheet of the picker's active tab (shown or not)
    // and its chosen position, or the custom position.
    rk::print::LabelMargins chosenMargins() const;
    // The colour of text that has no colour of its own.
    QColor defaultTextColor() const { return textColor_; }

    // --- Handlers
    void FormShow();
    void FormClose();
    void BitBtn1Click(); // Next
    void BitBtn2Click(); // Prev
    void LrsBmp1MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers,
                          const QPoint& position);
    void LrsBmp2MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers,
                          const QPoint& position);
    void PageCtrlChange();
    void chkCustomClick();
    void butFaceClick();
    void butSpineClick();
    void ListBox1ClickCheck(QListWidgetItem* item);
    void RichEdit1SelectionChange();
    void FontNameChange();
    void FontSizeChange();
    void FontColorChange();
    void BoldButtonClick();
    void ItalicButtonClick();
    void UnderlineButtonClick();
    void LeftAlignClick(); // all three alignment buttons
    void BitBtn4Click();   // Print
    void BitBtn5Click();   // Setup
    void BitBtn3Click();   // Help
    void butPreviewClick();
    void butSavePdfClick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildPicker();
    void buildEditor();
    void buildAttributesPage(QWidget* page);
    void buildFieldsPage(QWidget* page);
    void buildCustomPage(QWidget* page);
    void connectHandlers();

    void switchLayout(rk::print::LabelSheet layout);
    // Sizes the label outline and the editor to the chosen label as it is on paper, so that
    // the editor wraps lines where the paper will.
    void fitEditorToLabel();
    void appendLine(const QString& line);
    // Applies a character attribute to the selection, or, with nothing selected, to the
    // editor's default attributes (text without an attribute of its own takes them).
    void applyCharFormat(const QTextCharFormat& format);
    void showTextColor(const QColor& color);
    // The colour of text without a colour of its own, as the editor shows it.
    void setTextColor(const QColor& color);
    // The sheet whose label height the text must fit: the picker's tab, or with the custom
    // position the layout of the editor.
    rk::print::LabelSheet labelSheet() const;
    // Asks before a text taller than its label is printed; true to go on.
    bool confirmTextFits(const rk::print::LabelMargins& margins);
    void showPrintError(const QString& message);

    rk::fw::Dataset* titles_;

    // The sheet picker
    QTabWidget* PageCtrl = nullptr;
    QWidget *TabSheet1 = nullptr, *TabSheet2 = nullptr;
    rk::TransparentPicture *LrsBmp1 = nullptr, *LrsBmp2 = nullptr;
    QLabel *butPos = nullptr, *butPos2 = nullptr;
    QLineEdit *EditCol = nullptr, *EditRow = nullptr, *SpineRow = nullptr;

    // The label
    QFrame* labLabel = nullptr;
    QTextEdit* RichEdit1 = nullptr;

    QTabWidget* PageControl1 = nullptr;
    // Font Attributes
    QFontComboBox* FontName = nullptr;
    QSpinBox* FontSize = nullptr;
    QComboBox* FontColor = nullptr;
    QToolButton *BoldButton = nullptr, *ItalicButton = nullptr, *UnderlineButton = nullptr;
    QToolButton *LeftAlign = nullptr, *CenterAlign = nullptr, *RightAlign = nullptr;
    // Fields to Include
    QListWidget* ListBox1 = nullptr;
    // Custom Settings
    QCheckBox* chkCustom = nullptr;
    QToolButton *butFace = nullptr, *butSpine = nullptr;
    rk::SpinEdit *SpinHor = nullptr, *SpinVer = nullptr;

    QPushButton *BitBtn1 = nullptr, *BitBtn2 = nullptr, *BitBtn3 = nullptr, *BitBtn4 = nullptr,
                *BitBtn5 = nullptr, *butPreview = nullptr, *butSavePdf = nullptr,
                *butClose = nullptr;

    // The page printer the labels are printed with (hidden).
    rk::print::TPagePrinter* prn = nullptr;
    QPointer<rk::print::LabelPreview> preview_;

    // While the attribute controls show the caret's attributes, their handlers do nothing.
    bool FUpdating = false;
    rk::print::LabelSheet layout_ = rk::print::LabelSheet::Face;
    rk::print::LabelPositions positions_;
    // The face text and its default colour, kept while the spine layout is shown.
    QPointer<QTextDocument> faceText_;
    QColor faceTextColor_ = Qt::black;
    QColor textColor_ = Qt::black;
    QString pdfFolder_;
};
