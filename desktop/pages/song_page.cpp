#include "desktop/pages/song_page.h"

#include <QAction>
#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeView>
#include <QTreeWidget>
#include <algorithm>
#include <unordered_map>

#include "desktop/dialogs/song_copy_form.h"
#include "desktop/dialogs/song_find_form.h"
#include "desktop/dialogs/song_info_form.h"
#include "desktop/page_helpers.h"
#include "desktop/page_host.h"
#include "desktop/report_list_sort.h"
#include "desktop/song_list_model.h"
#include "foundation/encoding.h"
#include "foundation/errors.h"
#include "foundation/gui/message_box.h"
#include "foundation/number_format.h"
#include "foundation/paths.h"
#include "foundation/windows/progress_form.h"
#include "harrowin_work/artist_tree.h"
#include "harrowin_work/language_table.h"
#include "harrowin_work/player_access.h"
#include "harrowin_work/settings.h"
#include "harrowin_work/song_copy.h"
#include "ui_song_page.h"

namespace harrowin {

namespace {

constexpr const char* kUnknownArtist = "不明なアーティスト";
constexpr int kTagSongList = 2;

// The artist of a tree name: "不明なアーティスト" stands for the empty artist.
std::string ArtistOfName(const std::string& name) { return name == kUnknownArtist ? std::string() : name; }

std::string Lower(const std::string& text) { return encoding::AsciiLower(text); }

std::string NodeText(const QTreeWidgetItem* item) { return item->text(0).toStdString(); }

void SetLabel(QLabel* label, const std::string& text) {
    label->setText(QString::fromStdString(text));
    label->repaint();
}

}  // namespace

TSongPage::TSongPage(TPageHost& host, QWidget* parent)
    : TListPage(host, TListKind::Songs, parent), ui(std::make_unique<Ui::TSongPage>()) {
    ui->setupUi(this);
    SongTreeView = ui->SongTreeView;
    SongListView = ui->SongListView;
    SButton_OutSongs = ui->SButton_OutSongs;
    SButton_SongInfo = ui->SButton_SongInfo;
    SButton_FindSongs = ui->SButton_FindSongs;

    FModel = new TSongListModel(this);
    SongListView->setModel(FModel);
    SongListView->header()->setSectionsClickable(true);
    SongListView->header()->setSortIndicatorShown(false);
    SongListView->setColumnWidth(0, 140);
    SongListView->setColumnWidth(1, 105);
    SongListView->setColumnWidth(2, 100);
    SongListView->setProperty("tag", kTagSongList);
    ApplyReportListLook(*SongListView);
    ui->SongSplitter->setStretchFactor(0, 1);
    ui->SongSplitter->setStretchFactor(1, 3);

    connect(SongListView->header(), &QHeaderView::sectionClicked, this, [this](int c) { VideoListViewColumnClick(c); });
    connect(FModel, &TSongListModel::CheckToggled, this, [this] { UpdateSongSelectionTotals(); });
    connect(SongListView, &QTreeView::doubleClicked, this, [this] { Menu_PropertyClick(); });
    connect(SongTreeView, &QTreeWidget::itemDoubleClicked, this, [this] { SongTreeViewDblClick(); });
    connect(SButton_OutSongs, &QPushButton::clicked, this, [this] { SButton_OutSongsClick(); });
    connect(SButton_SongInfo, &QPushButton::clicked, this, [this] { Menu_PropertyClick(); });
    connect(SButton_FindSongs, &QPushButton::clicked, this, [this] { SButton_FindSongsClick(); });
    SongListView->viewport()->installEventFilter(this);
    CheckWithSpaceKey(*SongListView);
    SetupMenus();
}

TSongPage::~TSongPage() = default;

void TSongPage::SetupMenus() {
    PopupMenu_SongList = new QMenu(this);
    PopupMenu_SongList->setObjectName("PopupMenu_SongList");
    PopMenu_SelectAll =
        MenuAction(this, PopupMenu_SongList, "PopMenu_SelectAll", "全てを選択(&L)", 1, {QKeySequence("Ctrl+A")});
    N1 = MenuAction(this, PopupMenu_SongList, "N1", "全ての選択を解除(&R)", 0);
    PopupMenu_SongList->addSeparator();
    Menu_OutSongs =
        MenuAction(this, PopupMenu_SongList, "Menu_OutSongs", "曲を取り出す(&X)", 0, {QKeySequence(Qt::Key_F9)});
    Menu_OutSongs->setEnabled(false);
    Menu_Property =
        MenuAction(this, PopupMenu_SongList, "Menu_Property", "曲の詳細情報(&P)", 0, {QKeySequence("Ctrl+P")});
    Menu_FindSongs =
        MenuAction(this, PopupMenu_SongList, "Menu_FindSongs", "曲の検索(&F)", 0, {QKeySequence("Ctrl+F")});
    SongListView->addActions({PopMenu_SelectAll, Menu_OutSongs, Menu_Property, Menu_FindSongs});
    connect(PopMenu_SelectAll, &QAction::triggered, this, [this] { PopMenu_SelectAllClick(1); });
    connect(N1, &QAction::triggered, this, [this] { PopMenu_SelectAllClick(0); });
    connect(Menu_OutSongs, &QAction::triggered, this, [this] { SButton_OutSongsClick(); });
    connect(Menu_Property, &QAction::triggered, this, [this] { Menu_PropertyClick(); });
    connect(Menu_FindSongs, &QAction::triggered, this, [this] { SButton_FindSongsClick(); });
    connect(SongListView, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { PopupMenu_SongList->popup(SongListView->viewport()->mapToGlobal(p)); });

    PopupMenu_AristTree = new QMenu(this);
    PopupMenu_AristTree->setObjectName("PopupMenu_AristTree");
    N12 = MenuAction(this, PopupMenu_AristTree, "N12", "選択中のアーティストの曲をチェック(&C)", 0);
    PopupMenu_AristTree->addSeparator();
    N16 = MenuAction(this, PopupMenu_AristTree, "N16", "ツリーを展開する(&E)", 0);
    N17 = MenuAction(this, PopupMenu_AristTree, "N17", "ツリーを閉じる(&L)", 1);
    connect(N12, &QAction::triggered, this, [this] { N12Click(); });
    connect(N16, &QAction::triggered, this, [this] { N16Click(0); });
    connect(N17, &QAction::triggered, this, [this] { N16Click(1); });
    connect(SongTreeView, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { PopupMenu_AristTree->popup(SongTreeView->viewport()->mapToGlobal(p)); });
}

bool TSongPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == SongListView->viewport() && event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        SongListViewMouseDown(mouse->button(), static_cast<int>(mouse->position().x()));
    }
    return QWidget::eventFilter(watched, event);
}

