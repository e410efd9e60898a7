// Harrowin's main window: the toolbar of ten page buttons, the pages, the status bar with the
// connection state (panel 0) and messages (panel 1); recognition of the player and the iPod
// page; owner of the player object, the settings and the language table for the whole run.
#pragma once

#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>

#include "foundation/progress_event.h"

class QAbstractButton;
class QLabel;
class QToolButton;
class TLagugae;
class TMountWatcher;
class TRemovalJob;
struct TRemovalOutcome;
class TTolvIPOD;
class TTolvIPodINI;
class TSongPage;
class TMemoPage;
class TAddressPage;
class TSchedulePage;
class TPhotoPage;
class TNewsPage;
class TTodoPage;
class TVideoPage;
class TDebugPage;
namespace Ui { class TMainForm; }

// The page Tags of the toolbar buttons.
enum TPageTag : int {
    kPageIPod = 0, kPageSong = 1, kPageMemo = 2, kPageAddress = 3, kPageCal = 4,
    kPagePhoto = 5, kPageNews = 6, kPageToDo = 7, kPageVideo = 8, kPageDebug = 9
};

class TMainForm : public QMainWindow {
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

    // Operations used by the pages.
    void ShowProgressInStatus(int32_t Position, int32_t Max, const std::string& Msg);
    void LoadTabList(int32_t Kind);
    void ShowConnected();
    void LoadVideoList();
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
    // The transfer-failure log over the given output folder.
    void ShowTransferLog(const std::string& folder);

    // Held by long work on the player's files (a copy, an extraction) while it runs: a removal
    // noticed meanwhile leaves the player's data in place and only marks the player gone (the
    // work asks PlayerGone, counts what it did not reach as failed and ends), and the waiting
    // state follows once the last such work is over.
    class TPlayerWork {
    public:
        explicit TPlayerWork(TMainForm& main);
        ~TPlayerWork();
        TPlayerWork(const TPlayerWork&) = delete;
        TPlayerWork& operator=(const TPlayerWork&) = delete;

    private:
        TMainForm& FMain;
    };
    // True while long work runs after the player went away.
    bool PlayerGone() const { return FPlayerGone; }

    TTolvIPOD& Player() { return *FPlayer; }
    TTolvIPodINI& Settings() { return *FSettings; }
    const TLagugae& Lang() const { return *FLang; }
    bool DebugMode() const { return FDebugMode; }
    // The list sort state of a Tag 1..5 (0 for any other Tag, which cannot be changed).
    int32_t& SortState(int tag);
    bool RecognizeOnEnter() const { return FRecognizeOnEnter; }
    QString StatusText(int panel) const;
    void SetStatusText(int panel, const QString& text);
    int ActivePage() const;
    QToolButton* TabButton(int tag) const;

    TSongPage* SongPage() const { return FSongPage; }
    TMemoPage* MemoPage() const { return FMemoPage; }
    TAddressPage* AddressPage() const { return FAddressPage; }
    TSchedulePage* SchedulePage() const { return FSchedulePage; }
    TPhotoPage* PhotoPage() const { return FPhotoPage; }
    TNewsPage* NewsPage() const { return FNewsPage; }
    TTodoPage* TodoPage() const { return FTodoPage; }
    TVideoPage* VideoPage() const { return FVideoPage; }
    TDebugPage* DebugPage() const { return FDebugPage; }

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

    TSongPage* FSongPage = nullptr;
    TMemoPage* FMemoPage = nullptr;
    TAddressPage* FAddressPage = nullptr;
    TSchedulePage* FSchedulePage = nullptr;
    TPhotoPage* FPhotoPage = nullptr;
    TNewsPage* FNewsPage = nullptr;
    TTodoPage* FTodoPage = nullptr;
    TVideoPage* FVideoPage = nullptr;
    TDebugPage* FDebugPage = nullptr;
    // The removal under way (none when empty); last, so that it ends before anything it reports to.
    std::unique_ptr<TRemovalJob> FRemoval;
};
