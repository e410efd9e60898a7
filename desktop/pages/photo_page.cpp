#include "desktop/pages/photo_page.h"

#include <QLabel>
#include <QProgressBar>
#include <QListWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "desktop/main_form.h"

TPhotoPage::TPhotoPage(TMainForm& main, QWidget* parent) : QWidget(parent), FMain(main) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    PhotoListBox = new QListWidget(this);
    PhotoListBox->setObjectName("PhotoListBox");
    layout->addWidget(PhotoListBox);
    PhotoAlbumListView = new QTreeWidget(this);
    PhotoAlbumListView->setObjectName("PhotoAlbumListView");
    layout->addWidget(PhotoAlbumListView);
}

void TPhotoPage::LoadAlbumList() {}
bool TPhotoPage::ListEmpty() const { return PhotoListBox->count() == 0; }
void TPhotoPage::ClearList() { PhotoListBox->clear(); PhotoAlbumListView->clear(); }
QWidget* TPhotoPage::FocusList() const { return PhotoListBox; }
