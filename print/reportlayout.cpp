#include "reportlayout.h"

#include "profiletext.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <cmath>

namespace rk::print {

namespace {

const QString kReportFile = QStringLiteral("ReportFile");
const QString kAvailableList = QStringLiteral("ReportFile.DualListDialog1_List1");
const QString kChosenList = QStringLiteral("ReportFile.DualListDialog1_List2");
const QString kHeaderCtrl = QStringLiteral("HeaderCtrl");

// Layout files are a few kilobytes; anything beyond this is not read.
constexpr qint64 kMaxFileBytes = 1 << 20;
// More list entries than any table has fields are not read.
constexpr int kMaxListEntries = 256;

int pixelsFromPoints(int points) {
    return -static_cast<int>(std::lround(points * 96.0 / 72.0));
}

QString pitchName(FontPitch p) {
    switch (p) {
    case FontPitch::Variable:
        return QStringLiteral("fpVariable");
    case FontPitch::Fixed:
        return QStringLiteral("fpFixed");
    case FontPitch::Default:
        break;
    }
    return QStringLiteral("fpDefault");
}

std::optional<qint64> readWhole(const QString& text) {
    bool ok = false;
    const qint64 v = text.trimmed().toLongLong(&ok);
    if (!ok) return std::nullopt;
    return v;
}

// Reads values of one section into a layout, noting what it could not read.
class Reader {
public:
    Reader(const ProfileText& file, const QString& section, LayoutReadResult& result)
        : file_(file), section_(section), result_(result) {}

    std::optional<QString> text(const QString& name) const { return file_.value(section_, name); }

    template <typename T, typename Parse> void read(const QString& name, T& into, Parse parse) {
        const std::optional<QString> v = text(name);
        if (!v) return;
        if (std::optional<T> parsed = parse(*v))
            into = *parsed;
        else
            result_.unreadable << name;
    }

    void whole(const QString& name, int& into, qint64 lo, qint64 hi) {
        read(name, into, [lo, hi](const QString& v) -> std::optional<int> {
            const std::optional<qint64> n = readWhole(v);
            if (!n) return std::nullopt;
            return static_cast<int>(std::clamp(*n, lo, hi));
        });
    }
    void number(const QString& name, double& into, double lo, double hi) {
        read(name, into, [lo, hi](const QString& v) -> std::optional<double> {
            const std::optional<double> n = readLayoutNumber(v);
            if (!n) return std::nullopt;
            return std::clamp(*n, lo, hi);
        });
    }
    void boolean(const QString& name, bool& into) { read(name, into, readLayoutBool); }
    void string(const QString& name, QString& into) {
        if (std::optional<QString> v = text(name)) into = *v;
    }

    void font(const QString& prefix, LayoutFont& f) {
        // In the order written, so that Size wins over Height.
        read(prefix + QLatin1String("Color"), f.color,
             [](const QString& v) -> std::optional<qint32> {
                 const std::optional<qint64> n = readWhole(v);
                 if (!n || *n < INT32_MIN || *n > INT32_MAX) return std::nullopt;
                 return static_cast<qint32>(*n);
             });
        int height = f.height;
        whole(prefix + QLatin1String("Height"), height, -1000, 1000);
        if (height != f.height && height != 0) {
            f.height = height;
            const int points = static_cast<int>(std::lround(std::abs(height) * 72.0 / 96.0));
            f.size = std::clamp(points, kMinFontSize, kMaxFontSize);
        }
        read(prefix + QLatin1String("Name"), f.name,
             [](const QString& v) -> std::optional<QString> {
                 if (v.isEmpty()) return std::nullopt;
                 return v;
             });
        read(prefix + QLatin1String("Pitch"), f.pitch,
             [](const QString& v) -> std::optional<FontPitch> {
                 for (FontPitch p : {FontPitch::Default, FontPitch::Variable, FontPitch::Fixed})
                     if (v.compare(pitchName(p), Qt::CaseInsensitive) == 0) return p;
                 return std::nullopt;
             });
        const int before = f.size;
        whole(prefix + QLatin1String("Size"), f.size, kMinFontSize, kMaxFontSize);
        if (f.size != before) f.height = pixelsFromPoints(f.size);
        const std::optional<QString> style = text(prefix + QLatin1String("Style"));
        if (!style) return;
        QString set = *style;
        if (!set.startsWith(QLatin1Char('[')) || !set.endsWith(QLatin1Char(']'))) {
            result_.unreadable << prefix + QLatin1String("Style");
            return;
        }
        f.bold = f.italic = f.underline = f.strikeOut = false;
        for (const QString& item : set.mid(1, set.size() - 2).split(QLatin1Char(','))) {
            const QString s = item.trimmed();
            if (s.compare(QLatin1String("fsBold"), Qt::CaseInsensitive) == 0) f.bold = true;
            if (s.compare(QLatin1String("fsItalic"), Qt::CaseInsensitive) == 0) f.italic = true;
            if (s.compare(QLatin1String("fsUnderline"), Qt::CaseInsensitive) == 0)
                f.underline = true;
            if (s.compare(QLatin1String("fsStrikeOut"), Qt::CaseInsensitive) == 0)
                f.strikeOut = true;
        }
    }

