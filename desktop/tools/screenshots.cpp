// Writes a PNG of every window of Harrowin for the manual: the main window's pages on the
// sample player, the dialogs the pages open (song copy, details and find, photo viewer and
// extraction, note editor and splitting, site, contact, event and to-do editors, removal of
// past entries), the terms of use, the device information window with its Yes/No question,
// the settings dialog, the progress window, the failure log with the system's reasons, and
// Qt's own save-file and folder pickers. Usage: harrowin_screenshots <output folder> <player>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>

#include "desktop/dialogs/address_form.h"
#include "desktop/dialogs/config_form.h"
#include "desktop/dialogs/del_cal_form.h"
#include "desktop/dialogs/log_form.h"
#include "desktop/dialogs/memo_divide_form.h"
#include "desktop/dialogs/photo_copy_form.h"
#include "desktop/dialogs/schedule_form.h"
#include "desktop/dialogs/song_copy_form.h"
#include "desktop/dialogs/spec_form.h"
#include "desktop/dialogs/terms_form.h"
#include "desktop/dialogs/todo_form.h"
#include "desktop/main_form.h"
#include "desktop/pages/address_page.h"
#include "desktop/pages/memo_page.h"
#include "desktop/pages/news_page.h"
#include "desktop/pages/photo_page.h"
#include "desktop/pages/schedule_page.h"
#include "desktop/pages/song_page.h"
#include "desktop/pages/todo_page.h"
#include "desktop/pages/video_page.h"
#include "foundation/gui/japanese_ui.h"
#include "foundation/windows/edit_url_form.h"
#include "foundation/windows/progress_form.h"
#include "foundation/windows/tools/window_shots.h"
#include "harrowin_work/player_access.h"
#include "harrowin_work/settings.h"

using namespace harrowin;