bool TSongPage::ListEmpty() const { return FModel->Count() == 0; }

void TSongPage::ClearList() {
    SongTreeView->clear();
    FModel->Clear();
}

QWidget* TSongPage::FocusList() const { return SongListView; }

// ---- filling ----

void TSongPage::Enter() {
    // The totals line follows a list loaded on entering.
    const bool empty = ListEmpty();
    TListPage::Enter();
    if (empty) UpdateSongSelectionTotals();
}

void TSongPage::LoadSongList() {
    // The fill lets window events run: a removal then waits until the lists are filled.
    const TPlayerWork work(FHost);
    const int32_t n = SongCountOf(FHost.Player());
    const int32_t result = RunWithProgress(
        "音楽ファイルの一覧取得", 0, n,
        [this](QProgressBar* bar, QLabel* label, bool& cancel) { return FillSongViews(bar, label, cancel); },
        FHost.DialogParent());
    FHost.SetStatusText(1, QString::fromStdString(Format(FHost.Lang().Text("MSG_LOAD_SONG"), {result + 1})));
}

int32_t TSongPage::FillSongViews(QProgressBar* bar, QLabel* label, bool& cancel) {
    const TITBSongList& songs = MusicOf(FHost.Player()).Songs;
    const int32_t n = songs.GetCount();
    std::vector<TArtistEntry> entries;
    SongTreeView->clear();
    SongTreeView->setUpdatesEnabled(false);
    FModel->BeginFill(static_cast<size_t>(n));
    // List phase: every song that is not a video. The label shows whole per cents, so it is
    // only drawn again when the figure changes.
    std::string shown;
    for (int32_t i = 0; i < n; ++i) {
        const TITBSongItem* song = songs.GetItem(i);
        if (!song || song->IsVideo) continue;
        FModel->AddSong(*song, i);
        if (song->Artist.empty()) continue;
        entries.push_back(TArtistEntry{song->Artist, song->Album});
        std::string text = Format("準備中... %d %%", {static_cast<int64_t>(i) * 100 / n});
        if (text != shown) {
            shown = std::move(text);
            SetLabel(label, shown);
            QCoreApplication::processEvents();
        }
    }
    FModel->EndFill();

    // Tree phase: one step per artist; a cancel keeps the artists handled so far.
    TArtistTree tree;
    const std::vector<std::vector<int32_t>> groups = GroupArtistEntries(entries);
    int32_t handled = 0;
    bool finished = true;
    for (const std::vector<int32_t>& group : groups) {
        const TArtistEntry& first = entries[static_cast<size_t>(group.front())];
        bar->setValue(handled);
        SetLabel(label, "Loading... " + first.Artist);
        const int32_t node = tree.FindOrAddArtistNode(first.Artist);
        for (int32_t e : group) tree.AddAlbumNode(node, entries[static_cast<size_t>(e)].Album);
        handled += static_cast<int32_t>(group.size());
        QCoreApplication::processEvents();
        if (cancel) {
            finished = &group == &groups.back();
            break;
        }
    }
    // At the end the position stands so that the loaded count (position + 1) is the number of
    // songs with an artist.
    if (finished && handled > 0) bar->setValue(handled - 1);
    FillTree(tree);
    SongTreeView->setUpdatesEnabled(true);
    SortByState(*SongListView, FHost.SortState(kTagSongList));
    return bar->value();
}

