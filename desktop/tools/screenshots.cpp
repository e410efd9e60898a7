// Writes a PNG of every window of Harrowin for the manual: the main window's pages on the
// sample player, the terms of use, the device information window, the settings dialog, the
// progress window and the failure log. Usage: harrowin_screenshots <output folder> <player>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "desktop/dialogs/config_form.h"
#include "desktop/dialogs/log_form.h"
#include "desktop/dialogs/spec_form.h"
#include "desktop/dialogs/terms_form.h"
#include "desktop/main_form.h"
#include "desktop/player_access.h"
#include "desktop/progress_form.h"
#include "desktop/settings.h"

namespace {

QString g_out;

void Save(QWidget* w, const QString& name) {
    w->show();
    QApplication::processEvents();
    const QString path = g_out + "/" + name + ".png";
    if (!w->grab().save(path)) std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Harrowin");
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <output folder> <player folder>\n", argv[0]);
        return 2;
    }
    g_out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(g_out);
    const std::string player = std::filesystem::absolute(argv[2]).string();
    const std::string home = std::filesystem::temp_directory_path().string() + "/harrowin-shots";
    std::filesystem::create_directories(home);
    const std::string ini = home + "/Tessmar.INI";
    std::ofstream(ini) << "[Copyright]\r\nCopyright=1\r\n[Recognize]\r\nMakeFolder=1\r\nDriveLockPath=" << player << "\r\n";

    {
        TTolvIPodINI settings(home + "/terms.INI");
        settings.Discard();
        TCRForm terms(settings);
        Save(&terms, "terms");
    }

    TMainForm form({"-debug"}, ini);
    form.move(0, 0);
    Save(&form, "waiting");
    form.Button_RecognizeClick();
    Save(&form, "ipod");
    const struct { int tag; const char* name; } pages[] = {
        {kPageSong, "song"}, {kPageMemo, "memo"}, {kPageNews, "news"}, {kPageAddress, "address"},
        {kPageCal, "calendar"}, {kPageToDo, "todo"}, {kPagePhoto, "photo"}, {kPageVideo, "video"},
        {kPageDebug, "debug"}};
    for (const auto& page : pages) {
        QToolButton* button = form.TabButton(page.tag);
        if (button->isHidden()) continue;
        form.TabButtonClick(button);
        Save(&form, page.name);
    }
    form.TabButtonClick(form.TabButton(kPageIPod));

    {
        TSpecForm device(&form);
        device.FillInformation(CheckerOf(form.Player()));
        Save(&device, "device");
        device.findChild<QTabWidget*>("PageControl")->setCurrentIndex(1);
        Save(&device, "device_sysinfo");
        device.findChild<QTabWidget*>("PageControl")->setCurrentIndex(2);
        Save(&device, "device_scandisk");
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
        TLogForm log(&form);
        TITBSongList songs;
        for (int i = 0; i < 2; ++i) {
            auto song = std::make_unique<TITBSongItem>();
            song->Title = i == 0 ? "サンプルの曲" : "もう一つの曲";
            song->Artist = "サンプル歌手";
            song->Location = ":iPod_Control:Music:F00:SAMPLE" + std::to_string(i) + ".mp3";
            song->TransferFailed = true;
            song->TransferError = i == 0 ? -2 : -3;
            songs.AddItem(std::move(song));
        }
        log.Fill(songs, QDir::homePath().toStdString() + "/Music");
        Save(&log, "log");
    }
    form.Settings().Discard();
    return 0;
}
