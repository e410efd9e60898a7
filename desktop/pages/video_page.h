// The video page: the videos of the music database as a check list whose rows are drawn
// with the artwork thumbnail and five text lines, the totals of the checked videos, their
// copy to the PC and the details window. Created and owned by the main window.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "desktop/pages/list_page.h"

class QAction;
class QLabel;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;

namespace harrowin {

namespace Ui {
class TVideoPage;
}

class TVideoPage : public TListPage {
    Q_OBJECT
public:
    TVideoPage(TPageHost& host, QWidget* parent = nullptr);
    ~TVideoPage() override;

    // Fills the list through the progress window and reports the count.
    void LoadVideoList();
    void LoadList() override { LoadVideoList(); }
    // Entering the page with an empty list loads it and shows the totals of the checked videos.
    void Enter() override;
    // The work of the video-list loading run in the progress window; returns the position.
    int32_t FillVideoList(QProgressBar* bar, QLabel* label, bool& cancel);
    void UpdateVideoSelectionTotals();
    bool ListEmpty() const override;
    void ClearList();
    QWidget* FocusList() const override;

    void SetAllVideoChecks(bool flag);
    void Menu_Video_AllCheckClick(int tag);
    void VideoListBoxClickCheck();

    void SButton_ExtractVideosClick();
    int32_t CopyVideosToFolder(const std::string& folder, QProgressBar* bar, QLabel* label, bool& cancel);
    // The song indexes of the checked entries, in list order.
    std::vector<int32_t> CheckedSongIndexes() const;

    // The details window of the selected entry; true when its check box changed the entry.
    bool ShowVideoInfo();
    void SButton_VideoInfoClick();

    // The song index an entry stands for (-1 when its text is no number).
    int32_t EntrySongIndex(int entry) const;

    QListWidget* VideoListBox = nullptr;
    QPushButton* SButton_VideoInfo = nullptr;
    QPushButton* SButton_ExtractVideos = nullptr;
    QMenu* PopupMenu_Video = nullptr;
    QAction* Menu_Video_AllCheck = nullptr;
    QAction* Menu_Video_UnCheck = nullptr;
    QAction* Menu_Video_Extract = nullptr;
    QAction* Menu_Video_Info = nullptr;

private:
    std::unique_ptr<Ui::TVideoPage> ui;
    bool FBulkCheck = false;
};

}  // namespace harrowin
