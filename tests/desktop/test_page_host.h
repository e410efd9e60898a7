// The host of the page tests: a player folder written by the tests' writers and recognised
// through the drive lock as the main window recognises it, settings in a file of the test
// folder, the language table, two status panels and the sort states. Pages made over it sit in
// one window (shown when a test needs the focus); LoadTabList loads the page of that kind and
// shows a failure as the main window does; the transfer-failure log is the real window.
#pragma once

#include <QApplication>
#include <QWidget>
#include <array>
#include <memory>
#include <string>

#include "desktop/dialogs/log_form.h"
#include "desktop/page_host.h"
#include "desktop/pages/list_page.h"
#include "foundation/gui/failure_message.h"
#include "foundation/gui/message_box.h"
#include "harrowin_work/language_table.h"
#include "harrowin_work/player_access.h"
#include "harrowin_work/settings.h"
#include "harrowin_work/status_text.h"
#include "tests/support/temp_dir.h"

namespace harrowin {

class TTestPageHost : public TPageHost {
public:
    // Settings in "<sub>-Tessmar.INI" locking to the folder dir/sub, then extraSettings.
    TTestPageHost(const TempDir& dir, const std::string& sub, const std::string& extraSettings = {})
        : TTestPageHost(dir, sub + "-Tessmar.INI", dir / sub, extraSettings) {}
    // Settings in the file settingsName of dir locking to playerFolder, then extraSettings.
    TTestPageHost(const TempDir& dir, const std::string& settingsName, const std::string& playerFolder,
                  const std::string& extraSettings)
        : FSettings(dir.Write(
              settingsName, "[Recognize]\r\nMakeFolder=1\r\nDriveLockPath=" + playerFolder + "\r\n" + extraSettings)) {
        SetPlayerProgress(FPlayer,
                          [this](int32_t p, int32_t m, const std::string& msg) { ShowProgressInStatus(p, m, msg); });
        FPlayer.OnConfirm = [this](const std::string& question) { return ConfirmWarning(&FWindow, question); };
        FPlayer.OnShowMessage = [this](const std::string& text) { ShowMessage(&FWindow, text); };
        SetFixedDrive(FPlayer, FSettings.Recognize.DriveLockPath);
        LoadPlayer(FPlayer);
        FWindow.resize(594, 385);
    }

    // The page of that type over this host, made at the first call and owned by the host's window.
    template <typename TPage>
    TPage& Page() {
        if (auto* page = FWindow.findChild<TPage*>(QString(), Qt::FindDirectChildrenOnly)) return *page;
        auto* page = new TPage(*this, &FWindow);
        page->resize(FWindow.size());
        return *page;
    }

    TTolvIPOD& Player() override { return FPlayer; }
    TTolvIPodINI& Settings() override { return FSettings; }
    const TLagugae& Lang() const override { return FLang; }
    QWidget* DialogParent() override { return &FWindow; }
    void SetStatusText(int panel, const QString& text) override { FStatus[panel == 0 ? 0 : 1] = text; }
    QString StatusText(int panel) const { return FStatus[panel == 0 ? 0 : 1]; }
    void ShowProgressInStatus(int32_t Position, int32_t Max, const std::string& Msg) override {
        FStatus[1] = QString::fromStdString(ProgressStatusText(Position, Max, Msg));
        QCoreApplication::processEvents();
    }
    void LoadTabList(TListKind Kind) override {
        for (TListPage* page : FWindow.findChildren<TListPage*>(Qt::FindDirectChildrenOnly)) {
            if (page->Kind() != Kind) continue;
            try {
                page->LoadList();
            } catch (const std::exception& e) {
                ShowFailure(&FWindow, e);
            }
        }
    }
    int32_t& SortState(int tag) override {
        if (tag >= 1 && tag <= 5) return FSortStates[tag - 1];
        FNoSortState = 0;
        return FNoSortState;
    }
    void ShowTransferLog(const std::string& folder) override {
        TLogForm form(&FWindow);
        form.Fill(MusicOf(FPlayer).Songs, folder);
        form.exec();
    }
    bool PlayerGone() const override { return false; }
    // The work under way on the player's files (TPlayerWork).
    int PlayerWorks() const { return FPlayerWorks; }

    QWidget& Window() { return FWindow; }

private:
    void BeginPlayerWork() override { ++FPlayerWorks; }
    void EndPlayerWork() override { --FPlayerWorks; }

    TTolvIPOD FPlayer;
    TTolvIPodINI FSettings;
    TLagugae FLang;
    QString FStatus[2];
    int32_t FSortStates[5] = {3, 2, 2, 2, 2};
    int32_t FNoSortState = 0;
    int FPlayerWorks = 0;
    // Last, so that the pages in it go before everything they use.
    QWidget FWindow;
};

}  // namespace harrowin
