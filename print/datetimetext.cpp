#include "datetimetext.h"

#include <QRegularExpression>

namespace rk::print {

QString shortDateText(const QDate& d, const QLocale& locale) {
    return locale.toString(d, QLocale::ShortFormat);
}

QString longDateText(const QDate& d, const QLocale& locale) {
    return locale.toString(d, QLocale::LongFormat);
}

QString shortTimeText(const QTime& t, const QLocale& locale) {
    return locale.toString(t, QLocale::ShortFormat);
}

QString longTimeText(const QTime& t, const QLocale& locale) {
    QString format = locale.timeFormat(QLocale::LongFormat);
    // Drop the zone field ('t', outside quotes) with the blank before it.
    static const QRegularExpression zone(QStringLiteral("\\s*\\bt+\\b(?=(?:[^']*'[^']*')*[^']*$)"));
    format.remove(zone);
    return locale.toString(t, format.trimmed());
}

} // namespace rk::print
