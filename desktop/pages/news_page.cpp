#include "desktop/pages/news_page.h"

#include <QAction>
#include <QCoreApplication>
#include <QDateTime>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>

#include "desktop/page_helpers.h"
#include "desktop/page_host.h"
#include "desktop/report_list_sort.h"
#include "desktop/site_list_view.h"
#include "foundation/errors.h"
#include "foundation/gui/failure_message.h"
#include "foundation/gui/message_box.h"
#include "foundation/paths.h"
#include "foundation/windows/edit_url_form.h"
#include "foundation/windows/progress_form.h"
#include "harrowin_work/news_download.h"
#include "harrowin_work/player_access.h"
#include "harrowin_work/settings.h"
#include "organiser/memo_divider.h"
#include "ui_news_page.h"

namespace harrowin {

namespace {

constexpr const char* kNotUpdated = "Not Updated";

// Runs the site dialog on the pair; on OK the pair takes the dialog's texts. True on OK.
bool EditSite(QWidget* owner, std::string& URL, std::string& Name) {
    TEditURLForm form(TEditURLLook::NewsSite, owner);
    return form.Edit(URL, Name);
}

}  // namespace

TNewsPage::TNewsPage(TPageHost& host, QWidget* parent)
    : TListPage(host, TListKind::Sites, parent), ui(std::make_unique<Ui::TNewsPage>()) {
    ui->setupUi(this);
    URLListView = ui->URLListView;
    SButton_Download = ui->SButton_Download;
    SButton_EditURL = ui->SButton_EditURL;
    SButton_AddNewSite = ui->SButton_AddNewSite;
    URLListView->header()->setSectionsClickable(false);
    URLListView->setColumnWidth(0, 150);
    URLListView->setColumnWidth(1, 280);
    ApplyReportListLook(*URLListView);
    NowText = [] { return QDateTime::currentDateTime().toString("yyyy/MM/dd hh:mm"); };

    connect(SButton_Download, &QPushButton::clicked, this, [this] { SButton_DownloadClick(); });
    connect(SButton_EditURL, &QPushButton::clicked, this, [this] { SButton_AddNewSiteClick(0); });
    connect(SButton_AddNewSite, &QPushButton::clicked, this, [this] { SButton_AddNewSiteClick(1); });
    URLListView->viewport()->installEventFilter(this);
    SetupMenu();
}

TNewsPage::~TNewsPage() = default;

void TNewsPage::SetupMenu() {
    PopupMenu_URLList = new QMenu(this);
    PopupMenu_URLList->setObjectName("PopupMenu_URLList");
    PM_Download =
        MenuAction(this, PopupMenu_URLList, "PM_Download", "ダウンロード更新(&D)...", 0, {QKeySequence(Qt::Key_F9)});
    PopupMenu_URLList->addSeparator();
    PM_SiteEdit = MenuAction(this, PopupMenu_URLList, "PM_SiteEdit", "サイトの編集(&E)", 0,
                             {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    PM_SiteAdd = MenuAction(this, PopupMenu_URLList, "PM_SiteAdd", "サイトの新規追加(&N)", 1);
    PM_SiteDelete =
        MenuAction(this, PopupMenu_URLList, "PM_SiteDelete", "サイトを削除(&D)", 0, {QKeySequence(Qt::Key_Delete)});
    PopupMenu_URLList->addSeparator();
    PM_SiteAllDelete = MenuAction(this, PopupMenu_URLList, "PM_SiteAllDelete", "デフォルトでサイトを全てクリア(&A)", 0);
    URLListView->addActions({PM_Download, PM_SiteEdit, PM_SiteDelete});
    connect(PM_Download, &QAction::triggered, this, [this] { SButton_DownloadClick(); });
    connect(PM_SiteEdit, &QAction::triggered, this, [this] { SButton_AddNewSiteClick(0); });
    connect(PM_SiteAdd, &QAction::triggered, this, [this] { SButton_AddNewSiteClick(1); });
    connect(PM_SiteDelete, &QAction::triggered, this, [this] { PM_SiteDeleteClick(); });
    connect(PM_SiteAllDelete, &QAction::triggered, this, [this] { PM_SiteAllDeleteClick(); });
    connect(URLListView, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { PopupMenu_URLList->popup(URLListView->viewport()->mapToGlobal(p)); });
}

void TNewsPage::LoadSiteList() { FillSiteList(FHost.Settings(), URLListView); }

void TNewsPage::AddSite(int mode, const std::string& path) { EditOrAddSite(mode, path); }

void TNewsPage::SButton_AddNewSiteClick(int tag) { EditOrAddSite(tag, std::string()); }

void TNewsPage::EditOrAddSite(int32_t Mode, const std::string& Path) {
    QTreeWidgetItem* selected = URLListView->currentItem();
    if (selected && !selected->isSelected()) selected = nullptr;
    std::string url;
    std::string name;
    if (Mode == 3) {
        url = Path;
        name = "不明なニュース";
    } else if (!selected || Mode == 1) {
        url = "http://";
    } else {
        name = selected->text(0).toStdString();
        url = selected->text(1).toStdString();
        if (EditSite(FHost.DialogParent(), url, name)) {
            selected->setText(0, QString::fromStdString(name));
            selected->setText(1, QString::fromStdString(url));
        }
        return;
    }
    if (EditSite(FHost.DialogParent(), url, name)) AddSiteRow(URLListView, {name, url, kNotUpdated, false});
}

void TNewsPage::PM_SiteDeleteClick() {
    QTreeWidgetItem* selected = URLListView->currentItem();
    if (!selected || !selected->isSelected()) {
        ShowMessage(FHost.DialogParent(), "アイテムが選択されていません");
        return;
    }
    if (!ConfirmWarning(FHost.DialogParent(),
                        "[ " + selected->text(0).toStdString() + " ]を削除してもよろしいですか？"))
        return;
    delete selected;
}

void TNewsPage::PM_SiteAllDeleteClick() {
    if (!ConfirmWarning(FHost.DialogParent(), "サイト情報をクリアして初期状態にします。よろしいですか？")) return;
    URLListView->clear();
    for (TSiteRow row : DefaultSiteRows(FHost.Settings())) {
        row.LastUpdate = kNotUpdated;
        row.Checked = false;
        AddSiteRow(URLListView, row);
    }
}

void TNewsPage::SButton_DownloadClick() {
    // The download lets window events run while it waits: a removal then waits for its end
    // rather than emptying the site list under it.
    const TPlayerWork work(FHost);
    if (!IsOnline()) ShowMessage(FHost.DialogParent(), "このコンピュータはオンラインではありません!");
    FError.clear();
    FFailedSites.clear();
    FCancelled = false;
    RunWithProgress(
        "ダウンロード状況", 0, URLListView->topLevelItemCount(),
        [this](QProgressBar* bar, QLabel* label, bool& cancel) { return DownloadNews(bar, label, cancel); },
        FHost.DialogParent());
    if (!FError.empty()) ShowMessage(FHost.DialogParent(), FError);
    FHost.LoadTabList(TListKind::Notes);
    // The reload says the notes were read: the line under it must not hide what failed.
    if (!FFailedSites.empty()) {
        std::string names;
        std::string lines;
        for (const auto& [name, why] : FFailedSites) {
            names += (names.empty() ? "" : "、") + name;
            lines += "\n" + name + ": " + why;
        }
        const std::string head = std::to_string(FFailedSites.size()) + " 件のサイトを更新できませんでした";
        FHost.SetStatusText(1, QString::fromStdString(head + ": " + names));
        ShowMessage(FHost.DialogParent(), head + "。" + lines);
    } else if (FCancelled) {
        FHost.SetStatusText(1, "ダウンロードを中止しました");
    }
}

int32_t TNewsPage::DownloadNews(QProgressBar* bar, QLabel* label, bool& cancel) {
    const TTolvIPodINI& s = FHost.Settings();
    const std::string notes = CheckerOf(FHost.Player()).NotesPath;
    // Without a player there is no notes folder to write into (and nothing to clean).
    if (notes.empty()) return bar->value();
    const std::string cache = NewsCacheFolder();
    // Only the pages earlier downloads wrote are replaced, each site's once that site was
    // fetched and written: a news folder that holds the user's own notes keeps them.
    TNewsPages pages(NewsPagesRecordFile(cache), notes);
    if (!pages.ReadFailure().empty()) {
        FError = pages.ReadFailure() + "\nニュースはダウンロードしていません。";
        return bar->value();
    }
    try {
        PrepareNewsDownload(cache);
    } catch (const std::exception& e) {
        FError = FailureText(e);
        return bar->value();
    }
    const std::string target = NewsTargetFolder(notes, s.TextDivide.MakeFolder, s.Internet.SaveFolder);
    const TNewsOptions options = NewsOptionsOf(s);
    const auto stop = [this, &cancel] { return cancel || FHost.PlayerGone(); };
    // A press of Cancel stops the transfer in progress, not only the sites after it.
    const auto pump = [&stop] {
        QCoreApplication::processEvents();
        return !stop();
    };
    const auto message = [this](const std::string& text) { ShowMessage(FHost.DialogParent(), text); };
    // A long page's division answers Cancel too, and so does the window's close box.
    TProgressPump dividing(bar, label, cancel, false);
    const TTolvProgressEvent progress = [&](int32_t p, int32_t m, const std::string& msg) {
        if (dividing.Step(p, m, msg) || FHost.PlayerGone()) throw EDivideCancelled();
    };
    std::vector<std::string> sites;
    for (int i = 0; i < URLListView->topLevelItemCount(); ++i) {
        sites.push_back(URLListView->topLevelItem(i)->text(0).toStdString());
    }
    // Every checked site is tried: one that fails stops no other.
    for (int i = 0; i < URLListView->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = URLListView->topLevelItem(i);
        bar->setValue(i);
        label->setText(QString("Downloading... %1").arg(item->text(0)));
        label->repaint();
        if (item->checkState(0) != Qt::Checked) continue;
        const std::string name = item->text(0).toStdString();
        std::string kept;
        try {
            switch (DownloadNewsSite(name, item->text(1).toStdString(), cache, target, options, pump, message, &pages,
                                     progress, &kept)) {
                case TNewsSiteResult::Updated: item->setText(2, NowText()); break;
                case TNewsSiteResult::NotFetched:
                    if (!stop()) FFailedSites.emplace_back(name, "取得できませんでした");
                    break;
                case TNewsSiteResult::NoteKept:
                    FFailedSites.emplace_back(name, "既にあるメモ[ " + kept + " ]を残しました");
                    break;
            }
        } catch (const EDivideCancelled&) {
        } catch (const std::exception& e) {
            FFailedSites.emplace_back(name, FailureText(e));
        }
        try {
            pages.Save();
        } catch (const std::exception& e) {
            if (FError.empty()) FError = FailureText(e);
        }
        if (stop()) break;
        QCoreApplication::processEvents();
    }
    FCancelled = cancel;
    pages.DropSitesOtherThan(sites);
    try {
        pages.Save();
    } catch (const std::exception& e) {
        if (FError.empty()) FError = FailureText(e);
    }
    return bar->value();
}

bool TNewsPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == URLListView->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        SButton_AddNewSiteClick(0);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool TNewsPage::ListEmpty() const { return URLListView->topLevelItemCount() == 0; }
void TNewsPage::ClearList() { URLListView->clear(); }
QWidget* TNewsPage::FocusList() const { return URLListView; }

}  // namespace harrowin
