// HarrowinCast's main window: the subscribed feeds drawn as cards, the tool buttons, the
// pop-up menu and the status bar; it owns the settings and the episode list for the run and
// writes them whenever they change as well as at exit. Line n of the list is feed n.
#pragma once

#include <QMainWindow>
#include <cstdint>
#include <memory>
#include <string>

#include "harrowincast_work/episode_list.h"
#include "harrowincast_work/settings.h"
#include "harrowincast_work/work_hooks.h"

class QLabel;
class QListWidget;
class QMenu;
class QPainter;
class QProgressBar;
class QRect;

namespace harrowincast {

namespace Ui {
class TMainForm;
}

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    void CloseButtonClick();
    // tag 1: a new feed; otherwise the selected feed is edited (a new one when none is selected).
    void AddButtonClick(int tag);
    // Editing passes the feed edited (nullptr for a new one): the dialog refuses a name that
    // another feed has or that would share another feed's folder.
    bool EditFeed(std::string& Address, std::string& Name, bool InfoEnabled, const TPodSiteItem* Editing = nullptr);
    void ConfigButtonClick();
    void PM_DeleteURLClick();
    void PM_SiteInfoClick();
    void DownloadButtonClick();
    void URLListBoxDrawItem(QPainter& painter, int index, const QRect& rect, bool selected, bool focused) const;
    void FillNameList();

    TTolvIPodINI& Settings() { return *FIni; }
    TPodCastList& Episodes() { return *FPodCastList; }
    QListWidget* URLListBox() const;
    QString StatusText() const;
    const std::string& Folder() const { return FFolder; }
    int32_t NewCount = 0;

    // Saves window bounds, the episode list and the settings (what closing the window does).
    void FormDestroy();
    // Write the settings (with the feed list) or the episode list now; a failure is shown.
    void SaveSettings();
    void SaveEpisodes();
    // The hooks through which the window's long work shows its progress on the bar and label
    // of its progress window (at a bounded rate) and asks its questions.
    TPodcastWork MakeWork(QProgressBar* bar, QLabel* label);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void SetStatus(const std::string& text);
    // Write one file now (EFileError when it cannot be); a file that was there at the start but
    // could not be read is kept as it is, and only the start said so.
    void WriteSettings();
    void WriteEpisodes();
    // The selected line, -1 when none is selected.
    int SelectedRow() const;
    // Deletes the files of a deleted feed: those its records name in its folder, then the
    // folder when empty and its cache file.
    void DeleteFeedFiles(const std::string& name);

    std::unique_ptr<Ui::TMainForm> ui;
    std::unique_ptr<TTolvIPodINI> FIni;
    std::unique_ptr<TPodCastList> FPodCastList;
    std::string FFolder;  // the program folder, with a trailing "/"
    QLabel* FStatusPanel = nullptr;
    QMenu* FPopupMenu = nullptr;
    bool FShown = false;
    bool FDestroyed = false;
};

// Position and size of the window to be stored: the normal bounds of a maximised or minimised
// window, else its current ones.
void GetWindowBounds(const QWidget* window, QPoint& Position, QSize& Size);

// The "データサイズ" text of the feed information: the kilobytes with thousands separators.
std::string FormatSizeKB(int32_t bytes);

}  // namespace harrowincast