void TSongPage::FillTree(const TArtistTree& tree) {
    // Both levels sorted by text, as the list sorts (letter case significant).
    auto sorted = [](std::vector<std::pair<QCollatorSortKey, int>>& keys) {
        std::stable_sort(keys.begin(), keys.end(),
                         [](const auto& a, const auto& b) { return a.first.compare(b.first) < 0; });
    };
    const auto& nodes = tree.Nodes();
    std::vector<std::pair<QCollatorSortKey, int>> order;
    order.reserve(nodes.size());
    for (size_t i = 0; i < nodes.size(); ++i)
        order.emplace_back(ListSortKey(QString::fromStdString(nodes[i].Text)), static_cast<int>(i));
    sorted(order);
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(order.size()));
    for (const auto& [key, i] : order) {
        const TArtistNode& node = nodes[static_cast<size_t>(i)];
        auto* artist = new QTreeWidgetItem(QStringList{QString::fromStdString(node.Text)});
        std::vector<std::pair<QCollatorSortKey, int>> albums;
        for (size_t a = 0; a < node.Albums.size(); ++a) {
            albums.emplace_back(ListSortKey(QString::fromStdString(node.Albums[a])), static_cast<int>(a));
        }
        sorted(albums);
        for (const auto& [akey, a] : albums) {
            artist->addChild(
                new QTreeWidgetItem(QStringList{QString::fromStdString(node.Albums[static_cast<size_t>(a)])}));
        }
        items.append(artist);
    }
    SongTreeView->addTopLevelItems(items);
}

// ---- checks and totals ----

void TSongPage::SetAllSongChecks(bool flag) { FModel->SetAllChecked(flag); }

