#include "reportfont.h"

namespace rk::print {

ReportFont ReportFont::make(const QString& family, double points, bool bold, bool italic,
                            bool underline) {
    QFont f(family);
    if (family.startsWith(QLatin1String("Times"), Qt::CaseInsensitive))
        f.setStyleHint(QFont::Serif);
    else if (family.startsWith(QLatin1String("Courier"), Qt::CaseInsensitive))
        f.setStyleHint(QFont::TypeWriter);
    else
        f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(points);
    f.setBold(bold);
    f.setItalic(italic);
    f.setUnderline(underline);
    return {f, Qt::black};
}

} // namespace rk::print
