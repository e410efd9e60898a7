// The photos page: albums and their pictures. Created and owned by the main window.
#pragma once

#include <QWidget>
#include <cstdint>
#include <string>

class QLabel;
class QProgressBar;
class QListWidget;
class QTreeWidget;
class TMainForm;

class TPhotoPage : public QWidget {
    Q_OBJECT
public:
    TPhotoPage(TMainForm& main, QWidget* parent = nullptr);

    void LoadAlbumList();
    bool ListEmpty() const;
    void ClearList();
    QWidget* FocusList() const;

    QListWidget* PhotoListBox = nullptr;
    QTreeWidget* PhotoAlbumListView = nullptr;

private:
    TMainForm& FMain;
};
