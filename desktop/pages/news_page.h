// The news page: the news sites with their last update and check box, the site dialog, and the
// download of every checked site into note pages on the player. Created and owned by the main
// window; the list view is the working copy of the stored sites.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "desktop/pages/list_page.h"

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace harrowin {

namespace Ui {
class TNewsPage;
}

class TNewsPage : public TListPage {
    Q_OBJECT
public:
    TNewsPage(TPageHost& host, QWidget* parent = nullptr);
    ~TNewsPage() override;

    // The stored sites into the list view.
    void LoadSiteList();
    void LoadList() override { LoadSiteList(); }
    // The add-site operation of a drop (mode 3, the dropped file's path) or of the commands.
    void AddSite(int mode, const std::string& path);
    void EditOrAddSite(int32_t Mode, const std::string& Path);
    void SButton_AddNewSiteClick(int tag);
    void PM_SiteDeleteClick();
    void PM_SiteAllDeleteClick();
    // The download of every checked site (online test, progress window).
    void SButton_DownloadClick();
    // The progress window's work; returns the bar's position.
    int32_t DownloadNews(QProgressBar* bar, QLabel* label, bool& cancel);
    bool ListEmpty() const override;
    void ClearList();
    QWidget* FocusList() const override;

    // Test seam: the time written into the last-update column (default: now).
    std::function<QString()> NowText;

    QTreeWidget* URLListView = nullptr;
    QPushButton* SButton_Download = nullptr;
    QPushButton* SButton_EditURL = nullptr;
    QPushButton* SButton_AddNewSite = nullptr;
    QMenu* PopupMenu_URLList = nullptr;
    QAction* PM_Download = nullptr;
    QAction* PM_SiteEdit = nullptr;
    QAction* PM_SiteAdd = nullptr;
    QAction* PM_SiteDelete = nullptr;
    QAction* PM_SiteAllDelete = nullptr;

protected:
    // A double click anywhere on the list, on a row or not.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetupMenu();

    std::unique_ptr<Ui::TNewsPage> ui;
    std::string FError;
    // The checked sites the last download did not update, each with why (shown at its end).
    std::vector<std::pair<std::string, std::string>> FFailedSites;
    bool FCancelled = false;
};

}  // namespace harrowin