    // A list is replaced only when its Count is above 0; entries that are missing or empty
    // are left out.
    bool list(QStringList& into) {
        int count = 0;
        whole(QStringLiteral("Count"), count, 0, kMaxListEntries);
        if (count <= 0) return false;
        QStringList entries;
        for (int i = 0; i < count; ++i) {
            const std::optional<QString> item = text(QStringLiteral("Item%1").arg(i));
            if (item && !item->isEmpty()) entries << *item;
        }
        if (entries.isEmpty()) return false;
        into = entries;
        return true;
    }

private:
    const ProfileText& file_;
    QString section_;
    LayoutReadResult& result_;
};

class Writer {
public:
    Writer(ProfileText& file, const QString& section) : file_(file), section_(section) {}
    void set(const QString& name, const QString& value) { file_.setValue(section_, name, value); }
    void whole(const QString& name, qint64 v) { set(name, QString::number(v)); }
    void boolean(const QString& name, bool v) { set(name, layoutBool(v)); }
    void font(const QString& prefix, const LayoutFont& f) {
        whole(prefix + QLatin1String("Color"), f.color);
        whole(prefix + QLatin1String("Height"), f.height);
        set(prefix + QLatin1String("Name"), f.name);
        set(prefix + QLatin1String("Pitch"), pitchName(f.pitch));
        whole(prefix + QLatin1String("Size"), f.size);
        set(prefix + QLatin1String("Style"), layoutFontStyle(f));
    }

private:
    ProfileText& file_;
    QString section_;
};

QString fourNumbers(const std::array<int, 4>& v) {
    return QStringLiteral("%1,%2,%3,%4").arg(v[0]).arg(v[1]).arg(v[2]).arg(v[3]);
}

void writeList(ProfileText& file, const QString& section, const QStringList& entries) {
    file.clearSection(section);
    if (entries.isEmpty()) return;
    Writer w(file, section);
    w.whole(QStringLiteral("Count"), entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i)
        w.set(QStringLiteral("Item%1").arg(i), entries[i]);
}

} // namespace

// ---- Fonts

LayoutFont LayoutFont::make(int size, bool bold, bool italic) {
    LayoutFont f;
    f.size = size;
    f.height = pixelsFromPoints(size);
    f.bold = bold;
    f.italic = italic;
    return f;
}

LayoutFont LayoutFont::from(const ReportFont& rf) {
    LayoutFont f;
    const QFont& q = rf.font;
    f.name = q.family();
    const double points = q.pointSizeF() > 0 ? q.pointSizeF() : q.pixelSize() * 72.0 / 96.0;
    f.size = std::clamp(static_cast<int>(std::lround(points)), kMinFontSize, kMaxFontSize);
    f.height = pixelsFromPoints(f.size);
    f.pitch = q.fixedPitch() ? FontPitch::Fixed : FontPitch::Default;
    f.bold = q.bold();
    f.italic = q.italic();
    f.underline = q.underline();
    f.strikeOut = q.strikeOut();
    const QColor c = rf.color.toRgb();
    f.color = static_cast<qint32>((c.blue() << 16) | (c.green() << 8) | c.red());
    return f;
}

ReportFont LayoutFont::toReportFont() const {
    ReportFont rf = ReportFont::make(name, size, bold, italic, underline);
    rf.font.setStrikeOut(strikeOut);
    if (pitch == FontPitch::Fixed) {
        rf.font.setFixedPitch(true);
        rf.font.setStyleHint(QFont::TypeWriter);
    }
    // System colours (negative) are the text colour of windows: black on paper.
    rf.color = color < 0 ? QColor(Qt::black)
                         : QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
    return rf;
}

bool LayoutFont::operator==(const LayoutFont& o) const {
    return color == o.color && height == o.height && name == o.name && pitch == o.pitch &&
           size == o.size && bold == o.bold && italic == o.italic && underline == o.underline &&
           strikeOut == o.strikeOut;
}

QStringList ReportLayout::defaultAvailableFields() {
    return QStringList{
        QStringLiteral("Multi_set"), QStringLiteral("Tapes"),      QStringLiteral("Director"),
        QStringLiteral("Producer"),  QStringLiteral("Format"),     QStringLiteral("ID"),
        QStringLiteral("Counter"),   QStringLiteral("Runtime"),    QStringLiteral("User1"),
        QStringLiteral("User2"),     QStringLiteral("User3"),      QStringLiteral("User4"),
        QStringLiteral("Rated"),     QStringLiteral("Rating"),     QStringLiteral("Summary"),
        QStringLiteral("Star1"),     QStringLiteral("Star2"),      QStringLiteral("Star3"),
        QStringLiteral("Star4"),     QStringLiteral("Year"),       QStringLiteral("Speed"),
        QStringLiteral("Sound"),     QStringLiteral("Close_Capt"), QStringLiteral("Content"),
        QStringLiteral("Price"),     QStringLiteral("Multi_set"),  QStringLiteral("Tapes"),
        QStringLiteral("Picture"),   QStringLiteral("Surround")};
}

// ---- Encodings

QString layoutNumber(double value) {
    if (!std::isfinite(value)) return QStringLiteral("0");
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

std::optional<double> readLayoutNumber(const QString& text) {
    QString t = text.trimmed();
    // A file written where the decimal point is a comma reads too.
    if (!t.contains(QLatin1Char('.'))) t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v)) return std::nullopt;
    return v;
}

