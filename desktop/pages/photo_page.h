// The photos page: the albums of the player's photo database (check marks choose the albums to
// extract) and the thumbnails of the selected album, the viewer for a photo and the extraction
// of the checked albums to a folder. Created and owned by the main window.
#pragma once

#include <QSize>
#include <cstdint>
#include <memory>
#include <string>

#include "desktop/pages/list_page.h"

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QListWidget;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class TArtItem;
class TArtworkDBLoader;

namespace harrowin {

namespace Ui {
class TPhotoPage;
}

class TPhotoPage : public TListPage {
    Q_OBJECT
public:
    TPhotoPage(TPageHost& host, QWidget* parent = nullptr);
    ~TPhotoPage() override;

    // The albums and the thumbnails of the first album, through the progress window.
    void LoadPhotoList();
    void LoadList() override { LoadPhotoList(); }
    bool ListEmpty() const override;
    void ClearList();
    QWidget* FocusList() const override;

    // The work of the thumbnail listing run in the progress window; returns the position.
    int32_t FillPhotoThumbnails(QProgressBar* bar, QLabel* label, bool& cancel);

    void PhotoAlbumListViewSelectItem(QTreeWidgetItem* item);
    void PhotoAlbumListViewChange(QTreeWidgetItem* item);
    void N27Click(int tag);  // Tag 0 checks every album but the library, Tag 1 unchecks them

    void SButton_OpenPhotoClick();
    // The viewer over the file; modal, freed afterwards.
    void ShowPhoto(const std::string& fileName);
    void NextPhoto(std::string& fileName, int32_t& index);
    void PriorPhoto(std::string& fileName, int32_t& index);

    void SButton_ExtractPhotosClick();
    int32_t ExtractPhotos(QProgressBar* bar, QLabel* label, bool& cancel);

    // The photo entry of a list item (nullptr when its text names none).
    TArtItem* EntryOfItem(int item) const;
    // The album kind (image index) of a row of the album list.
    static int32_t AlbumKind(const QTreeWidgetItem* item);
    int32_t CheckedAlbumCount() const;

    QListWidget* PhotoListBox = nullptr;
    QTreeWidget* PhotoAlbumListView = nullptr;
    QPushButton* SButton_OpenPhoto = nullptr;
    QPushButton* SButton_ExtractPhotos = nullptr;
    QMenu* PopupMenu_Photo = nullptr;
    QAction* A1 = nullptr;
    QAction* N27 = nullptr;
    QAction* Menu_ExtractPhotos = nullptr;

    // Width and height of the photo icons, for centring them in their cells (pixels).
    QSize ThumbSize{88, 133};
    // Columns of the thumbnail list as last set by a load.
    int32_t Columns = 3;
    // The thumbnails of the last load that decoded to a picture.
    int32_t PictureCount = 0;

    // The player's photo database (nullptr without a player object).
    TArtworkDBLoader* Photos() const;

private:
    void StepPhoto(int delta, std::string& fileName, int32_t& index);
    void SetCellSize(int32_t itemHeight);
    // The size a photo's icon is drawn at; empty when it has none or it decodes to nothing.
    QSize DecodedIconSize(const TArtItem* entry) const;
    void ShowPictureCount(int32_t count);

    std::unique_ptr<Ui::TPhotoPage> ui;
};

}  // namespace harrowin
