// Harrowin's main window: the toolbar of ten page buttons, the pages, the status bar with the
// connection state (panel 0) and messages (panel 1); recognition of the player and the iPod
// page; owner of the player object, the settings and the language table for the whole run.
#pragma once

#include <QMainWindow>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "desktop/page_host.h"
#include "foundation/progress_event.h"

class QAbstractButton;
class QLabel;
class QToolButton;
class TMountWatcher;
class TRemovalJob;
struct TRemovalOutcome;
class TTolvIPOD;

namespace harrowin {

class TLagugae;
class TTolvIPodINI;
class TListPage;
class TSongPage;
class TMemoPage;
class TAddressPage;
class TSchedulePage;
class TPhotoPage;
class TNewsPage;
class TTodoPage;
class TVideoPage;
class TDebugPage;
namespace Ui {
class TMainForm;
}

// The page Tags of the toolbar buttons.
enum TPageTag : int {
    kPageIPod = 0,
    kPageSong = 1,
    kPageMemo = 2,
    kPageAddress = 3,
    kPageCal = 4,
    kPagePhoto = 5,
    kPageNews = 6,
    kPageToDo = 7,
    kPageVideo = 8,
    kPageDebug = 9
};

class TMainForm : public QMainWindow, public TPageHost {
    Q_OBJECT
public:
    // The program's version, the project's version in CMakeLists.txt.
    static constexpr const char* kVersion = HARROWIN_VERSION;

    // Settings file name inside the program folder.
    static constexpr const char* kSettingsName = "Tessmar.INI";

    // Creates the window (FormCreate). args are the program's arguments without the program
    // name; settingsFile empty means "Tessmar.INI" in the program folder.
    explicit TMainForm(const QStringList& args = {}, const std::string& settingsFile = {}, QWidget* parent = nullptr);
    ~TMainForm() override;

    // False when the terms of use were refused at the first start: the program ends at once.
    bool Accepted() const { return FAccepted; }

    // What the pages use of their window.
    TTolvIPOD& Player() override { return *FPlayer; }
    TTolvIPodINI& Settings() override { return *FSettings; }
    const TLagugae& Lang() const override { return *FLang; }
    QWidget* DialogParent() override { return this; }
    void SetStatusText(int panel, const QString& text) override;
    void ShowProgressInStatus(int32_t Position, int32_t Max, const std::string& Msg) override;
    void LoadTabList(TListKind Kind) override;
    int32_t& SortState(int tag) override;
    void ShowTransferLog(const std::string& folder) override;
    bool PlayerGone() const override { return FPlayerGone; }

    void ShowConnected();
    void RestoreWindowState();
    void SaveWindowState();
    // Sender: a toolbar button or null (then only the active page's work runs).
    void TabButtonClick(QAbstractButton* Sender);
    // The device-change reaction; eventCode as the device-change event codes.
    void WMDeviceChange(int eventCode);
    // Dropped files, in drop order.
    void WMDropFiles(const QStringList& paths);
    // Selects a page by F-key (Qt::Key_F1..Key_F9); false when the key does nothing.
    bool FormKeyDown(int key);

    // Recognition and the iPod page.
    void Button_RecognizeClick();
    void iPodSheetEnter();
    void SButton_SpecDataClick(int tag);
    void ShowPlayerInfo();
    void StartRecognition();
    void ShowPlayerSummary();
    void ShowNotRecognized();
    void ClearAllLists();
    void ApplyDriveLock();
    void AutoDownloadNews();
    void EditSettings();
    void SpeedButton4Click();
    void SButton_RemoveClick();

    bool DebugMode() const { return FDebugMode; }
    bool RecognizeOnEnter() const { return FRecognizeOnEnter; }
    QString StatusText(int panel) const;
    int ActivePage() const;
    QToolButton* TabButton(int tag) const;

    TSongPage* SongPage() const { return FSongPage.get(); }
    TMemoPage* MemoPage() const { return FMemoPage.get(); }
    TAddressPage* AddressPage() const { return FAddressPage.get(); }
    TSchedulePage* SchedulePage() const { return FSchedulePage.get(); }
    TPhotoPage* PhotoPage() const { return FPhotoPage.get(); }
    TNewsPage* NewsPage() const { return FNewsPage.get(); }
    TTodoPage* TodoPage() const { return FTodoPage.get(); }
    TVideoPage* VideoPage() const { return FVideoPage.get(); }
    TDebugPage* DebugPage() const { return FDebugPage.get(); }

    // Test seam: where a dropped file goes (page Tag, path); by default the page's import.
    std::function<void(int page, const std::string& path)> DropDispatch;
    // Test seam: the shell that opens help (default: xdg-open).
    std::function<void(const std::string& path)> OpenDocument;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void FormCreate(const QStringList& args, const std::string& settingsFile);
    void FormDestroy();
    void SetupPages();
    void DispatchDrop(int page, const std::string& path);
    void SetActivePage(int tag);
    void ShowTerms();
    // The end of a removal, back on the window's thread.
    void RemovalFinished(const TRemovalOutcome& outcome);
    // The waiting state after the player went away.
    void PlayerRemoved();
    void BeginPlayerWork() override;
    void EndPlayerWork() override;

    // Members go in the reverse order of their declaration: the pages, declared after the
    // objects they use, go before them, and FormDestroy has saved everything before any goes.
    std::unique_ptr<Ui::TMainForm> ui;
    std::unique_ptr<TLagugae> FLang;
    std::unique_ptr<TTolvIPOD> FPlayer;
    std::unique_ptr<TTolvIPodINI> FSettings;
    std::unique_ptr<TMountWatcher> FWatcher;
    QLabel* FStatus0 = nullptr;
    QLabel* FStatus1 = nullptr;
    bool FRecognizeOnEnter = false;
    bool FDebugMode = false;
    bool FAccepted = true;
    bool FDestroyed = false;
    // Long work on the player under way (TPlayerWork), and a removal it put off.
    int FPlayerWorks = 0;
    bool FPlayerGone = false;
    // The key press the window has already acted on while it travels up to the window.
    const QEvent* FPreviewedKey = nullptr;
    // The list sort states of the song and video lists (their initial values).
    int32_t FSortStates[5] = {3, 2, 2, 2, 2};
    int32_t FNoSortState = 0;

    // The pages sit in the sheets of the page control; these own them.
    std::unique_ptr<TSongPage> FSongPage;
    std::unique_ptr<TMemoPage> FMemoPage;
    std::unique_ptr<TAddressPage> FAddressPage;
    std::unique_ptr<TSchedulePage> FSchedulePage;
    std::unique_ptr<TPhotoPage> FPhotoPage;
    std::unique_ptr<TNewsPage> FNewsPage;
    std::unique_ptr<TTodoPage> FTodoPage;
    std::unique_ptr<TVideoPage> FVideoPage;
    std::unique_ptr<TDebugPage> FDebugPage;
    // The list pages by page Tag (none for the iPod and debug pages).
    std::array<TListPage*, 10> FListPages{};
    // The removal under way (none when empty); last, so that it ends before anything it reports to.
    std::unique_ptr<TRemovalJob> FRemoval;
};

}  // namespace harrowin
