#include "desktop/page_helpers.h"

#include <QAction>
#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QTreeWidget>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "desktop/dialogs/song_copy_form.h"
#include "desktop/dialogs/song_info_form.h"
#include "desktop/page_host.h"
#include "desktop/report_list_sort.h"
#include "foundation/date_time.h"
#include "foundation/errors.h"
#include "foundation/gui/message_box.h"
#include "foundation/gui/shell_open.h"
#include "foundation/names.h"
#include "foundation/paths.h"
#include "foundation/windows/progress_form.h"
#include "harrowin_work/past_entries.h"
#include "harrowin_work/player_access.h"
#include "harrowin_work/settings.h"
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

namespace {

// The box about the missing file manager is shown once in a run of the program.
bool gFolderOpenFailureTold = false;

}  // namespace

bool PlayerGoneAway(TPageHost& host) {
    if (host.PlayerGone()) return true;
    const std::string& database = CheckerOf(host.Player()).DatabasePath;
    struct stat st {};
    return !database.empty() && ::stat(database.c_str(), &st) != 0;
}

void OpenCopyFolder(TPageHost& host, const std::string& folder, const std::string& endText) {
    if (TryShellOpen(folder)) return;
    if (!gFolderOpenFailureTold) {
        gFolderOpenFailureTold = true;
        ShowMessage(host.DialogParent(), ShellOpenFailureText(folder));
        return;
    }
    host.SetStatusText(1, QString::fromStdString(endText + "（フォルダを開くプログラムが見つかりません）"));
}

void CopyCheckedRows(TPageHost& host, bool video, const std::vector<int32_t>& songIndexes) {
    try {
        TTolvIPodINI& settings = host.Settings();
        if (!(video ? AskVideoCopySettings : AskSongCopySettings)(host.DialogParent(), settings)) return;
        const std::string folder = video ? settings.VideoCopy.VideoFolder : settings.SongCopy.Folder;
        RunWithProgress(
            "楽曲の転送状況", 0, static_cast<int32_t>(songIndexes.size()),
            [&](QProgressBar* bar, QLabel* label, bool& cancel) {
                return CopyRowsToFolder(host, video, folder, songIndexes, bar, label, cancel);
            },
            host.DialogParent());
    } catch (const ETolvError& e) {
        ShowMessage(host.DialogParent(), e.Message());
    }
}

int32_t CopyRowsToFolder(TPageHost& host, bool video, const std::string& folder,
                         const std::vector<int32_t>& songIndexes, QProgressBar* bar, QLabel* label, bool& cancel) {
    TTolvIPOD& player = host.Player();
    const TPlayerWork work(host);
    const TTolvIPodINI& settings = host.Settings();
    TCopyNaming naming;
    naming.Video = video;
    bool makeList = false;
    if (video) {
        naming.ArtistFolder = settings.VideoCopy.MakeArtistFolder;
        naming.AlbumFolder = settings.VideoCopy.MakeAlbumFolder;
        naming.NameType = TCopyNameType(settings.VideoCopy.MakeType);
        makeList = settings.VideoCopy.MakeImportFile;
    } else {
        naming.ArtistFolder = settings.SongCopy.MakeFolder_Artist;
        naming.AlbumFolder = settings.SongCopy.MakeFolder_Album;
        naming.NameType = TCopyNameType(settings.SongCopy.MakingNameType);
        naming.AddTrackNo = settings.SongCopy.AddTrackNo;
        makeList = settings.SongCopy.MakeLibraryData;
    }
    TITXMakeLibrary* importList = makeList ? player.Library.get() : nullptr;
    const TITBSongList& songs = MusicOf(player).Songs;
    const int32_t total = static_cast<int32_t>(songIndexes.size());
    bar->setMaximum(std::max(total, 1));
    TSongCopyRun run(folder, CheckerOf(player).DriveRoot, naming, importList);
    run.PlayerGone = [&host] { return PlayerGoneAway(host); };
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
                    run.MarkFailed(*left, kErrPlayerGone);
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
    bool listWritten = true;
    if (importList) {
        try {
            importList->SaveToFile(WithTrailingSlash(folder) + "iPodLibrary.TXT");
        } catch (const ETolvError& e) {
            listWritten = false;
            ShowMessage(host.DialogParent(), e.Message());
        }
    }
    TCopyEnd end;
    end.Copied = run.Copied;
    end.Failed = run.Failed;
    end.Cancelled = stopped;
    end.PlayerGone = run.PlayerWentAway || host.PlayerGone();
    end.ListFailed = !listWritten;
    const std::string endText = CopyEndText(video, folder, end);
    host.SetStatusText(1, QString::fromStdString(endText));
    if (run.Failed >= 1) host.ShowTransferLog(folder);
    OpenCopyFolder(host, folder, endText);
    return done;
}

bool ShowSongDetails(TPageHost& host, bool video, int32_t songIndex, std::function<bool()> getCheck,
                     std::function<void(bool)> setCheck) {
    TTolvIPOD& player = host.Player();
    TITBSongItem* song = songIndex >= 0 ? MusicOf(player).Songs.GetItem(songIndex) : nullptr;
    if (!song) return false;
    TSongInfoForm form(host.DialogParent(), player.Artwork.get());
    form.VideoMode = video;
    form.ShowPages();
    if (video) form.setWindowTitle("ビデオファイルの詳細情報");
    form.GetMainCheck = std::move(getCheck);
    form.SetMainCheck = std::move(setCheck);
    form.LoadSong(*song, PlayerSourcePath(WithTrailingSlash(CheckerOf(player).DriveRoot), song->Location));
    form.exec();
    return form.CheckChanged;
}

}  // namespace harrowin
