#include "filefilter.h"

#include <QRegularExpression>
#include <QStringList>

namespace rk::fw {

QString dialogFilter(const QString& pairs) {
    static const QRegularExpression trailingPatterns(QStringLiteral(R"(\s*\([^()]*\)\s*$)"));
    const QStringList parts = pairs.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        QString description = parts[i];
        const QString patterns = parts.value(i + 1)
                                     .split(QLatin1Char(';'), Qt::SkipEmptyParts)
                                     .join(QLatin1Char(' '))
                                     .trimmed();
        description.remove(trailingPatterns);
        if (patterns.isEmpty()) {
            if (!description.trimmed().isEmpty()) filters << description.trimmed();
            continue;
        }
        filters << description.trimmed() + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

} // namespace rk::fw
