// What every report list of the main window shares: striped rows, and sorting by a clicked
// column with "▲" (ascending) or "▼" (descending) after the column's caption.
// A list's sort state: |state| - 1 is the sorted column, a positive state sorts ascending, a
// negative one descending, 0 leaves the rows as they are. A header section's Tag (held as
// its Qt::UserRole header data) is 0 while its caption carries no mark, else the state marked.
// Lists built on QTreeWidget use TReportListItem rows so they sort by the same comparison.
#pragma once

#include <QCollatorSortKey>
#include <QString>
#include <QStyledItemDelegate>
#include <QTreeWidgetItem>
#include <cstdint>

class QAbstractItemModel;
class QAbstractItemView;

namespace harrowin {

// The order of two texts as the Japanese system sorts lists: locale order, letter case
// significant, digits compared as characters ("10" before "9"). -1, 0 or 1.
int CompareListText(const QString& a, const QString& b);
// The key that orders like CompareListText (for sorting many rows at once).
QCollatorSortKey ListSortKey(const QString& text);

// The header Tag of a column (0 when unmarked).
int32_t ColumnTag(const QAbstractItemModel& model, int column);
// Removes the mark of a column: when its Tag is not 0 and its caption is not empty the
// caption loses its last character; the Tag becomes 0 in either case.
void RemoveSortMark(QAbstractItemModel& model, int column);
// Marks the column of the state: the old mark removed, "▲" or "▼" appended, the Tag := state.
void PutSortMark(QAbstractItemModel& model, int32_t state);
// Sorts the list's rows by the state (a QTreeWidget through sortItems, any other view
// through its model's sort); 0 does nothing.
void SortByState(QAbstractItemView& view, int32_t state);
// The column click: another column moves the mark there and sorts ascending, the sorted
// column again flips the direction. `state` is the list's sort state, changed in place.
void ReportColumnClick(QAbstractItemView& view, int32_t& state, int column);

// Odd rows RGB(237, 243, 254), even rows white; text colour and font unchanged.
void ApplyStripedRows(QAbstractItemView& view);

// The names the lists' shared handlers have always had.
inline void VideoListViewAdvancedCustomDrawItem(QAbstractItemView& view) { ApplyStripedRows(view); }
inline void VideoListViewColumnClick(QAbstractItemView& view, int32_t& state, int column) {
    ReportColumnClick(view, state, column);
}
// The order of two rows' texts under a sort state: 0 for state 0, else CompareListText of the
// column's texts, negated for a negative state.
int VideoListViewCompare(const QString& a, const QString& b, int32_t state);

// A row of a QTreeWidget report list: sorts its column by CompareListText.
class TReportListItem : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override;
};

// Cells of a report list with grid lines: a light line right of each cell and under each row.
class TGridLineDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // Rows tall enough that the line under a row never covers the text's lowest strokes
    // (an underscore in "20261119T100000_0.ics").
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace harrowin