QString layoutBool(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

std::optional<bool> readLayoutBool(const QString& text) {
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) return true;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) return false;
    return std::nullopt;
}

QString layoutFontStyle(const LayoutFont& f) {
    QStringList set;
    if (f.bold) set << QStringLiteral("fsBold");
    if (f.italic) set << QStringLiteral("fsItalic");
    if (f.underline) set << QStringLiteral("fsUnderline");
    if (f.strikeOut) set << QStringLiteral("fsStrikeOut");
    return QLatin1Char('[') + set.join(QLatin1Char(',')) + QLatin1Char(']');
}

// ---- Reading and writing

LayoutReadResult readReportLayout(const QString& text, ReportLayout& l) {
    const ProfileText file(text);
    LayoutReadResult result;
    result.isLayout = file.hasSection(kReportFile) || file.hasSection(kHeaderCtrl);

    Reader r(file, kReportFile, result);
    auto stripWidth = [](const QString& v) -> std::optional<int> {
        const std::optional<qint64> n = readWhole(v);
        if (!n) return std::nullopt;
        return *n * 2 >= kPortraitStripWidth + kLandscapeStripWidth ? kLandscapeStripWidth
                                                                    : kPortraitStripWidth;
    };
    r.read(QStringLiteral("HC1_Width"), l.headerWidth, stripWidth);
    {
        Reader available(file, kAvailableList, result);
        available.list(l.available);
        Reader chosen(file, kChosenList, result);
        result.chosenRead = chosen.list(l.chosen);
    }
    r.string(QStringLiteral("editTitle_Text"), l.title);
    r.font(QStringLiteral("labHeadFont_Font"), l.headFont);
    r.font(QStringLiteral("labDataHead_Font"), l.dataHeadFont);
    r.font(QStringLiteral("labDetailsFont_Font"), l.detailsFont);
    r.boolean(QStringLiteral("chkBottom_Checked"), l.bottom);
    r.boolean(QStringLiteral("chkEntryCount_Checked"), l.entryCount);
    r.boolean(QStringLiteral("chkGridlines_Checked"), l.gridlines);
    r.boolean(QStringLiteral("chkLeft_Checked"), l.left);
    r.boolean(QStringLiteral("chkPriceTotal_Checked"), l.priceTotal);
    r.boolean(QStringLiteral("chkRight_Checked"), l.right);
    r.boolean(QStringLiteral("chkTop_Checked"), l.top);
    r.read(QStringLiteral("cmbSpace_Text"), l.spacing,
           [](const QString& v) -> std::optional<QString> {
               for (const char* item : {"Single", "Single and 1/2", "Double"})
                   if (v.compare(QLatin1String(item), Qt::CaseInsensitive) == 0)
                       return QString::fromLatin1(item);
               return std::nullopt;
           });
    r.read(QStringLiteral("Prn_Orientation"), l.orientation,
           [](const QString& v) -> std::optional<TPrinterOrientation> {
               if (v.compare(QLatin1String("poPortrait"), Qt::CaseInsensitive) == 0)
                   return poPortrait;
               if (v.compare(QLatin1String("poLandscape"), Qt::CaseInsensitive) == 0)
                   return poLandscape;
               return std::nullopt;
           });
    r.read(QStringLiteral("ruler_Width"), l.rulerWidth, stripWidth);
    r.number(QStringLiteral("spinBottom_Value"), l.marginBottom, kMinMargin, kMaxTopBottomMargin);
    r.number(QStringLiteral("spinLeft_Value"), l.marginLeft, kMinMargin, kMaxSideMargin);
    r.number(QStringLiteral("spinRight_Value"), l.marginRight, kMinMargin, kMaxSideMargin);
    r.number(QStringLiteral("spinTop_Value"), l.marginTop, kMinMargin, kMaxTopBottomMargin);
    r.boolean(QStringLiteral("butLandscape_Down"), l.landscapeDown);
    r.boolean(QStringLiteral("butPortrait_Down"), l.portraitDown);
    r.string(QStringLiteral("Prn_Title"), l.prnTitle);
    r.font(QStringLiteral("Prn_HeaderFont"), l.prnHeaderFont);

    // The header strip: the margin section and one per chosen field.
    Reader h(file, kHeaderCtrl, result);
    l.sections.clear();
    for (qsizetype n = 0; n <= l.chosen.size(); ++n) {
        HeaderSection s{QStringLiteral("---"), kNewSectionWidth};
        h.string(QStringLiteral("Sect-%1").arg(n), s.text);
        h.whole(QStringLiteral("Size-%1").arg(n), s.width, 0,
                n == 0 ? kMaxMarginSection : kLandscapeStripWidth);
        l.sections.push_back(s);
    }
    return result;
}

