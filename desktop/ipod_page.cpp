// Recognition of the player and the iPod page of the main window: the waiting and connected
// states, the page's buttons, the settings dialog, help and safe removal.
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <filesystem>

#include "desktop/dialogs/config_form.h"
#include "desktop/dialogs/log_form.h"
#include "desktop/dialogs/spec_form.h"
#include "desktop/main_form.h"
#include "desktop/pages/address_page.h"
#include "desktop/pages/memo_page.h"
#include "desktop/pages/news_page.h"
#include "desktop/pages/photo_page.h"
#include "desktop/pages/schedule_page.h"
#include "desktop/pages/song_page.h"
#include "desktop/pages/video_page.h"
#include "desktop/site_list_view.h"
#include "foundation/errors.h"
#include "foundation/gui/failure_message.h"
#include "foundation/gui/message_box.h"
#include "foundation/gui/shell_open.h"
#include "foundation/program_folder.h"
#include "harrowin_work/language_table.h"
#include "harrowin_work/player_access.h"
#include "harrowin_work/settings.h"
#include "harrowin_work/status_text.h"
#include "platform/removal.h"
#include "ui_main_form.h"

namespace harrowin {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

void TMainForm::iPodSheetEnter() {
    if (!FRecognizeOnEnter) return;
    FRecognizeOnEnter = false;  // cleared first: a second entry during the search does nothing
    Button_RecognizeClick();
}

void TMainForm::ApplyDriveLock() {
    SetFixedDrive(*FPlayer, "");
    if (FSettings->Recognize.MakeFolder) SetFixedDrive(*FPlayer, FSettings->Recognize.DriveLockPath);
}

void TMainForm::Button_RecognizeClick() {
    if (!ui->SButton_Recognize->isEnabled()) return;
    // The loaders only add: a recognition that follows another (a click, then the page's
    // deferred first entry) must not list every song twice.
    FRecognizeOnEnter = false;
    ResetPlayer(*FPlayer);
    ApplyDriveLock();
    bool found = false;
    try {
        found = LoadPlayer(*FPlayer);
    } catch (const ETolvError& e) {
        // The player's files went away or could not be read part-way: back to waiting.
        StartRecognition();
        ShowMessage(this, e.Message());
        FStatus1->setText(Q(FLang->Text("MSG_RECG_FAL")));
        return;
    } catch (const std::exception& e) {
        // Memory exhausted or a failure of the C++ library: the user reads why in Japanese.
        StartRecognition();
        ShowFailure(this, e);
        FStatus1->setText(Q(FLang->Text("MSG_RECG_FAL")));
        return;
    }
    if (!found) {
        FStatus1->setText(Q(FLang->Text("MSG_RECG_FAL")));
        return;
    }
    ShowPlayerSummary();
    const QString format = Q(FLang->Text("MSG_RECG_SUC"));
    FStatus1->setText(QString(format).replace("%s", Q(CheckerOf(*FPlayer).DriveRoot)));
    // The download at start ends as the button's does: its last word (a site that failed, a
    // Cancel) stays on the status line.
    if (FSettings->Internet.AutoDownLoad) AutoDownloadNews();
}

void TMainForm::ShowPlayerSummary() {
    ShowConnected();
    const TMPlayerChecker& c = CheckerOf(*FPlayer);
    ui->Panel_Recognize->setText(Q(FLang->Text("MSG_RECG_HAD")));
    ui->Panel_IPName->setText(Q(c.PlayerName));
    ui->Panel_IPDrive->setText(Q(c.DriveRoot));
    ui->Panel_IPSize->setText(Q(MegabytesShifted(static_cast<uint64_t>(c.DiskTotal))));
    ui->Panel_IPFreeSize->setText(Q(MegabytesShifted(static_cast<uint64_t>(c.DiskFree))));
    ui->Panel_IPMusicSize->setText(Q(MegabytesShifted(static_cast<uint64_t>(c.SongBytes))));
    ui->Panel_IPMusicCount->setText(Q(SongCountText(c.SongCount)));
}

void TMainForm::AutoDownloadNews() {
    FillSiteList(*FSettings, FNewsPage->URLListView);
    FNewsPage->SButton_DownloadClick();
}

void TMainForm::StartRecognition() {
    SetActivePage(kPageIPod);
    ui->iPodSheet->setFocus();
    for (int tag = kPageSong; tag <= kPageDebug; ++tag) TabButton(tag)->setVisible(false);
    ui->SButton_Recognize->setEnabled(true);
    ui->SButton_SpecData->setEnabled(false);
    ui->SButton_Remove->setEnabled(false);
    TabButton(kPageIPod)->setChecked(true);
    ShowNotRecognized();
    ClearAllLists();
    ResetPlayer(*FPlayer);
    FStatus0->setText("[接続待ち]");
}

void TMainForm::ShowNotRecognized() {
    ui->Panel_Recognize->setText(Q(FLang->Text("MSG_RECG_NOT")));
    for (QLabel* panel : {ui->Panel_IPName, ui->Panel_IPSize, ui->Panel_IPFreeSize, ui->Panel_IPMusicCount,
                          ui->Panel_IPDrive, ui->Panel_IPMusicSize}) {
        panel->clear();
    }
}

void TMainForm::ClearAllLists() {
    // The to-do list keeps its rows until its own commands reload it.
    FSongPage->ClearList();
    FNewsPage->ClearList();
    FMemoPage->ClearList();
    FPhotoPage->ClearList();
    FSchedulePage->ClearList();
    FAddressPage->ClearList();
    FVideoPage->ClearList();
}

void TMainForm::SButton_SpecDataClick(int tag) {
    if (tag == 0) ShowPlayerInfo();
    else if (tag == 1) EditSettings();
}

void TMainForm::ShowPlayerInfo() {
    TSpecForm form(this);
    form.FillInformation(CheckerOf(*FPlayer));
    form.exec();
}

void TMainForm::EditSettings() {
    TConfigForm form(this);
    form.LoadFrom(*FSettings);
    if (form.exec() == QDialog::Accepted) form.StoreTo(*FSettings);
}

void TMainForm::SpeedButton4Click() {
    const std::string path = FindShippedFile("manual/index.html");
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        ShowMessage(this, "Harrowinのヘルプが見つかりません");
        return;
    }
    if (OpenDocument) {
        OpenDocument(path);
    } else {
        ShellOpen(path, this);
    }
}

