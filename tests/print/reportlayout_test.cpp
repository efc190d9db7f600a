// Saved report layouts: what a file holds and in which order, reading back, writing over an
// existing file, hand-written and damaged files, and the builder's columns from a layout.
#include "profiletext.h"
#include "reportlayout.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace rk::print {
namespace {

ReportLayout sample() {
    ReportLayout l;
    l.chosen = {QStringLiteral("Year"), QStringLiteral("Title"), QStringLiteral("Price")};
    l.available.removeAll(QStringLiteral("Year"));
    l.sections = {{QStringLiteral("margin"), 72},
                  {QStringLiteral("Year"), 60},
                  {QStringLiteral("Title"), 240},
                  {QStringLiteral("Price"), 75}};
    l.title = QStringLiteral("Westerns, 1950 = 1959");
    l.headFont.name = QStringLiteral("Times New Roman");
    l.headFont.size = 14;
    l.headFont.height = -19;
    l.headFont.underline = true;
    l.detailsFont.color = 0x0000FF; // red
    l.detailsFont.pitch = FontPitch::Fixed;
    l.marginLeft = 0.75;
    l.marginTop = 1.05;
    l.orientation = poLandscape;
    l.headerWidth = l.rulerWidth = kLandscapeStripWidth;
    l.landscapeDown = true;
    l.portraitDown = false;
    l.gridlines = false;
    l.priceTotal = true;
    l.spacing = QStringLiteral("Double");
    return l;
}

void expectSame(const ReportLayout& a, const ReportLayout& b) {
    EXPECT_EQ(a.chosen, b.chosen);
    EXPECT_EQ(a.available, b.available);
    EXPECT_EQ(a.sections, b.sections);
    EXPECT_EQ(a.title, b.title);
    EXPECT_TRUE(a.headFont == b.headFont);
    EXPECT_TRUE(a.dataHeadFont == b.dataHeadFont);
    EXPECT_TRUE(a.detailsFont == b.detailsFont);
    EXPECT_DOUBLE_EQ(a.marginLeft, b.marginLeft);
    EXPECT_DOUBLE_EQ(a.marginTop, b.marginTop);
    EXPECT_DOUBLE_EQ(a.marginRight, b.marginRight);
    EXPECT_DOUBLE_EQ(a.marginBottom, b.marginBottom);
    EXPECT_EQ(a.orientation, b.orientation);
    EXPECT_EQ(a.headerWidth, b.headerWidth);
    EXPECT_EQ(a.landscapeDown, b.landscapeDown);
    EXPECT_EQ(a.gridlines, b.gridlines);
    EXPECT_EQ(a.priceTotal, b.priceTotal);
    EXPECT_EQ(a.spacing, b.spacing);
}

// Section headings and value names in file order.
QStringList outline(const QString& text) {
    QStringList out;
    for (const QString& line : text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
        out << (line.startsWith(QLatin1Char('[')) ? line : line.section(QLatin1Char('='), 0, 0));
    return out;
}

TEST(ReportLayoutFile, SavingAndOpeningGivesTheSameLayout) {
    const ReportLayout saved = sample();
    ReportLayout opened;
    const LayoutReadResult r = readReportLayout(writeReportLayout(saved), opened);
    EXPECT_TRUE(r.isLayout);
    EXPECT_TRUE(r.chosenRead);
    EXPECT_TRUE(r.unreadable.isEmpty()) << r.unreadable.join(',').toStdString();
    expectSame(opened, saved);
}

TEST(ReportLayoutFile, ANewFileHasItsSectionsAndValuesInOrder) {
    ReportLayout l;
    l.headFont = LayoutFont::make(12, true, true);
    QLocale::setDefault(QLocale(QLocale::German)); // "," as the decimal point
    const QString text = writeReportLayout(l);
    QLocale::setDefault(QLocale::c());
    const QStringList o = outline(text);
    const QStringList headings = o.filter(QRegularExpression(QStringLiteral("^\\[")));
    EXPECT_EQ(headings, (QStringList{QStringLiteral("[ReportFile]"),
                                     QStringLiteral("[ReportFile.DualListDialog1_List1]"),
                                     QStringLiteral("[ReportFile.DualListDialog1_List2]"),
                                     QStringLiteral("[HeaderCtrl]")}));
    EXPECT_EQ(o.mid(1, 8),
              (QStringList{QStringLiteral("Flags"), QStringLiteral("ShowCmd"),
                           QStringLiteral("MinMaxPos(1280x800)"), QStringLiteral("MinMaxPos"),
                           QStringLiteral("NormPos(1280x800)"), QStringLiteral("NormPos"),
                           QStringLiteral("Visible"), QStringLiteral("HC1_Width")}));
    EXPECT_EQ(o.indexOf(QStringLiteral("Prn_HeaderFontStyle")) + 1,
              o.indexOf(QStringLiteral("[ReportFile.DualListDialog1_List1]")));
    EXPECT_EQ(o.last(), QStringLiteral("Size-2"));
    const ProfileText file(text);
    auto value = [&](const char* name) {
        return file.value(QStringLiteral("ReportFile"), QString::fromLatin1(name)).value_or("?");
    };
    EXPECT_EQ(value("labHeadFont_FontStyle"), QStringLiteral("[fsBold,fsItalic]"));
    EXPECT_EQ(value("labDetailsFont_FontStyle"), QStringLiteral("[]"));
    EXPECT_EQ(value("spinLeft_Value"), QStringLiteral("0.5"));
    EXPECT_EQ(value("spinTop_Value"), QStringLiteral("0.25"));
    EXPECT_EQ(value("chkGridlines_Checked"), QStringLiteral("True"));
    EXPECT_EQ(value("Prn_Orientation"), QStringLiteral("poPortrait"));
    EXPECT_EQ(
        file.value(QStringLiteral("ReportFile.DualListDialog1_List2"), QStringLiteral("Item1")),
        QStringLiteral("Category"));
    EXPECT_EQ(file.value(QStringLiteral("HeaderCtrl"), QStringLiteral("Sect-0")),
              QStringLiteral("margin"));
}

TEST(ReportLayoutFile, HeaderSectionsFollowTheChosenFieldsWithDefaults) {
    const QString text = QStringLiteral(
        "[ReportFile.DualListDialog1_List2]\nCount=3\nItem0=Title\nItem1=Year\nItem2=Price\n"
        "[HeaderCtrl]\nSect-0=margin\nSize-0=60\nSect-1=Title\nSize-1=200\nSize-2=70\n"
        "Sect-3=Price\nSect-4=Extra\nSize-4=90\n");
    ReportLayout l;
    EXPECT_TRUE(readReportLayout(text, l).chosenRead);
    EXPECT_EQ(l.sections, (std::vector<HeaderSection>{{QStringLiteral("margin"), 60},
                                                      {QStringLiteral("Title"), 200},
                                                      {QStringLiteral("---"), 70},
                                                      {QStringLiteral("Price"), 50}}));
    // Without a chosen list the former fields stay and the report is not built.
    ReportLayout none;
    EXPECT_FALSE(
        readReportLayout(QStringLiteral("[ReportFile]\neditTitle_Text=X\n"), none).chosenRead);
    EXPECT_EQ(none.chosen, ReportLayout().chosen);
    EXPECT_EQ(none.title, QStringLiteral("X"));
}

TEST(ReportLayoutFile, ASmallerLayoutSavedOverALargerKeepsTheOldValues) {
    ReportLayout four;
    four.chosen = {QStringLiteral("Title"), QStringLiteral("Category"), QStringLiteral("Year"),
                   QStringLiteral("Price")};
    four.sections = rebuildSections(four.sections, four.chosen);
    ProfileText larger(writeReportLayout(four));
    larger.setValue(QStringLiteral("ReportFile"), QStringLiteral("SomethingElse"),
                    QStringLiteral("7"));
    const QString before = QStringLiteral("; kept comment\r\n[Other]\r\nKey=1\r\n") + larger.text();
    const ReportLayout two; // Title, Category
    const QString after = writeReportLayout(two, before);
    const ProfileText file(after);
    const QString h = QStringLiteral("HeaderCtrl");
    EXPECT_EQ(file.value(h, QStringLiteral("Sect-3")), QStringLiteral("Year"));
    EXPECT_EQ(file.value(h, QStringLiteral("Sect-4")), QStringLiteral("Price"));
    EXPECT_EQ(file.value(h, QStringLiteral("Size-4")),
              QString::number(defaultSectionWidth(QStringLiteral("Price"))));
    EXPECT_EQ(file.value(QStringLiteral("Other"), QStringLiteral("Key")), QStringLiteral("1"));
    EXPECT_EQ(file.value(QStringLiteral("ReportFile"), QStringLiteral("SomethingElse")),
              QStringLiteral("7"));
    EXPECT_TRUE(after.startsWith(QStringLiteral("; kept comment\r\n")));
    // The list section was emptied before writing: no third entry left behind.
    const QString chosen = QStringLiteral("ReportFile.DualListDialog1_List2");
    EXPECT_EQ(file.value(chosen, QStringLiteral("Count")), QStringLiteral("2"));
    EXPECT_FALSE(file.value(chosen, QStringLiteral("Item2")));
    ReportLayout opened;
    readReportLayout(after, opened);
    EXPECT_EQ(opened.chosen, two.chosen);
    ASSERT_EQ(opened.sections.size(), 3u);
}

TEST(ReportLayoutFile, AFileWrittenByHandOpens) {
    const QString text = QStringLiteral(
        "[ReportFile]\r\n"
        "HC1_Width=816\r\n"
        "editTitle_Text = My Westerns \r\n"
        "labHeadFont_FontColor=255\r\n"
        "labHeadFont_FontHeight=-24\r\n"
        "labHeadFont_FontName=Times New Roman\r\n"
        "labHeadFont_FontPitch=fpVariable\r\n"
        "labHeadFont_FontStyle=[fsItalic,fsUnderline]\r\n"
        "labDetailsFont_FontHeight=-13\r\n"
        "labDetailsFont_FontSize=9\r\n"
        "chkLeft_Checked=True\r\n"
        "chkTop_Checked=False\r\n"
        "cmbSpace_Text=Single and 1/2\r\n"
        "Prn_Orientation=poLandscape\r\n"
        "spinRight_Value=1.25\r\n"
        "spinBottom_Value=0.5\r\n"
        "[ReportFile.DualListDialog1_List2]\r\n"
        "Count=2\r\nItem0=Director\r\nItem1=Title\r\n"
        "[HeaderCtrl]\r\n"
        "Sect-0=margin\r\nSize-0=48\r\nSect-1=Director\r\nSize-1=130\r\nSect-2=Title\r\n"
        "Size-2=210\r\n");
    ReportLayout l;
    const LayoutReadResult r = readReportLayout(text, l);
    EXPECT_TRUE(r.unreadable.isEmpty()) << r.unreadable.join(',').toStdString();
    EXPECT_EQ(l.title, QStringLiteral("My Westerns"));
    EXPECT_EQ(l.headFont.name, QStringLiteral("Times New Roman"));
    EXPECT_EQ(l.headFont.size, 18); // from the height: -24 pixels at 96 per inch
    EXPECT_TRUE(l.headFont.italic && l.headFont.underline && !l.headFont.bold);
    EXPECT_EQ(l.headFont.toReportFont().color, QColor(255, 0, 0));
    EXPECT_EQ(l.detailsFont.size, 9); // the size wins over the height
    EXPECT_TRUE(l.left);
    EXPECT_FALSE(l.top);
    EXPECT_EQ(spacingFromText(l.spacing), lsSingleAndAHalf);
    EXPECT_EQ(l.orientation, poLandscape);
    EXPECT_DOUBLE_EQ(l.marginRight, 1.25);
    EXPECT_DOUBLE_EQ(l.marginBottom, 0.5);
    EXPECT_EQ(l.chosen, (QStringList{QStringLiteral("Director"), QStringLiteral("Title")}));
    const ColumnReportLayout c = columnReportLayout(l);
    EXPECT_EQ(reportTableFormat(c.widths), QStringLiteral("<1.35|<2.19"));
    EXPECT_DOUBLE_EQ(c.leftMargin, 0.5);
    EXPECT_EQ(c.borders, TPageBorders(pbLeft) | pbBottom);
}

TEST(ReportLayoutFile, DamagedValuesAreClampedOrLeftAsTheyWere) {
    const QString text = QStringLiteral(
        "garbage line without equals\n[ReportFile\n[ReportFile]\n=novalue\n"
        "spinLeft_Value=99\nspinTop_Value=0\nspinRight_Value=0,75\nspinBottom_Value=abc\n"
        "labDataHead_FontSize=200\nlabDataHead_FontColor=99999999999\n"
        "labDataHead_FontStyle=fsBold\nchkGridlines_Checked=maybe\nPrn_Orientation=sideways\n"
        "HC1_Width=-5\ncmbSpace_Text=Triple\n"
        "[ReportFile.DualListDialog1_List2]\nCount=2147483647\nItem5=Title\n"
        "[HeaderCtrl]\nSize-0=500\nSize-1=-20\n");
    ReportLayout l;
    const ReportLayout before = l;
    const LayoutReadResult r = readReportLayout(text, l);
    EXPECT_DOUBLE_EQ(l.marginLeft, kMaxSideMargin);
    EXPECT_DOUBLE_EQ(l.marginTop, kMinMargin);
    EXPECT_DOUBLE_EQ(l.marginRight, 0.75);
    EXPECT_DOUBLE_EQ(l.marginBottom, before.marginBottom);
    EXPECT_EQ(l.dataHeadFont.size, kMaxFontSize);
    EXPECT_EQ(l.dataHeadFont.color, before.dataHeadFont.color);
    EXPECT_TRUE(l.dataHeadFont.bold);
    EXPECT_TRUE(l.gridlines);
    EXPECT_EQ(l.orientation, poPortrait);
    EXPECT_EQ(l.headerWidth, kPortraitStripWidth);
    EXPECT_EQ(l.spacing, before.spacing);
    EXPECT_EQ(l.chosen, QStringList{QStringLiteral("Title")}); // the one entry there is
    ASSERT_EQ(l.sections.size(), 2u);
    EXPECT_EQ(l.sections[0].width, kMaxMarginSection);
    EXPECT_EQ(l.sections[1].width, 0);
    for (const char* name : {"spinBottom_Value", "labDataHead_FontColor", "labDataHead_FontStyle",
                             "chkGridlines_Checked", "Prn_Orientation", "cmbSpace_Text"})
        EXPECT_TRUE(r.unreadable.contains(QLatin1String(name))) << name;

    ReportLayout foreign;
    EXPECT_FALSE(readReportLayout(QStringLiteral("PK\x03\x04 not a layout"), foreign).isLayout);
    EXPECT_EQ(foreign.chosen, before.chosen);
}

TEST(ReportLayoutFile, FilesOnDiskAndWindowsText) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("westerns.rkr"));
    QString error;
    ASSERT_TRUE(saveReportLayout(path, sample(), &error)) << error.toStdString();
    ReportLayout l;
    LayoutReadResult r;
    ASSERT_TRUE(loadReportLayout(path, l, &r, &error));
    expectSame(l, sample());