void TSongPage::UpdateSongSelectionTotals() {
    const int count = FModel->CheckedCount();
    const int64_t bytes = FModel->CheckedBytes();
    FHost.SetStatusText(1, QString::fromStdString(Format("%d 曲を選択しています ( 合計 %.1n MB )",
                                                         {count, static_cast<double>(bytes) / 1048576.0})));
    SButton_OutSongs->setEnabled(count >= 1);
    Menu_OutSongs->setEnabled(count >= 1);
}

void TSongPage::PopMenu_SelectAllClick(int tag) {
    if (tag == 1) SetAllSongChecks(true);
    if (tag == 0) SetAllSongChecks(false);
    UpdateSongSelectionTotals();
}

void TSongPage::SongListViewMouseDown(Qt::MouseButton button, int x) {
    if (button == Qt::LeftButton && x < 30) UpdateSongSelectionTotals();
}

void TSongPage::SongTreeViewDblClick() {
    QTreeWidgetItem* node = SongTreeView->currentItem();
    if (!node) return;
    if (!node->parent()) {
        SelectFirstSongOfArtist(Lower(NodeText(node)));
    } else {
        SelectFirstSongOfArtist(Lower(NodeText(node->parent())));
    }
}

void TSongPage::N12Click() {
    QTreeWidgetItem* node = SongTreeView->currentItem();
    if (node) {
        if (!node->parent()) {
            CheckSongsOfArtist(Lower(NodeText(node)));
        } else {
            CheckSongsOfArtistAlbum(Lower(NodeText(node->parent())), Lower(NodeText(node)));
        }
    }
    UpdateSongSelectionTotals();
}

void TSongPage::N16Click(int tag) {
    if (tag == 0) SongTreeView->expandAll();
    if (tag == 1) SongTreeView->collapseAll();
}

