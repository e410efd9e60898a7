#include "foundation/gui/file_filter.h"

#include <QString>
#include <QStringList>

std::string QtFileFilter(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split('|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QStringList masks;
        for (const QString& mask : parts[i + 1].split(';', Qt::SkipEmptyParts)) {
            if (mask == "*.*") {
                masks << "*";
                continue;
            }
            masks << mask.toLower();
            if (mask.toUpper() != mask.toLower()) masks << mask.toUpper();
        }
        filters << parts[i] + " (" + masks.join(' ') + ")";
    }
    return filters.join(";;").toStdString();
}
