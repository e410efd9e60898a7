// The news page: the news sites with their last update and check box. Created and owned by
// the main window.
#pragma once

#include <QWidget>
#include <string>

class QTreeWidget;
class TMainForm;

class TNewsPage : public QWidget {
    Q_OBJECT
public:
    TNewsPage(TMainForm& main, QWidget* parent = nullptr);

    // Kind 4 of LoadTabList: the stored sites into the list view.
    void LoadSiteList();
    // The add-site operation; mode 3 takes a dropped file's path.
    void AddSite(int mode, const std::string& path);
    // The download of every checked site (online test, progress window).
    void SButton_DownloadClick();
    bool ListEmpty() const;
    void ClearList();
    QWidget* FocusList() const;

    QTreeWidget* URLListView = nullptr;

private:
    TMainForm& FMain;
};
