#include "desktop/report_list_sort.h"

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QCollator>
#include <QLocale>
#include <QPainter>
#include <QPalette>
#include <QTreeWidget>
#include <algorithm>
#include <cstdlib>

namespace harrowin {

namespace {

const QCollator& ListCollator() {
    static const QCollator collator = [] {
        QCollator c(QLocale(QLocale::Japanese, QLocale::Japan));
        c.setCaseSensitivity(Qt::CaseSensitive);
        c.setNumericMode(false);
        c.setIgnorePunctuation(false);
        return c;
    }();
    return collator;
}

const QString kAscending = QStringLiteral("▲");
const QString kDescending = QStringLiteral("▼");

}  // namespace

int CompareListText(const QString& a, const QString& b) {
    const int r = ListCollator().compare(a, b);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int VideoListViewCompare(const QString& a, const QString& b, int32_t state) {
    if (state == 0) return 0;
    const int r = CompareListText(a, b);
    return state < 0 ? -r : r;
}

QCollatorSortKey ListSortKey(const QString& text) { return ListCollator().sortKey(text); }

int32_t ColumnTag(const QAbstractItemModel& model, int column) {
    return model.headerData(column, Qt::Horizontal, Qt::UserRole).toInt();
}

void RemoveSortMark(QAbstractItemModel& model, int column) {
    if (column < 0 || column >= model.columnCount()) return;
    if (ColumnTag(model, column) != 0) {
        QString caption = model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
        if (!caption.isEmpty()) {
            caption.chop(1);
            model.setHeaderData(column, Qt::Horizontal, caption, Qt::DisplayRole);
        }
    }
    model.setHeaderData(column, Qt::Horizontal, 0, Qt::UserRole);
}

void PutSortMark(QAbstractItemModel& model, int32_t state) {
    const int column = std::abs(state) - 1;
    if (column < 0 || column >= model.columnCount()) return;
    RemoveSortMark(model, column);
    const QString caption = model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    model.setHeaderData(column, Qt::Horizontal, caption + (state >= 0 ? kAscending : kDescending), Qt::DisplayRole);
    model.setHeaderData(column, Qt::Horizontal, state, Qt::UserRole);
}

void SortByState(QAbstractItemView& view, int32_t state) {
    if (state == 0 || !view.model()) return;
    const int column = std::abs(state) - 1;
    const Qt::SortOrder order = state > 0 ? Qt::AscendingOrder : Qt::DescendingOrder;
    // A tree widget's rows compare by the column its header names, which sortItems sets.
    if (auto* tree = qobject_cast<QTreeWidget*>(&view)) {
        tree->sortItems(column, order);
    } else {
        view.model()->sort(column, order);
    }
}

void ReportColumnClick(QAbstractItemView& view, int32_t& state, int column) {
    if (!view.model()) return;
    QAbstractItemModel& model = *view.model();
    if (std::abs(state) != column + 1) {
        RemoveSortMark(model, std::abs(state) - 1);
        state = column + 1;
    } else {
        state = -state;
    }
    SortByState(view, state);
    PutSortMark(model, state);
}

void ApplyStripedRows(QAbstractItemView& view) {
    QPalette palette = view.palette();
    palette.setColor(QPalette::Base, QColor(255, 255, 255));
    palette.setColor(QPalette::AlternateBase, QColor(237, 243, 254));
    view.setPalette(palette);
    // Qt paints AlternateBase on the odd rows (counted from 0), as the lists always have.
    view.setAlternatingRowColors(true);
}

bool TReportListItem::operator<(const QTreeWidgetItem& other) const {
    const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
    return CompareListText(text(column), other.text(column)) < 0;
}

void TGridLineDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
    painter->save();
    painter->setPen(QColor(224, 224, 224));
    painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
    painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
    painter->restore();
}

QSize TGridLineDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(std::max(size.height(), option.fontMetrics.height() + 6));
    return size;
}

}  // namespace harrowin