QString writeReportLayout(const ReportLayout& l, const QString& existing) {
    ProfileText file(existing);
    Writer w(file, kReportFile);
    const LayoutPlacement& p = l.placement;
    const QString screen = QStringLiteral("(%1x%2)").arg(p.screenWidth).arg(p.screenHeight);
    w.whole(QStringLiteral("Flags"), p.flags);
    w.whole(QStringLiteral("ShowCmd"), p.showCmd);
    w.set(QStringLiteral("MinMaxPos") + screen, fourNumbers(p.minMax));
    w.set(QStringLiteral("MinMaxPos"), fourNumbers(p.minMax));
    w.set(QStringLiteral("NormPos") + screen, fourNumbers(p.normal));
    w.set(QStringLiteral("NormPos"), fourNumbers(p.normal));
    w.set(QStringLiteral("Visible"), QStringLiteral("0"));
    w.whole(QStringLiteral("HC1_Width"), l.headerWidth);
    writeList(file, kAvailableList, l.available);
    writeList(file, kChosenList, l.chosen);
    w.set(QStringLiteral("editTitle_Text"), l.title);
    w.font(QStringLiteral("labHeadFont_Font"), l.headFont);
    w.font(QStringLiteral("labDataHead_Font"), l.dataHeadFont);
    w.font(QStringLiteral("labDetailsFont_Font"), l.detailsFont);
    w.boolean(QStringLiteral("chkBottom_Checked"), l.bottom);
    w.boolean(QStringLiteral("chkEntryCount_Checked"), l.entryCount);
    w.boolean(QStringLiteral("chkGridlines_Checked"), l.gridlines);
    w.boolean(QStringLiteral("chkLeft_Checked"), l.left);
    w.boolean(QStringLiteral("chkPriceTotal_Checked"), l.priceTotal);
    w.boolean(QStringLiteral("chkRight_Checked"), l.right);
    w.boolean(QStringLiteral("chkTop_Checked"), l.top);
    w.set(QStringLiteral("cmbSpace_Text"), l.spacing);
    w.set(QStringLiteral("Prn_Orientation"), l.orientation == poLandscape
                                                 ? QStringLiteral("poLandscape")
                                                 : QStringLiteral("poPortrait"));
    w.whole(QStringLiteral("ruler_Width"), l.rulerWidth);
    w.set(QStringLiteral("spinBottom_Value"), layoutNumber(l.marginBottom));
    w.set(QStringLiteral("spinLeft_Value"), layoutNumber(l.marginLeft));
    w.set(QStringLiteral("spinRight_Value"), layoutNumber(l.marginRight));
    w.set(QStringLiteral("spinTop_Value"), layoutNumber(l.marginTop));
    w.boolean(QStringLiteral("butLandscape_Down"), l.landscapeDown);
    w.boolean(QStringLiteral("butPortrait_Down"), l.portraitDown);
    w.set(QStringLiteral("Prn_Title"), l.prnTitle);
    w.font(QStringLiteral("Prn_HeaderFont"), l.prnHeaderFont);

    Writer h(file, kHeaderCtrl);
    for (size_t n = 0; n < l.sections.size(); ++n) {
        h.set(QStringLiteral("Sect-%1").arg(n),
              n == 0 ? QStringLiteral("margin") : l.sections[n].text);
        h.whole(QStringLiteral("Size-%1").arg(n), l.sections[n].width);
    }
    return file.text();
}

