// Saved layouts of the custom report builder (*.rkr files): which fields, their column
// widths, the title, fonts, margins, orientation, spacing, borders and other options.
//
// The file is a Windows-style initialization file (profiletext.h). Sections, in this order
// when the file is new:
//
//   [ReportFile]                        the builder window's placement, then one value per
//     Flags, ShowCmd,                   stored control property, "<control>_<property>":
//     MinMaxPos(WxH), MinMaxPos,        HC1_Width, editTitle_Text, the fonts labHeadFont_,
//     NormPos(WxH), NormPos, Visible    labDataHead_ and labDetailsFont_ (six values each),
//                                       chkBottom_Checked ... chkTop_Checked, cmbSpace_Text,
//                                       Prn_Orientation, ruler_Width, spinBottom_Value ...
//                                       spinTop_Value, butLandscape_Down, butPortrait_Down,
//                                       Prn_Title, Prn_HeaderFont (six values)
//   [ReportFile.DualListDialog1_List1]  available fields: Count, Item0, Item1, ...
//   [ReportFile.DualListDialog1_List2]  chosen fields: Count, Item0, Item1, ...
//   [HeaderCtrl]                        Sect-0 "margin", Size-0, Sect-1, Size-1, ... (pixels)
//
// Encodings: whole numbers in decimal; decimal numbers in general format with "." whatever
// the locale (0.5, 1.25); yes/no as "True"/"False"; choices by name ("poPortrait"); a font
// as six values <prefix>Color (signed decimal, 0x00BBGGRR, system colours negative),
// <prefix>Height (negative: character height in pixels), <prefix>Name, <prefix>Pitch
// ("fpDefault", "fpVariable", "fpFixed"), <prefix>Size (points) and <prefix>Style (the set
// of fsBold, fsItalic, fsUnderline, fsStrikeOut present, "[fsBold,fsItalic]", "[]").
//
// Writing keeps every other value of an existing file; a list section is emptied before its
// entries are written; the placement is written and never read back. Reading leaves a value
// the file lacks (or holds in a form it cannot read) as it was, and keeps every value
// within the range of its control.
#pragma once

#include "columnreport.h"
#include "pagetypes.h"
#include "reportfont.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

namespace rk::print {

enum class FontPitch { Default, Variable, Fixed };

struct LayoutFont {
    qint32 color = 0; // 0x00BBGGRR; negative: a system colour
    int height = -11; // pixels at 96 per inch, negative: the character height
    QString name = QStringLiteral("Arial");
    FontPitch pitch = FontPitch::Default;
    int size = 8; // points
    bool bold = false, italic = false, underline = false, strikeOut = false;

    static LayoutFont make(int size, bool bold, bool italic);
    static LayoutFont from(const ReportFont& font);
    ReportFont toReportFont() const;
    bool operator==(const LayoutFont& o) const;
};

struct HeaderSection {
    QString text;
    int width = 50; // pixels
    bool operator==(const HeaderSection& o) const { return text == o.text && width == o.width; }
};

// The builder window's placement as the file records it.
struct LayoutPlacement {
    int flags = 0, showCmd = 1;
    int screenWidth = 1280, screenHeight = 800;
    std::array<int, 4> minMax{-1, -1, -1, -1}; // min x, min y, max x, max y
    std::array<int, 4> normal{0, 0, 0, 0};     // left, top, right, bottom
};

// The ranges of the builder's controls.
inline constexpr double kMinMargin = 0.25;
inline constexpr double kMaxSideMargin = 6.0;    // left and right
inline constexpr double kMaxTopBottomMargin = 2; // top and bottom
inline constexpr int kMinFontSize = 6, kMaxFontSize = 36;
inline constexpr int kMaxMarginSection = 200; // pixels
inline constexpr int kPortraitStripWidth = 816, kLandscapeStripWidth = 1055;
inline constexpr int kNewSectionWidth = 50;

struct ReportLayout {
    LayoutPlacement placement;
    int headerWidth = kPortraitStripWidth; // HC1_Width
    QStringList available = defaultAvailableFields();
    QStringList chosen{QStringLiteral("Title"), QStringLiteral("Category")};
    QString title = QStringLiteral("Reelkeeper98 Report");
    LayoutFont headFont = LayoutFont::make(12, true, true);
    LayoutFont dataHeadFont = LayoutFont::make(8, true, false);
    LayoutFont detailsFont = LayoutFont::make(8, false, false);
    bool bottom = true, entryCount = true, gridlines = true, left = false, priceTotal = false,
         right = false, top = true;
    QString spacing = QStringLiteral("Single"); // cmbSpace_Text
    TPrinterOrientation orientation = poPortrait;
    int rulerWidth = kPortraitStripWidth;
    double marginBottom = 0.25, marginLeft = 0.5, marginRight = 0.25, marginTop = 0.25;
    bool landscapeDown = false, portraitDown = true;
    QString prnTitle; // the page printer's document title
    LayoutFont prnHeaderFont = LayoutFont::make(12, true, true);
    // Section 0 is the left margin; then one per chosen field.
    std::vector<HeaderSection> sections{{QStringLiteral("margin"), 50},
                                        {QStringLiteral("Title"), 150},
                                        {QStringLiteral("Category"), 125}};

