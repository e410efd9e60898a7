// Widget work the main window's pages share: their pop-up menu entries, the first selected row
// of a report list, the list look of a sortable report list, deleting the files of a list's
// selected rows after one question, and the copy of checked songs or videos to the PC with its
// details window.
#pragma once

#include <QKeySequence>
#include <QList>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QAbstractItemView;
class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;
class TTolvVCalBase;

namespace harrowin {

class TPageHost;

// A menu entry owned by owner and appended to menu: its object name, caption (UTF-8) and Tag
// (the "tag" property). Keys, when given, work while the focus is inside the widget the entry
// is also added to.
QAction* MenuAction(QWidget* owner, QMenu* menu, const char* name, const char* text, int tag,
                    const QList<QKeySequence>& keys = {});

// The first selected row in list order (null when none is).
QTreeWidgetItem* FirstSelected(const QTreeWidget& list);

// The look of every report list: striped rows and grid lines.
void ApplyReportListLook(QAbstractItemView& view);

// A report list that sorts by a clicked column: clickable headers without Qt's own sort
// arrow, and the report list look. `sortState` is the list's sort state (changed by clicks).
void SetupSortableReportList(QTreeWidget& list, int32_t& sortState);

// A list cell that names a file: it shows the name's readable form (ReadableFileName) and the
// row keeps the name's own bytes, so what a row acts on is exactly the file it was made from,
// whatever bytes another computer put into the name.
void SetRowFile(QTreeWidgetItem& row, int column, const std::string& name);
// The name a cell set by SetRowFile keeps (its text for a cell set otherwise).
std::string RowFile(const QTreeWidgetItem& row, int column);

// Appends the row of an event or to-do file to the calendar or to-do list: summary, raw start,
// start as "yyyy/mm/dd hh:nn", description and the file relative to folder. The row stands
// before its start is converted, so a start that is no date-time (EConvertError) still leaves
// it in the list.
void AddCalendarRow(QTreeWidget& list, const TTolvVCalBase& entry, const std::string& folder, const std::string& file);

// Deletes the files named by the selected rows' column (RowFile, relative to folder) after one
// warning naming the first; a file that cannot be deleted is reported. False when no row is selected or
// the question was answered No.
bool DeleteSelectedFiles(QWidget* parent, const QTreeWidget& list, int column, const std::string& folder);

// The copy of the checked rows of the song or video page (`video`): the copy settings dialog
// of the kind, then the copy of the songs at the indexes (list order) in the progress window.
void CopyCheckedRows(TPageHost& host, bool video, const std::vector<int32_t>& songIndexes);

// The copy run inside the progress window, named by the settings of the kind: sets the bar's
// maximum, copies the songs of the indexes in order (an index of no song is passed over; a
// song without a free name is not counted) until done or cancelled; then writes the import
// list when the settings ask for it, puts the end text in the status line, shows the
// transfer log after failures and opens the folder. Returns the number of songs copied.
int32_t CopyRowsToFolder(TPageHost& host, bool video, const std::string& folder,
                         const std::vector<int32_t>& songIndexes, QProgressBar* bar, QLabel* label, bool& cancel);

// The details window of the song (or video) of a row; the row's check box is reached through
// getCheck and setCheck. True when the window's check box changed the row.
bool ShowSongDetails(TPageHost& host, bool video, int32_t songIndex, std::function<bool()> getCheck,
                     std::function<void(bool)> setCheck);

// True once the player of a run has gone: the host was told, or its database no longer answers
// (a volume pulled or unmounted before the desktop said so).
bool PlayerGoneAway(TPageHost& host);

// Opens the folder a copy run wrote to. Without a program to open it with, a message says so
// the first time in a run of the program; after that the status line, which holds the run's
// end text, says it.
void OpenCopyFolder(TPageHost& host, const std::string& folder, const std::string& endText);

}  // namespace harrowin
