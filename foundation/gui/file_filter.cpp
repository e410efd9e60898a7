#include "foundation/gui/file_filter.h"

#include <QString>
#include <QStringList>

int SelectedFilterIndex(const QFileDialog& picker) {
    const QString chosen = picker.selectedNameFilter();
    const QStringList filters = picker.nameFilters();
    for (int i = 0; i < filters.size(); ++i) {
        const QString& filter = filters[i];
        const qsizetype masks = filter.lastIndexOf(" (");
        if (filter == chosen || (masks > 0 && filter.left(masks).simplified() == chosen)) return i;
    }
    return -1;
}

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
