#include "NameFilters.h"

QStringList NameFilters::fromPipeList(const QString &filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList result;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        const QString description = parts.at(i).trimmed();
        if (description.isEmpty())
            continue;
        result << description + QStringLiteral(" (") + patternsFor(parts.value(i + 1)) + u')';
    }
    return result;
}

QString NameFilters::patternsFor(const QString &patterns)
{
    QStringList result;
    for (const QString &pattern : patterns.split(u';', Qt::SkipEmptyParts)) {
        const QString trimmed = pattern.trimmed();
        result << (trimmed == QLatin1String("*.*") ? QStringLiteral("*") : trimmed);
    }
    result.removeAll(QString());
    return result.isEmpty() ? QStringLiteral("*") : result.join(u' ');
}