bool loadReportLayout(const QString& path, ReportLayout& layout, LayoutReadResult* result,
                      QString* error) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error) *error = QStringLiteral("Unable to read %1: %2").arg(path, f.errorString());
        return false;
    }
    const QByteArray bytes = f.read(kMaxFileBytes);
    const LayoutReadResult r = readReportLayout(ProfileText::decode(bytes), layout);
    if (result) *result = r;
    return true;
}

bool saveReportLayout(const QString& path, const ReportLayout& layout, QString* error) {
    QString existing;
    QFile old(path);
    if (old.exists()) {
        if (!old.open(QIODevice::ReadOnly)) {
            if (error)
                *error = QStringLiteral("Unable to read %1: %2").arg(path, old.errorString());
            return false;
        }
        existing = ProfileText::decode(old.read(kMaxFileBytes));
        old.close();
    }
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(writeReportLayout(layout, existing).toUtf8()) < 0 || !out.commit()) {
        if (error) *error = QStringLiteral("Unable to write %1: %2").arg(path, out.errorString());
        return false;
    }
    return true;
}

// ---- The builder's report

// ---- Fields as the user knows them

namespace {

struct BuilderField {
    const char* name;
    const char* caption; // nullptr: a user field
    int width;           // pixels at 96 per inch
};

// The detail pages' captions, and widths for 8-point text that hold the longest word of the
// caption and of the values the field usually holds ("Record/Playback", "Television").
constexpr BuilderField kFields[] = {
    {"Title", "Title", 150},
    {"Category", "Category", 125},
    {"Multi_set", "Multi-Set", 60},
    {"Tapes", "Number of Tapes", 60},
    {"Director", "Director(s)", 120},
    {"Producer", "Produced by", 120},
    {"Format", "Media Format", 110},
    {"ID", "ID", 60},
    {"Counter", "Counter", 60},
    {"Runtime", "Run Time", 55},
    {"User1", nullptr, 100},
    {"User2", nullptr, 100},
    {"User3", nullptr, 100},
    {"User4", nullptr, 100},
    {"Rated", "Rated (MPAA)", 60},
    {"Rating", "Personal Rating", 75},
    {"Summary", "Summary", 250},
    {"Star1", "Star 1", 110},
    {"Star2", "Star 2", 110},
    {"Star3", "Star 3", 110},
    {"Star4", "Star 4", 110},
    {"Year", "Release Year", 60},
    {"Speed", "Record/Playback Speed", 105},
    {"Sound", "Audio", 55},
    {"Close_Capt", "Close Captioned", 75},
    {"Content", "Content", 80},
    {"Price", "Price", 60},
    {"Picture", "Visual", 55},
    {"Surround", "Surround Sound", 75},
};

const BuilderField* builderField(const QString& name) {
    for (const BuilderField& f : kFields)
        if (name.compare(QLatin1String(f.name), Qt::CaseInsensitive) == 0) return &f;
    return nullptr;
}

} // namespace