    // A file from a Windows program: Windows-1252 bytes.
    QFile f(dir.filePath(QStringLiteral("old.rkr")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[ReportFile]\r\neditTitle_Text=Caf\xE9 \x80 Films\r\n");
    f.close();
    ASSERT_TRUE(loadReportLayout(f.fileName(), l, &r, &error));
    EXPECT_EQ(l.title, QString::fromUtf8("Café € Films"));

    EXPECT_FALSE(loadReportLayout(dir.filePath(QStringLiteral("missing.rkr")), l, &r, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(saveReportLayout(dir.filePath(QStringLiteral("no/such/dir/x.rkr")), l, &error));
}

TEST(ReportBuilderColumns, WidthsMarginAndANewChoiceOfFields) {
    const ReportLayout l; // Title 150, Category 125, margin 50
    const ColumnReportLayout c = columnReportLayout(l, 96);
    EXPECT_EQ(reportTableFormat(c.widths), QStringLiteral("<1.56|<1.30"));
    EXPECT_DOUBLE_EQ(c.leftMargin, 50 / 96.0);
    EXPECT_EQ(c.fields, l.chosen);

    std::vector<HeaderSection> before = l.sections;
    before[0].width = 140; // a margin wider than 127 pixels
    const QStringList five{QStringLiteral("Year"), QStringLiteral("Title"), QStringLiteral("ID"),
                           QStringLiteral("Price"), QStringLiteral("Rated")};
    const std::vector<HeaderSection> after = rebuildSections(before, five);
    ASSERT_EQ(after.size(), 6u);
    std::vector<int> widths;
    for (const HeaderSection& s : after)
        widths.push_back(s.width);
    EXPECT_EQ(widths,
              (std::vector<int>{140, 150, 125, defaultSectionWidth("ID"),
                                defaultSectionWidth("Price"), defaultSectionWidth("Rated")}));
    EXPECT_EQ(after[1].text, QStringLiteral("Year"));
    EXPECT_EQ(after[5].text, QStringLiteral("Rated"));
}

TEST(ReportBuilderColumns, CaptionsStandForOneFieldEach) {
    QStringList fields = ReportLayout::defaultAvailableFields();
    fields << QStringLiteral("Title") << QStringLiteral("Category");
    fields.removeDuplicates();
    // User captions that repeat each other or another field's caption, and one left empty.
    const UserFieldCaptions user{QStringLiteral("Shelf"), QStringLiteral("price"),
                                 QStringLiteral(" Shelf "), QString()};
    const QStringList captions = fieldCaptions(fields, user);
    EXPECT_EQ(QSet<QString>(captions.begin(), captions.end()).size(), captions.size());
    EXPECT_EQ(fieldsOfCaptions(captions, user), fields);
    EXPECT_EQ(fieldCaption(QStringLiteral("User1"), user), QStringLiteral("Shelf"));
    EXPECT_EQ(fieldCaption(QStringLiteral("User4"), user), QStringLiteral("Custom-4"));
    EXPECT_EQ(fieldCaption(QStringLiteral("Close_Capt"), user), QStringLiteral("Close Captioned"));
    // A name the builder does not know (from a file of another version) stands for itself.
    EXPECT_EQ(fieldCaption(QStringLiteral("Marked"), user), QStringLiteral("Marked"));
    EXPECT_EQ(fieldOfCaption(QStringLiteral("Marked"), user), QStringLiteral("Marked"));
}

} // namespace
} // namespace rk::print
