// Arbitrary report layout files: reading never faults, every value read lies within the
// range of its control, and writing the layout over the same text and reading it again
// gives the same layout.
#include "profiletext.h"
#include "reportlayout.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "rkr: %s\n", what);
        std::abort();
    }
}

bool fontInRange(const rk::print::LayoutFont& f) {
    return f.size >= rk::print::kMinFontSize && f.size <= rk::print::kMaxFontSize &&
           !f.name.isEmpty();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace rk::print;
    const QString text = ProfileText::decode(
        QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    ReportLayout l;
    (void)readReportLayout(text, l);
    check(l.marginLeft >= kMinMargin && l.marginLeft <= kMaxSideMargin, "left margin");
    check(l.marginRight >= kMinMargin && l.marginRight <= kMaxSideMargin, "right margin");
    check(l.marginTop >= kMinMargin && l.marginTop <= kMaxTopBottomMargin, "top margin");
    check(l.marginBottom >= kMinMargin && l.marginBottom <= kMaxTopBottomMargin, "bottom margin");
    check(fontInRange(l.headFont) && fontInRange(l.dataHeadFont) && fontInRange(l.detailsFont) &&
              fontInRange(l.prnHeaderFont),
          "font");
    check(l.sections.size() == static_cast<size_t>(l.chosen.size()) + 1, "header sections");
    check(l.sections[0].width >= 0 && l.sections[0].width <= kMaxMarginSection, "margin section");
    check(!l.chosen.isEmpty() && !l.chosen.contains(QString()), "chosen fields");

    ReportLayout again;
    (void)readReportLayout(writeReportLayout(l, text), again);
    check(again.chosen == l.chosen && again.available == l.available, "lists");
    check(again.title == l.title && again.prnTitle == l.prnTitle, "titles");
    check(again.headFont == l.headFont && again.dataHeadFont == l.dataHeadFont &&
              again.detailsFont == l.detailsFont && again.prnHeaderFont == l.prnHeaderFont,
          "fonts");
    check(again.marginLeft == l.marginLeft && again.marginRight == l.marginRight &&
              again.marginTop == l.marginTop && again.marginBottom == l.marginBottom,
          "margins");
    check(again.orientation == l.orientation && again.spacing == l.spacing &&
              again.gridlines == l.gridlines && again.top == l.top && again.left == l.left,
          "options");
    check(again.sections.size() == l.sections.size(), "section count");
    for (size_t i = 0; i < l.sections.size(); ++i)
        check(again.sections[i].width == l.sections[i].width &&
                  (i == 0 || again.sections[i].text == l.sections[i].text),
              "sections");
    return 0;
}
