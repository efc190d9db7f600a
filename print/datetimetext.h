// Dates and times as the page headers write them, in the user's locale.
#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace rk::print {

QString shortDateText(const QDate& d, const QLocale& locale = QLocale());
QString longDateText(const QDate& d, const QLocale& locale = QLocale());
QString shortTimeText(const QTime& t, const QLocale& locale = QLocale());
// Hours, minutes and seconds; the time zone that Qt's long format adds is left out.
QString longTimeText(const QTime& t, const QLocale& locale = QLocale());

} // namespace rk::print