    static QStringList defaultAvailableFields();
};

struct LayoutReadResult {
    bool isLayout = false;   // the text has a section of a layout file
    bool chosenRead = false; // the file holds a chosen list (the report can be built)
    QStringList unreadable;  // names of values present in a form that could not be read
};

// Reads a layout file's text into `layout`. The header sections are rebuilt from section
// HeaderCtrl: one more than the chosen fields, a missing text "---", a missing width 50.
LayoutReadResult readReportLayout(const QString& text, ReportLayout& layout);
// The text of the file with the layout written over `existing` (a file's text or empty).
QString writeReportLayout(const ReportLayout& layout, const QString& existing = QString());

// The same on files. Loading reads at most the first megabyte; false with a message in
// `error` when the file cannot be read. Saving writes a new file in place of the old one
// only when it is complete.
bool loadReportLayout(const QString& path, ReportLayout& layout, LayoutReadResult* result,
                      QString* error);
bool saveReportLayout(const QString& path, const ReportLayout& layout, QString* error);

// ---- Value encodings (also those of the builder's saved settings)
QString layoutNumber(double value); // "0.5", "1.25": shortest exact, "."
std::optional<double> readLayoutNumber(const QString& text);
QString layoutBool(bool value); // "True", "False"
std::optional<bool> readLayoutBool(const QString& text);
QString layoutFontStyle(const LayoutFont& f); // "[fsBold,fsItalic]"

// ---- Fields as the user knows them
// The user fields' captions (the labels of Custom-1 to Custom-4 on the detail pages).
using UserFieldCaptions = std::array<QString, 4>;
// The caption the detail pages give a field of the builder ("Multi_set": "Multi-Set"); the
// user fields take their captions from `user` (an empty one: "Custom-1" ...), and a user's
// caption that another field already has gets the field's name after it in brackets.
QString fieldCaption(const QString& field, const UserFieldCaptions& user);
// The field a caption stands for; the caption itself when it stands for none.
QString fieldOfCaption(const QString& caption, const UserFieldCaptions& user);
QStringList fieldCaptions(const QStringList& fields, const UserFieldCaptions& user);
QStringList fieldsOfCaptions(const QStringList& captions, const UserFieldCaptions& user);
// The width a new column of a field gets, in pixels at 96 per inch: room for the longest
// word of its caption and of the values it usually holds, so that no word is cut.
int defaultSectionWidth(const QString& field);

// ---- The builder's report from a layout
// The header strip after a new choice of fields: the margin keeps its width; field section
// k takes the width section k had before, by position; further sections take their field's
// default width.
std::vector<HeaderSection> rebuildSections(const std::vector<HeaderSection>& before,
                                           const QStringList& chosen);
// The column report of the layout: column widths and the left margin from the header
// sections (pixels at `screenDpi`), title, fonts, grid, page borders and entry count.
// The price total is the caller's: it reads the table.
ColumnReportLayout columnReportLayout(const ReportLayout& layout, double screenDpi = 96);
// "Single", "Single and 1/2", "Double"; nothing for any other text.
std::optional<TLineSpacing> spacingFromText(const QString& text);

} // namespace rk::print
