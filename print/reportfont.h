// A font of a report with its colour: the builder's header, column-title and details
// fonts, and the fonts of the banded report's fields.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>

namespace rk::print {

struct ReportFont {
    QFont font;
    QColor color = Qt::black;

    // A face in points; Arial and Times New Roman fall back to any sans or serif face.
    static ReportFont make(const QString& family, double points, bool bold = false,
                           bool italic = false, bool underline = false);
};

} // namespace rk::print