int TSongPage::SelectedRow() const {
    const QModelIndexList rows = SongListView->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

void TSongPage::SelectRow(int row) {
    const QModelIndex index = FModel->index(row, 0);
    SongListView->selectionModel()->setCurrentIndex(index,
                                                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    SongListView->scrollTo(index, QAbstractItemView::EnsureVisible);
}

void TSongPage::SelectFirstSongOfArtist(const std::string& name) {
    const std::string artist = ArtistOfName(name);
    for (int r = 0; r < FModel->Count(); ++r) {
        if (Lower(FModel->Row(r).Artist) == artist) {
            SelectRow(r);
            return;
        }
    }
}

void TSongPage::CheckSongsOfArtist(const std::string& name) {
    const std::string artist = ArtistOfName(name);
    for (int r = 0; r < FModel->Count(); ++r) {
        if (Lower(FModel->Row(r).Artist) == artist) FModel->SetChecked(r, true);
    }
}

void TSongPage::CheckSongsOfArtistAlbum(const std::string& artistName, const std::string& album) {
    const std::string artist = ArtistOfName(artistName);
    for (int r = 0; r < FModel->Count(); ++r) {
        const TSongRow& row = FModel->Row(r);
        if (Lower(row.Artist) == artist && Lower(row.Album) == album) FModel->SetChecked(r, true);
    }
}

void TSongPage::VideoListViewColumnClick(int column) {
    ReportColumnClick(*SongListView, FHost.SortState(SongListView->property("tag").toInt()), column);
}

// ---- copy ----

std::vector<int32_t> TSongPage::CheckedSongIndexes() const {
    std::vector<int32_t> checked;
    for (int r = 0; r < FModel->Count(); ++r) {
        if (FModel->Row(r).Checked) checked.push_back(FModel->Row(r).SongIndex);
    }
    return checked;
}

void TSongPage::SButton_OutSongsClick() { CopyCheckedRows(FHost, false, CheckedSongIndexes()); }

int32_t TSongPage::CopySongsToFolder(const std::string& folder, QProgressBar* bar, QLabel* label, bool& cancel) {
    return CopyRowsToFolder(FHost, false, folder, CheckedSongIndexes(), bar, label, cancel);
}

// ---- details ----

bool TSongPage::ShowSongInfo() {
    const int row = SelectedRow();
    if (row < 0) return false;
    return ShowSongDetails(
        FHost, false, FModel->Row(row).SongIndex, [this, row] { return FModel->Checked(row); },
        [this, row](bool checked) { FModel->SetChecked(row, checked); });
}

void TSongPage::Menu_PropertyClick() {
    try {
        if (ShowSongInfo()) UpdateSongSelectionTotals();
    } catch (const ETolvError& e) {
        ShowMessage(FHost.DialogParent(), e.Message());
    }
}

// ---- find ----

void TSongPage::SButton_FindSongsClick() {
    try {
        auto& f = FHost.Settings().SongFind;
        TSongFindForm form(FHost.DialogParent());
        form.SetValues(f.Text, f.Type, f.PageIndex);
        std::vector<std::string> artists;
        for (int i = 0; i < SongTreeView->topLevelItemCount(); ++i)
            artists.push_back(NodeText(SongTreeView->topLevelItem(i)));
        form.FillArtists(artists);
        std::vector<std::string> playLists;
        const TITBPlayLists& lists = MusicOf(FHost.Player()).PlayLists;
        for (int32_t i = 0; i < lists.GetCount(); ++i) playLists.push_back(lists.GetItem(i)->Title);
        form.FillPlayLists(playLists);
        if (form.exec() == QDialog::Accepted) {
            f.Text = form.Text();
            f.Type = form.Type();
            f.PageIndex = form.PageIndex();
            int32_t count = 0;
            if (f.PageIndex == 0) count = CheckSongsByText(f.Text, f.Type);
            if (f.PageIndex == 2) count = CheckSongsByArtists(form);
            const std::string text = count <= 0 ? std::string("該当する曲はありませんでした")
                                                : Format("%d 曲をチェック項目に追加しました", {count});
            FHost.SetStatusText(1, QString::fromStdString(text));
            MessageBox(FHost.DialogParent(), TMessageRequest{text, "", TMsgIcon::Information, TMsgButtons::Ok});
        }
    } catch (const ETolvError& e) {
        ShowMessage(FHost.DialogParent(), e.Message());
    }
    UpdateSongSelectionTotals();
}

int32_t TSongPage::CheckSongsByText(const std::string& text, int32_t type) {
    const std::vector<std::string> words = SplitFindWords(text);
    const int n = FModel->Count();
    int32_t count = 0;
    int64_t shownPercent = -1;
    for (int i = 0; i < n; ++i) {
        const TSongRow& row = FModel->Row(i);
        if (RowMatchesWords(row.Title, row.Artist, row.Album, type, words)) {
            FModel->SetChecked(i, true);
            ++count;
        }
        // The status line shows whole per cents: report when the figure changes.
        const int64_t percent = static_cast<int64_t>(i + 1) * 100 / n;
        if (percent != shownPercent || i + 1 == n) {
            shownPercent = percent;
            FHost.ShowProgressInStatus(i + 1, n, "曲のチェック処理中");
        }
    }
    return count;
}

int32_t TSongPage::CheckSongsByArtists(const TSongFindForm& form) {
    std::unordered_map<std::string, std::vector<int>> rowsOfArtist;
    for (int r = 0; r < FModel->Count(); ++r) rowsOfArtist[Lower(FModel->Row(r).Artist)].push_back(r);
    const int n = form.ArtistCount();
    int32_t count = 0;
    for (int i = 0; i < n; ++i) {
        FHost.ShowProgressInStatus(i + 1, n, "曲のチェック処理中");
        if (form.ArtistChecked(i)) {
            auto it = rowsOfArtist.find(Lower(form.ArtistText(i)));
            if (it != rowsOfArtist.end()) {
                for (int r : it->second) {
                    FModel->SetChecked(r, true);
                    ++count;
                }
            }
        }
        QCoreApplication::processEvents();
    }
    return count;
}

}  // namespace harrowin