namespace {

// An existing folder shown as the copy target of the copy dialogs.
QString g_target;

// Selects the first row of a page's tree list (so that edit commands have a row to work on).
void SelectFirstRow(QWidget* page, const char* list) {
    auto* view = page->findChild<QTreeWidget*>(list);
    if (!view || view->topLevelItemCount() == 0) return;
    view->setCurrentItem(view->topLevelItem(0));
    view->topLevelItem(0)->setSelected(true);
}

// Puts an existing folder into the dialog's folder box, so that its volume check shows figures.
void SetFolder(QDialog& d) {
    if (auto* edit = d.findChild<QLineEdit*>()) edit->setText(g_target);
}

// The row of the song list whose first column reads title (0 when none does).
int RowOfTitle(QWidget* page, const QString& title) {
    auto* view = page->findChild<QTreeView*>("SongListView");
    if (!view || !view->model()) return 0;
    for (int r = 0; r < view->model()->rowCount(); ++r)
        if (view->model()->index(r, 0).data().toString() == title) return r;
    return 0;
}

void ShowPage(TMainForm& form, int tag) { form.TabButtonClick(form.TabButton(tag)); }

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Harrowin");
    SetUpJapaneseInterface();
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <output folder> <player folder>\n", argv[0]);
        return 2;
    }
    SetShotFolder(QString::fromLocal8Bit(argv[1]));
    const std::string player = std::filesystem::absolute(argv[2]).string();
    const std::string home = std::filesystem::temp_directory_path().string() + "/harrowin-shots";
    std::filesystem::create_directories(home + "/Music");
    g_target = QString::fromStdString(home + "/Music");
    // A folder and an earlier log in it, so that the pickers' pictures show their columns.
    std::filesystem::create_directories(home + "/Music/サンプル歌手");
    std::ofstream(home + "/Music/転送失敗ログ(2026-12-01).LOG") << "1 :「サンプルの曲」(サンプル歌手) - 容量不足\r\n";
    const std::string ini = home + "/Tessmar.INI";
    // The drive lock first names an empty folder, so the window waits; then the sample player.
    const std::string nowhere = home + "/no-player";
    std::filesystem::create_directories(nowhere);
    std::ofstream(ini) << "[Copyright]\r\nCopyright=1\r\n[Recognize]\r\nMakeFolder=1\r\nDriveLockPath=" << nowhere
                       << "\r\n";

    {
        TTolvIPodINI settings(home + "/terms.INI");
        settings.Discard();
        TCRForm terms(settings);
        Save(&terms, "terms");
    }

    TMainForm form({"-debug"}, ini);
    form.move(200, 150);
    Save(&form, "waiting");
    form.Settings().Recognize.DriveLockPath = player;
    form.Button_RecognizeClick();
    Save(&form, "ipod");

    // Songs: the first artist's songs checked (the totals show them) and the first row selected.
    ShowPage(form, kPageSong);
    if (TSongPage* songs = form.SongPage()) {
        auto* tree = songs->findChild<QTreeWidget*>("SongTreeView");
        if (tree && tree->topLevelItemCount() > 0) {
            const auto found = tree->findItems("こもれび楽団", Qt::MatchExactly);
            songs->CheckSongsOfArtist((found.isEmpty() ? tree->topLevelItem(0) : found.first())->text(0).toStdString());
        }
        songs->UpdateSongSelectionTotals();
        songs->SelectRow(RowOfTitle(songs, "ひだまり"));
        Save(&form, "song");
        SaveModal([songs] { songs->Menu_PropertyClick(); }, [](QDialog& d) { SaveTabs(d, "SongPages", "song_info"); });
        SaveModal([songs] { songs->SButton_FindSongsClick(); },
                  [](QDialog& d) { SaveTabs(d, "Findpages", "song_find"); });
        SaveModal([&form] { AskSongCopySettings(&form, form.Settings()); },
                  [](QDialog& d) {
                      SetFolder(d);
                      Save(&d, "song_copy");
                  });
        songs->SetAllSongChecks(false);
    }

    ShowPage(form, kPageVideo);
    if (TVideoPage* videos = form.VideoPage()) {
        videos->SetAllVideoChecks(true);
        videos->UpdateVideoSelectionTotals();
        if (auto* list = videos->findChild<QListWidget*>("VideoListBox"); list && list->count() > 0)
            list->setCurrentRow(0);
        Save(&form, "video");
        SaveModal([videos] { videos->SButton_VideoInfoClick(); }, "video_info");
        SaveModal([&form] { AskVideoCopySettings(&form, form.Settings()); },
                  [](QDialog& d) {
                      SetFolder(d);
                      Save(&d, "video_copy");
                  });
        videos->SetAllVideoChecks(false);
    }

    ShowPage(form, kPageMemo);
    if (TMemoPage* memo = form.MemoPage()) {
        SelectFirstRow(memo, "MemoListView");
        Save(&form, "memo");
        if (!memo->ListEmpty()) {
            const std::string note = memo->RowPath(0);
            SaveModal([memo, note] { memo->EditNote(note); }, "memo_edit");
        }
        TMemoDivideForm divide(&form);
        divide.LoadFrom(form.Settings(), "長い文章");
        Save(&divide, "memo_divide");
    }

    ShowPage(form, kPageNews);
    if (TNewsPage* news = form.NewsPage()) {
        SelectFirstRow(news, "URLListView");
        Save(&form, "news");
        SaveModal([news] { news->SButton_AddNewSiteClick(0); }, "news_site");
    }

    ShowPage(form, kPageAddress);
    if (TAddressPage* address = form.AddressPage()) {
        SelectFirstRow(address, "AddressListView");
        Save(&form, "address");
        address->RunEditor = [](TAddressForm& f) { Save(&f, "address_edit"); };
        address->Button_AddAddressClick(1);
        address->RunEditor = nullptr;
    }

    ShowPage(form, kPageCal);
    if (TSchedulePage* cal = form.SchedulePage()) {
        SelectFirstRow(cal, "CalendarListView");
        Save(&form, "calendar");
        if (auto* pages = cal->findChild<QTabWidget*>("CalendarPages"); pages && pages->count() > 1) {
            pages->setCurrentIndex(1);
            Save(&form, "calendar_month");
            pages->setCurrentIndex(0);
        }
        cal->RunEditor = [](TScheduleForm& f) { Save(&f, "calendar_edit"); };
        cal->Button_NewCalendarClick(1);
        cal->RunEditor = nullptr;
        SaveModal(
            [&form] {
                TDateTime base = 0;
                AskBaseDate(&form, base);
            },
            "del_past");
    }

    ShowPage(form, kPageToDo);
    if (TTodoPage* todo = form.TodoPage()) {
        SelectFirstRow(todo, "TodoListView");
        Save(&form, "todo");
        todo->RunEditor = [](TToDoForm& f) {
            Save(&f, "todo_edit");
            return int(QDialog::Rejected);
        };
        todo->SButton_NewVTodoClick(1);
        todo->RunEditor = nullptr;
    }

    ShowPage(form, kPagePhoto);
    if (TPhotoPage* photo = form.PhotoPage()) {
        // An album after the library, with its thumbnails, and its first photo selected.
        if (auto* albums = photo->findChild<QTreeWidget*>("PhotoAlbumListView");
            albums && albums->topLevelItemCount() > 0) {
            QTreeWidgetItem* item = albums->topLevelItem(albums->topLevelItemCount() > 1 ? 1 : 0);
            albums->setCurrentItem(item);
            photo->PhotoAlbumListViewSelectItem(item);
            item->setCheckState(0, Qt::Checked);
            photo->PhotoAlbumListViewChange(item);
        }
        if (auto* list = photo->findChild<QListWidget*>("PhotoListBox"); list && list->count() > 0)
            list->setCurrentRow(0);
        Save(&form, "photo");
        SaveModal([photo] { photo->SButton_OpenPhotoClick(); }, "photo_view");
        TPhotoCopyForm copy(&form);
        SetFolder(copy);
        copy.SetTypeIndex(1);
        Save(&copy, "photo_copy");
        SaveModal([&copy] { copy.SButton_OpenFolderClick(); }, "folder_picker");
    }

    ShowPage(form, kPageDebug);
    if (!form.TabButton(kPageDebug)->isHidden()) Save(&form, "debug");
    ShowPage(form, kPageIPod);

    {
        TSpecForm device(&form);
        device.FillInformation(CheckerOf(form.Player()));
        Save(&device, "device");
        device.findChild<QTabWidget*>("PageControl")->setCurrentIndex(1);
        Save(&device, "device_sysinfo");
        device.findChild<QTabWidget*>("PageControl")->setCurrentIndex(2);
        Save(&device, "device_scandisk");
        // The disk check's question, answered No.
        SaveModal([&device] { device.Button1Click(); }, "question");
    }
    {
        TConfigForm config(&form);
        config.LoadFrom(form.Settings());
        for (int i = 0; i < 3; ++i) {
            config.findChild<QTabWidget*>("ConfigPages")->setCurrentIndex(i);
            Save(&config, QString("config%1").arg(i + 1));
        }
    }
    {
        TProgressForm progress(&form);
        progress.Setup("ビデオの取得", 0, 10, {});
        progress.Bar()->setValue(4);
        progress.Label()->setText("ビデオを調べています");
        Save(&progress, "progress");
    }
    {
        // The reasons of the copy: the log's own texts and the system's (no space, a path
        // through a file, no permission), as a failed copy stores them.
        TLogForm log(&form);
        TITBSongList songs;
        const struct {
            const char* Title;
            int32_t Error;
        } failures[] = {
            {"サンプルの曲", -2}, {"もう一つの曲", ENOSPC}, {"三つ目の曲", ENOTDIR}, {"四つ目の曲", EACCES}};
        int n = 0;
        for (const auto& f : failures) {
            auto song = std::make_unique<TITBSongItem>();
            song->Title = f.Title;
            song->Artist = "サンプル歌手";
            song->Location = ":iPod_Control:Music:F00:SAMPLE" + std::to_string(n++) + ".mp3";
            song->TransferFailed = true;
            song->TransferError = f.Error;
            songs.AddItem(std::move(song));
        }
        log.Fill(songs, g_target.toStdString());
        Save(&log, "log");
        SaveModal([&log] { log.Button2Click(); }, "save_picker");
    }
    form.Settings().Discard();
    // A window nobody asked for stood in the way of some picture: say so in the exit status.
    return UnexpectedWindows() > 0 ? 1 : 0;
}
