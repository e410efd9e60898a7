#include "desktop/page_helpers.h"

#include <QAction>
#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QTreeWidget>
#include <cerrno>

#include "desktop/page_host.h"
#include "desktop/report_list_sort.h"
#include "foundation/date_time.h"
#include "foundation/errors.h"
#include "foundation/gui/message_box.h"
#include "foundation/gui/shell_open.h"
#include "foundation/names.h"
#include "foundation/paths.h"
#include "harrowin_work/past_entries.h"
#include "harrowin_work/player_access.h"
#include "harrowin_work/song_copy.h"
#include "organiser/organiser_files.h"

namespace harrowin {

QAction* MenuAction(QWidget* owner, QMenu* menu, const char* name, const char* text, int tag,
                    const QList<QKeySequence>& keys) {
    auto* a = new QAction(QString::fromUtf8(text), owner);
    a->setObjectName(name);
    a->setProperty("tag", tag);
    if (!keys.isEmpty()) {
        a->setShortcuts(keys);
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    }
    menu->addAction(a);
    return a;
}

QTreeWidgetItem* FirstSelected(const QTreeWidget& list) {
    for (int i = 0; i < list.topLevelItemCount(); ++i) {
        if (list.topLevelItem(i)->isSelected()) return list.topLevelItem(i);
    }
    return nullptr;
}

void ApplyReportListLook(QAbstractItemView& view) {
    ApplyStripedRows(view);
    view.setItemDelegate(new TGridLineDelegate(&view));
}

void SetupSortableReportList(QTreeWidget& list, int32_t& sortState) {
    list.header()->setSectionsClickable(true);
    list.header()->setSortIndicatorShown(false);
    ApplyReportListLook(list);
    QObject::connect(list.header(), &QHeaderView::sectionClicked, &list,
                     [&list, &sortState](int c) { VideoListViewColumnClick(list, sortState, c); });
}

namespace {

// Where a row keeps the bytes of a file name (per column).
constexpr int kFileNameRole = Qt::UserRole + 20;

}  // namespace

void SetRowFile(QTreeWidgetItem& row, int column, const std::string& name) {
    row.setText(column, QString::fromStdString(ReadableFileName(name)));
    row.setData(column, kFileNameRole, QByteArray::fromStdString(name));
}

std::string RowFile(const QTreeWidgetItem& row, int column) {
    const QVariant bytes = row.data(column, kFileNameRole);
    return bytes.isValid() ? bytes.toByteArray().toStdString() : row.text(column).toStdString();
}

void AddCalendarRow(QTreeWidget& list, const TTolvVCalBase& entry, const std::string& folder, const std::string& file) {
    const std::string start = entry.GetValue("DTSTART");
    auto* row = new TReportListItem(QStringList{QString::fromStdString(entry.GetValue("SUMMARY")),
                                                QString::fromStdString(start), QString(),
                                                QString::fromStdString(entry.GetValue("DESCRIPTION")), QString()});
    SetRowFile(*row, 4, RelativeToFolder(folder, file));
    list.addTopLevelItem(row);
    row->setText(2, QString::fromStdString(FormatDateTime("yyyy/mm/dd hh:nn", VCalToDateTime(start))));
}

bool DeleteSelectedFiles(QWidget* parent, const QTreeWidget& list, int column, const std::string& folder) {
    std::vector<std::string> names;
    for (int i = 0; i < list.topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = list.topLevelItem(i);
        if (row->isSelected()) names.push_back(RowFile(*row, column));
    }
    if (names.empty()) return false;
    if (!ConfirmWarning(parent, "[ " + ReadableFileName(names.front()) + " ]を削除してもよろしいですか？"))
        return false;
    DeleteListedFiles(folder, names,
                      [parent](const std::string&) { ShowMessage(parent, "ファイルの削除に失敗しました"); });
    return true;
}

int32_t CopySongsToFolder(TPageHost& host, const std::string& folder, const TCopyNaming& naming,
                          TITXMakeLibrary* importList, const std::vector<int32_t>& songIndexes, int32_t total,
                          QProgressBar* bar, QLabel* label, bool& cancel) {
    TTolvIPOD& player = host.Player();
    const TPlayerWork work(host);
    const TITBSongList& songs = MusicOf(player).Songs;
    TSongCopyRun run(folder, CheckerOf(player).DriveRoot, naming, importList);
    int32_t done = 0;
    bool stopped = false;
    auto showLabel = [label](const std::string& text) {
        label->setText(QString::fromStdString(text));
        label->repaint();
    };
    for (size_t i = 0; i < songIndexes.size(); ++i) {
        bar->setValue(done);
        const int32_t index = songIndexes[i];
        TITBSongItem* song = index >= 0 ? songs.GetItem(index) : nullptr;
        if (!song) continue;
        // The player went away: every song not reached yet is a failure of this run.
        if (host.PlayerGone()) {
            for (size_t rest = i; rest < songIndexes.size(); ++rest) {
                if (TITBSongItem* left = songIndexes[rest] >= 0 ? songs.GetItem(songIndexes[rest]) : nullptr) {
                    run.MarkFailed(*left, ENODEV);
                }
            }
            break;
        }
        if (run.CopySong(*song, done, total, showLabel) == TSongCopyRun::TResult::NoFreeName) continue;
        ++done;
        QCoreApplication::processEvents();
        if (cancel) {
            stopped = done < total;
            break;
        }
    }
    bar->setValue(done);
    if (importList) {
        try {
            importList->SaveToFile(IncludeBackslash(folder) + "iPodLibrary.TXT");
        } catch (const ETolvError& e) {
            ShowMessage(host.DialogParent(), e.Message());
        }
    }
    const std::string endText = CopyEndText(naming.Video, folder, run.Copied, run.Failed, stopped);
    host.SetStatusText(1, QString::fromStdString(endText));
    if (run.Failed >= 1) host.ShowTransferLog(folder);
    ShellOpen(folder, host.DialogParent());
    return done;
}

}  // namespace harrowin