// A user field's own caption: the user's, or "Custom-1" ... when the user gave none.
static QString userLabel(int n, const UserFieldCaptions& user) {
    const QString label = user[size_t(n - 1)].trimmed();
    return label.isEmpty() ? QStringLiteral("Custom-%1").arg(n) : label;
}

QString fieldCaption(const QString& field, const UserFieldCaptions& user) {
    const BuilderField* f = builderField(field);
    if (!f) return field;
    if (f->caption) return QString::fromLatin1(f->caption);
    const int n = f->name[4] - '0'; // User1 .. User4
    const QString label = userLabel(n, user);
    bool taken = false;
    for (const BuilderField& other : kFields)
        taken = taken || (other.caption &&
                          label.compare(QLatin1String(other.caption), Qt::CaseInsensitive) == 0);
    for (int k = 1; k < n; ++k)
        taken = taken || label.compare(userLabel(k, user), Qt::CaseInsensitive) == 0;
    return taken ? label + QStringLiteral(" (%1)").arg(QLatin1String(f->name)) : label;
}

QString fieldOfCaption(const QString& caption, const UserFieldCaptions& user) {
    for (const BuilderField& f : kFields)
        if (fieldCaption(QLatin1String(f.name), user) == caption) return QLatin1String(f.name);
    return caption;
}

QStringList fieldCaptions(const QStringList& fields, const UserFieldCaptions& user) {
    QStringList out;
    for (const QString& f : fields)
        out << fieldCaption(f, user);
    return out;
}

QStringList fieldsOfCaptions(const QStringList& captions, const UserFieldCaptions& user) {
    QStringList out;
    for (const QString& c : captions)
        out << fieldOfCaption(c, user);
    return out;
}

int defaultSectionWidth(const QString& field) {
    const BuilderField* f = builderField(field);
    return f ? f->width : kNewSectionWidth;
}

std::vector<HeaderSection> rebuildSections(const std::vector<HeaderSection>& before,
                                           const QStringList& chosen) {
    std::vector<HeaderSection> after;
    after.push_back(before.empty() ? HeaderSection{QStringLiteral("margin"), 50} : before[0]);
    for (qsizetype k = 1; k <= chosen.size(); ++k) {
        const size_t at = static_cast<size_t>(k);
        after.push_back({chosen[k - 1], at < before.size() ? before[at].width
                                                           : defaultSectionWidth(chosen[k - 1])});
    }
    return after;
}

ColumnReportLayout columnReportLayout(const ReportLayout& l, double screenDpi) {
    const double dpi = screenDpi > 0 ? screenDpi : 96;
    ColumnReportLayout c;
    c.title = l.title;
    c.fields = l.chosen;
    for (qsizetype k = 1; k <= l.chosen.size(); ++k) {
        const size_t at = static_cast<size_t>(k);
        c.widths.push_back((at < l.sections.size() ? l.sections[at].width : kNewSectionWidth) /
                           dpi);
    }
    c.leftMargin = (l.sections.empty() ? kNewSectionWidth : l.sections[0].width) / dpi;
    c.grid = l.gridlines;
    TPageBorders borders;
    if (l.top) borders |= pbTop;
    if (l.bottom) borders |= pbBottom;
    if (l.left) borders |= pbLeft;
    if (l.right) borders |= pbRight;
    c.borders = borders;
    c.headerFont = l.headFont.toReportFont();
    c.titlesFont = l.dataHeadFont.toReportFont();
    c.detailsFont = l.detailsFont.toReportFont();
    c.entryCount = l.entryCount;
    return c;
}

std::optional<TLineSpacing> spacingFromText(const QString& text) {
    if (text == QLatin1String("Single")) return lsSingleSpace;
    if (text == QLatin1String("Single and 1/2")) return lsSingleAndAHalf;
    if (text == QLatin1String("Double")) return lsDoubleSpace;
    return std::nullopt;
}

} // namespace rk::print