void TMainForm::SButton_RemoveClick() {
    // One removal at a time: a second one would only race the first for the same device.
    if (FRemoval) return;
    const std::string root = CheckerOf(*FPlayer).DriveRoot;
    TRemovalPlan plan = PlanSafeRemoval(root, ProgramOnPath("udisksctl"));
    if (plan.Commands.empty()) {
        ShowMessage(this, RefusalText(plan, root));
        return;
    }
    ui->SButton_Remove->setEnabled(false);
    FRemoval = std::make_unique<TRemovalJob>(std::move(plan), [this](const TRemovalOutcome& outcome) {
        QMetaObject::invokeMethod(
            this, [this, outcome] { RemovalFinished(outcome); }, Qt::QueuedConnection);
    });
}

void TMainForm::RemovalFinished(const TRemovalOutcome& outcome) {
    FRemoval.reset();
    // A removal that worked changes nothing here: the mount watcher sees the volume go and
    // returns the window to waiting. After a failure the player stays connected.
    if (!ui->SButton_Recognize->isEnabled()) ui->SButton_Remove->setEnabled(true);
    if (!outcome.Succeeded) ShowMessage(this, RemovalFailureText(outcome));
}

void TMainForm::ShowTransferLog(const std::string& folder) {
    TLogForm form(this);
    form.Fill(MusicOf(*FPlayer).Songs, folder);
    form.exec();
}

}  // namespace harrowin
