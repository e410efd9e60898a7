// The song page: the artist tree and the checkable song list (a model/view list of every
// song of the music database that is not a video), the check commands, the totals of the
// checked songs, the copy of the checked songs to the PC, the details window and the find.
// Created and owned by the main window.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "desktop/pages/list_page.h"

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QTreeView;
class QTreeWidget;

namespace harrowin {

class TSongListModel;
class TSongFindForm;
namespace Ui {
class TSongPage;
}

class TSongPage : public TListPage {
    Q_OBJECT
public:
    TSongPage(TPageHost& host, QWidget* parent = nullptr);
    ~TSongPage() override;

    // Fills the song views through the progress window and reports the count.
    void LoadSongList();
    void LoadList() override { LoadSongList(); }
    // Entering the page with an empty list loads it and shows the totals of the checked songs.
    void Enter() override;
    // The fill of list and tree (the progress window's work); returns the position reached.
    int32_t FillSongViews(QProgressBar* bar, QLabel* label, bool& cancel);
    void UpdateSongSelectionTotals();
    bool ListEmpty() const override;
    void ClearList();
    QWidget* FocusList() const override;

    // The check commands.
    void SetAllSongChecks(bool flag);
    void PopMenu_SelectAllClick(int tag);
    void SongListViewMouseDown(Qt::MouseButton button, int x);
    void SongTreeViewDblClick();
    void N12Click();
    void N16Click(int tag);
    void SelectFirstSongOfArtist(const std::string& name);
    void CheckSongsOfArtist(const std::string& name);
    void CheckSongsOfArtistAlbum(const std::string& artist, const std::string& album);
    // The sortable list's column click (sort state of Tag 2).
    void VideoListViewColumnClick(int column);

    // Copying the checked songs to the PC.
    void SButton_OutSongsClick();
    // The copy loop (inside the progress window); returns the position reached.
    int32_t CopySongsToFolder(const std::string& folder, QProgressBar* bar, QLabel* label, bool& cancel);
    // The song indexes of the checked rows, in list order.
    std::vector<int32_t> CheckedSongIndexes() const;

    // The details window of the selected row; true when its check box changed the row.
    bool ShowSongInfo();
    void Menu_PropertyClick();

    // The find command and its two searches.
    void SButton_FindSongsClick();
    int32_t CheckSongsByText(const std::string& text, int32_t type);
    int32_t CheckSongsByArtists(const TSongFindForm& form);

    // The selected row of the list (-1 when none), in the list's current order.
    int SelectedRow() const;
    void SelectRow(int row);

    TSongListModel& SongModel() const { return *FModel; }
    QTreeWidget* SongTreeView = nullptr;
    QTreeView* SongListView = nullptr;
    QPushButton* SButton_OutSongs = nullptr;
    QPushButton* SButton_SongInfo = nullptr;
    QPushButton* SButton_FindSongs = nullptr;
    QMenu* PopupMenu_SongList = nullptr;
    QMenu* PopupMenu_AristTree = nullptr;
    QAction* PopMenu_SelectAll = nullptr;
    QAction* N1 = nullptr;
    QAction* Menu_OutSongs = nullptr;
    QAction* Menu_Property = nullptr;
    QAction* Menu_FindSongs = nullptr;
    QAction* N12 = nullptr;
    QAction* N16 = nullptr;
    QAction* N17 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetupMenus();
    void FillTree(const class TArtistTree& tree);

    std::unique_ptr<Ui::TSongPage> ui;
    TSongListModel* FModel = nullptr;
};

}  // namespace harrowin
