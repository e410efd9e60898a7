#include "podcast/main_form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QToolButton>
#include <cmath>
#include <filesystem>
#include <functional>
#include <optional>

#include "foundation/date_time.h"
#include "foundation/errors.h"
#include "foundation/gui/failure_message.h"
#include "foundation/gui/message_box.h"
#include "foundation/gui/window_place.h"
#include "foundation/paths.h"
#include "foundation/program_folder.h"
#include "foundation/windows/edit_url_form.h"
#include "foundation/windows/progress_form.h"
#include "harrowincast_work/episode_removal.h"
#include "harrowincast_work/handover.h"
#include "harrowincast_work/site_list.h"
#include "harrowincast_work/update_failures.h"
#include "harrowincast_work/update_road.h"
#include "podcast/dialogs/config_form.h"
#include "podcast/dialogs/viewer_form.h"
#include "ui_main_form.h"
#include "ui_viewer_form.h"

namespace harrowincast {

namespace {

const char* const kDefaultFeedName = "NHKラジオニュース";
const char* const kDefaultFeedURL = "https://www.nhk.or.jp/s-media/news/podcast/list/v1/all.xml";

QString Q(const std::string& s) { return QString::fromStdString(s); }

// Draws each line of the feed list as the main window's card.
class TFeedCardDelegate : public QStyledItemDelegate {
public:
    explicit TFeedCardDelegate(const TMainForm* form)
        : QStyledItemDelegate(const_cast<TMainForm*>(form)), FForm(form) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        painter->save();
        FForm->URLListBoxDrawItem(*painter, index.row(), option.rect, option.state & QStyle::State_Selected,
                                  option.state & QStyle::State_HasFocus);
        painter->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override { return QSize(100, 100); }

private:
    const TMainForm* FForm;
};

QColor FromBGR(uint32_t v) { return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF); }

// A double click anywhere on the feed list, on a card or below the last one, runs the command.
class TDoubleClickFilter : public QObject {
public:
    TDoubleClickFilter(QObject* parent, std::function<void()> command)
        : QObject(parent), FCommand(std::move(command)) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonDblClick) {
            FCommand();
            return true;
        }
        return false;
    }

private:
    std::function<void()> FCommand;
};

// The progress of a long work as the window shows it. The work reports every item; the bar and
// the label take the newest values at most every kShowEvery, and the pending window messages
// (Cancel among them) run at most as often, so that the work is not spent painting. What was
// set last is shown before a message box, whenever the messages run, and when the work's hooks
// go.
class TPacedProgress {
public:
    static constexpr std::chrono::milliseconds kShowEvery{50};

    TPacedProgress(QProgressBar* bar, QLabel* label) : FBar(bar), FLabel(label) {}
    ~TPacedProgress() { Show(); }
    TPacedProgress(const TPacedProgress&) = delete;
    TPacedProgress& operator=(const TPacedProgress&) = delete;

    void SetMax(int32_t max) {
        if (FBar) FBar->setMaximum(max);
    }
    void SetPosition(int32_t position) {
        FPosition = position;
        PaintWhenDue();
    }
    void SetLabel(const std::string& text) {
        FText = text;
        PaintWhenDue();
    }
    // Sets the widgets to the values pending.
    void Show() {
        if (FBar && FPosition) FBar->setValue(*FPosition);
        if (FLabel && FText) FLabel->setText(Q(*FText));
        FPosition.reset();
        FText.reset();
    }
    void Pump() {
        if (!FPumpPace.Due()) return;
        Show();
        QCoreApplication::processEvents();
    }

private:
    // The work may run a while before it next lets the messages run: the widgets are painted
    // at once, as a work that reports only now and then expects.
    void PaintWhenDue() {
        if (!FShowPace.Due()) return;
        Show();
        if (FLabel) FLabel->repaint();
        if (FBar) FBar->repaint();
    }

    QPointer<QProgressBar> FBar;
    QPointer<QLabel> FLabel;
    std::optional<int32_t> FPosition;
    std::optional<std::string> FText;
    TProgressPace FShowPace{kShowEvery};
    TProgressPace FPumpPace{kShowEvery};
};

}  // namespace

std::string FormatSizeKB(int32_t bytes) {
    const long long kb = std::llround(static_cast<double>(bytes) / 1024.0);
    std::string digits = std::to_string(kb < 0 ? -kb : kb);
    std::string grouped;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
        grouped += digits[i];
    }
    return (kb < 0 ? "-" : "") + grouped + " KB";
}

void GetWindowBounds(const QWidget* window, QPoint& Position, QSize& Size) {
    const QRect r = (window->isMaximized() || window->isMinimized()) ? window->normalGeometry() : window->geometry();
    Position = r.topLeft();
    Size = r.size();
}

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent), ui(std::make_unique<Ui::TMainForm>()) {
    ui->setupUi(this);
    FStatusPanel = new QLabel(this);
    FStatusPanel->setMinimumWidth(250);
    ui->StatusBar->addWidget(FStatusPanel);
    ui->URLListBox->setItemDelegate(new TFeedCardDelegate(this));

    FPopupMenu = new QMenu(this);
    for (QAction* a :
         {ui->PM_EditURL, ui->PM_AddSite, ui->PM_DeleteURL, ui->PM_Download, ui->PM_SiteInfo, ui->PM_Config}) {
        FPopupMenu->addAction(a);
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a);
    }
    connect(ui->CloseButton, &QToolButton::clicked, this, [this] { CloseButtonClick(); });
    connect(ui->AddButton, &QToolButton::clicked, this, [this] { AddButtonClick(1); });
    connect(ui->DownloadButton, &QToolButton::clicked, this, [this] { DownloadButtonClick(); });
    connect(ui->ConfigButton, &QToolButton::clicked, this, [this] { ConfigButtonClick(); });
    connect(ui->PM_EditURL, &QAction::triggered, this, [this] { AddButtonClick(0); });
    connect(ui->PM_AddSite, &QAction::triggered, this, [this] { AddButtonClick(1); });
    connect(ui->PM_DeleteURL, &QAction::triggered, this, [this] { PM_DeleteURLClick(); });
    connect(ui->PM_Download, &QAction::triggered, this, [this] { DownloadButtonClick(); });
    connect(ui->PM_SiteInfo, &QAction::triggered, this, [this] { PM_SiteInfoClick(); });
    connect(ui->PM_Config, &QAction::triggered, this, [this] { ConfigButtonClick(); });
    ui->URLListBox->viewport()->installEventFilter(
        new TDoubleClickFilter(ui->URLListBox, [this] { AddButtonClick(0); }));
    // The menu shows the first: the key is named Enter; the main keyboard's key works too.
    ui->PM_EditURL->setShortcuts({QKeySequence(Qt::Key_Enter), QKeySequence(Qt::Key_Return)});
    connect(ui->URLListBox, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { FPopupMenu->popup(ui->URLListBox->viewport()->mapToGlobal(p)); });

    // FormCreate
    FFolder = WithTrailingSlash(ProgramFolder(TProgramKind::HarrowinCast));
    QSize screen(1024, 768);
    if (QScreen* s = QGuiApplication::primaryScreen()) screen = s->availableGeometry().size();
    FIni = std::make_unique<TTolvIPodINI>(FFolder + "Lumenquist.INI", screen.width(), screen.height());
    RestoreWindowPlace(*this, FIni->X, FIni->Y, FIni->W, FIni->H);
    FillNameList();
    if (FIni->State == 1) {
        setWindowState(Qt::WindowMaximized);
    } else if (FIni->State == 2) {
        setWindowState(Qt::WindowMinimized);
    }
    setWindowTitle("HarrowinCast 1.02");
    // Said at the start, so that nobody works through a run whose settings cannot be kept.
    if (!FIni->ReadFailure().empty()) ShowMessage(this, FIni->ReadFailure());
    FPodCastList = std::make_unique<TPodCastList>();
    try {
        FPodCastList->LoadFromFile(FFolder + "Lumenquist.LST");
    } catch (const std::exception& e) {
        ShowFailure(this, e);
    }
    if (ui->URLListBox->count() == 0) {
        TPodSiteItem* site = FIni->Sites.Add();
        site->NAME = kDefaultFeedName;
        site->URL = kDefaultFeedURL;
        site->DATE = "Not Updated";
        site->AUTHOR = "制作者不明";
        ui->URLListBox->addItem(Q(site->NAME));
    }
}

TMainForm::~TMainForm() {
    if (!FDestroyed) {
        try {
            FormDestroy();
        } catch (...) {
        }
    }
}

QListWidget* TMainForm::URLListBox() const { return ui->URLListBox; }
QString TMainForm::StatusText() const { return FStatusPanel->text(); }
void TMainForm::SetStatus(const std::string& text) { FStatusPanel->setText(Q(text)); }

void TMainForm::FillNameList() {
    ui->URLListBox->clear();
    for (const auto& name : FIni->NameList()) ui->URLListBox->addItem(Q(name));
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (FShown) return;
    FShown = true;
    if (FIni->AutoUpdate) QTimer::singleShot(0, this, [this] { DownloadButtonClick(); });
}

void TMainForm::FormDestroy() {
    FDestroyed = true;
    QPoint pos;
    QSize size;
    GetWindowBounds(this, pos, size);
    FIni->X = pos.x();
    FIni->Y = pos.y();
    FIni->W = size.width();
    FIni->H = size.height();
    FIni->State = isMaximized() ? 1 : isMinimized() ? 2 : 0;
    // An episode list that cannot be written does not cost the settings.
    try {
        WriteEpisodes();
    } catch (...) {
        WriteSettings();
        throw;
    }
    WriteSettings();
}

void TMainForm::WriteSettings() {
    if (FIni->ReadFailure().empty()) FIni->Save();
}

void TMainForm::WriteEpisodes() {
    if (!FPodCastList->KeepsUnreadFile()) FPodCastList->SaveToFile(FFolder + "Lumenquist.LST");
}

// The settings and the episode list are written whenever they change, so that a killed
// program loses nothing of its run; a failure is shown once and the work goes on.
void TMainForm::SaveSettings() {
    try {
        WriteSettings();
    } catch (const std::exception& e) {
        ShowFailure(this, e);
    }
}

void TMainForm::SaveEpisodes() {
    try {
        WriteEpisodes();
    } catch (const std::exception& e) {
        ShowFailure(this, e);
    }
}

void TMainForm::closeEvent(QCloseEvent* event) {
    try {
        FormDestroy();
    } catch (const std::exception& e) {
        ShowFailure(this, e);
    }
    QMainWindow::closeEvent(event);
}

void TMainForm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    ui->URLListBox->viewport()->update();
}

void TMainForm::CloseButtonClick() { close(); }

int TMainForm::SelectedRow() const {
    QListWidgetItem* item = ui->URLListBox->currentItem();
    return item && item->isSelected() ? ui->URLListBox->row(item) : -1;
}

bool TMainForm::EditFeed(std::string& Address, std::string& Name, bool InfoEnabled, const TPodSiteItem* Editing) {
    TEditURLForm form(TEditURLLook::Feed, this);
    form.SetSiteInfo([this] { PM_SiteInfoClick(); }, InfoEnabled);
    // A name that would be another feed's (SameFeed) is refused: the two would share episodes,
    // play list and deletion.
    form.NameTaken = [this, Editing](const std::string& name) { return FIni->Sites.NameTakenByOther(name, Editing); };
    return form.Edit(Address, Name);
}

void TMainForm::AddButtonClick(int tag) {
    // A line names its feed by its place: the lines and the records are one to one.
    const int row = SelectedRow();
    const std::string now = FormatDateTime("yyyy/MM/dd hh:mm", Now());
    if (row < 0 || tag == 1) {
        std::string name, address = "http://";
        // The dialog refuses a name already subscribed, so a new name is a new feed.
        if (!EditFeed(address, name, false)) return;
        TPodSiteItem* site = FIni->Sites.Add();
        site->NAME = name;
        site->PLAYLIST = "PCast " + name;
        site->URL = address;
        site->DATE = now;
        ui->URLListBox->addItem(Q(name));
    } else {
        TPodSiteItem* site = FIni->Sites.GetItem(row);
        if (!site) return;
        std::string name = site->NAME, address = site->URL;
        if (!EditFeed(address, name, true, site)) return;
        site->NAME = name;
        site->PLAYLIST = "PCast " + name;
        site->URL = address;
        site->DATE = now;
        ui->URLListBox->item(row)->setText(Q(name));
    }
    SaveSettings();
    ui->URLListBox->viewport()->update();
}

void TMainForm::ConfigButtonClick() {
    TConfigForm form(this);
    form.LoadFrom(*FIni);
    if (form.exec() == QDialog::Accepted) {
        form.SaveTo(*FIni);
        SaveSettings();
    }
}

TPodcastWork TMainForm::MakeWork(QProgressBar* bar, QLabel* label) {
    // Shared by every copy of the hooks; the last copy to go shows what was set last.
    auto progress = std::make_shared<TPacedProgress>(bar, label);
    TPodcastWork work;
    work.SetMax = [progress](int32_t m) { progress->SetMax(m); };
    work.SetPosition = [progress](int32_t p) { progress->SetPosition(p); };
    work.SetLabel = [progress](const std::string& t) { progress->SetLabel(t); };
    work.SetStatus = [this](const std::string& t) { SetStatus(t); };
    work.Pump = [progress] { progress->Pump(); };
    work.ShowMessage = [this, progress](const std::string& t) {
        progress->Show();
        ::ShowMessage(this, t);
    };
    work.ShowError = [this, progress](const std::string& t) {
        progress->Show();
        MessageBox(this, TMessageRequest{t, {}, TMsgIcon::Error, TMsgButtons::Ok});
    };
    work.ConfirmWarning = [this, progress](const std::string& t) {
        progress->Show();
        return ::ConfirmWarning(this, t);
    };
    work.RedrawList = [this] { ui->URLListBox->viewport()->update(); };
    return work;
}

void TMainForm::PM_DeleteURLClick() {
    const int row = SelectedRow();
    const TPodSiteItem* site = FIni->Sites.GetItem(row);
    if (!site) return;
    const std::string name = site->NAME;
    if (MessageBox(this, TMessageRequest{FormatText("\"%s\"を削除してもよろしいですか？", name.c_str()),
                                         {},
                                         TMsgIcon::Warning,
                                         TMsgButtons::YesNo}) == TMsgResult::No)
        return;
    try {
        // The record goes first, so that the hand-over below no longer makes the feed's play
        // list but removes it.
        delete ui->URLListBox->takeItem(row);
        FIni->Sites.DeleteAt(row);
        SaveSettings();
        // Unless the library let the feed's tracks go, its files stay for the next update.
        std::string unfinished;
        if (FIni->SaveType == 0) {
            RunWithProgress(
                "ファイルの削除", 0, FPodCastList->Count(),
                [this, name, &unfinished](QProgressBar* bar, QLabel* label, bool& cancel) -> int32_t {
                    try {
                        if (TPodcastHandover(*FIni, *FPodCastList, MakeWork(bar, label))
                                .RegisterInITunes(cancel, TEpisodeRemoval::OfDeletedFeed(name)) ==
                            THandoverEnd::Cancelled)
                            unfinished = "削除処理はキャンセルされました";
                    } catch (const std::exception& e) {
                        unfinished = "削除処理に失敗しました";
                        ShowFailure(this, e);
                    }
                    return bar->value();
                },
                this);
        }
        if (unfinished.empty()) DeleteFeedFiles(name);
        SaveEpisodes();
        SetStatus(unfinished.empty() ? "削除処理は完了しました" : unfinished);
    } catch (const std::exception& e) {
        ShowFailure(this, e);
    }
}

void TMainForm::DeleteFeedFiles(const std::string& name) {
    // Only the files that the feed's own records name inside its folder; a file another
    // record names too (a folder two feeds shared before names were told apart), and anything
    // the program did not download there, stays, as does a folder that is not empty then.
    const std::string folder = FeedEpisodeFolder(FFolder, name) + "/";
    DeleteFilesOfLeavingEpisodes(FFolder, *FPodCastList,
                                 [&name](const TPodCastItem& episode) { return episode.TITLE == name; });
    bool shared = false;
    for (const TPodSiteItem* other : FIni->Sites.Items()) shared = shared || SameFeed(other->NAME, name);
    if (shared) return;
    std::error_code ec;
    if (PathKindOf(folder) == TPathKind::Folder)
        std::filesystem::remove(std::filesystem::path(TrimmedWithoutTrailingSlash(folder)), ec);
    if (PathKindOf(FeedCacheFile(FFolder, name)) == TPathKind::File) DeleteFileForced(FeedCacheFile(FFolder, name));
}

void TMainForm::PM_SiteInfoClick() {
    const TPodSiteItem* site = FIni->Sites.GetItem(SelectedRow());
    if (!site) return;
    TViewerForm form(this);
    form.ui->ListView->clear();
    const std::pair<const char*, std::string> rows[] = {
        {"タイトル", site->NAME},
        {"製作者", site->AUTHOR},
        {"リンク", site->LINK},
        {"更新日付", site->DATE},
        {"説明", site->DESCRIPTION},
        {"アイテム数", std::to_string(site->COLUMNS)},
        {"データサイズ", FormatSizeKB(site->SIZE)},
    };
    for (const auto& [caption, value] : rows)
        form.ui->ListView->addTopLevelItem(new QTreeWidgetItem(QStringList{QString::fromUtf8(caption), Q(value)}));
    form.exec();
}

void TMainForm::DownloadButtonClick() {
    SetStatus("RSSデータのダウンロードを行っています");
    std::vector<TPodSiteItem*> feeds;
    for (int i = 0; i < ui->URLListBox->count(); ++i) {
        if (TPodSiteItem* site = FIni->Sites.GetItem(i)) feeds.push_back(site);
    }
    TEpisodeRemoval removal;
    // Every step adds what it could not do; the user is told once, when the update ends.
    TUpdateFailures failures;
    RunWithProgress(
        "ファイルのダウンロード", 0, static_cast<int32_t>(feeds.size()),
        [this, &feeds, &removal, &failures](QProgressBar* bar, QLabel* label, bool& cancel) -> int32_t {
            TPodcastUpdater updater(*FIni, *FPodCastList, FFolder, MakeWork(bar, label));
            bool stopped = false;
            try {
                updater.UpdateFeeds(feeds, cancel);
            } catch (const std::exception& e) {
                ShowFailure(this, e);
                stopped = true;
            }
            NewCount = updater.NewCount;
            removal = updater.Removal;
            failures = updater.Failures;
            if (stopped) failures.AddShown(1);
            return bar->value();
        },
        this);
    // What the download step learnt is kept before the hand-over starts.
    SaveSettings();
    SaveEpisodes();
    if (NewCount == 0 && FIni->NewAndUpdate) SetStatus("新着データはありませんでした");
    SetStatus("iTunesにファイルを登録中です。しばらくお待ちください。");
    int failedCopies = 0;
    std::string unfinished;  // why the hand-over did not complete
    if (FIni->SaveType == 0 || FIni->SaveType == 1) {
        const bool toLibrary = FIni->SaveType == 0;
        RunWithProgress(
            "ファイルの登録", 0, FPodCastList->Count(),
            [this, toLibrary, &removal, &failedCopies, &failures, &unfinished](QProgressBar* bar, QLabel* label,
                                                                               bool& cancel) -> int32_t {
                try {
                    TPodcastHandover hand(*FIni, *FPodCastList, MakeWork(bar, label));
                    if (toLibrary) {
                        if (hand.RegisterInITunes(cancel, removal) == THandoverEnd::Cancelled)
                            unfinished = "ファイルの登録はキャンセルされました";
                    } else {
                        failedCopies = hand.CopyToSaveFolder();
                    }
                } catch (const std::exception& e) {
                    // A hand-over that stopped (a library that cannot be written, for instance)
                    // changed nothing; it is shown here and counted.
                    unfinished = "ファイルの登録に失敗しました";
                    ShowFailure(this, e);
                    failures.AddShown(1);
                }
                return bar->value();
            },
            this);
        SaveEpisodes();
    }
    // The hand-over lists the copies that failed in a message of its own. A hand-over that was
    // cancelled or failed says so in the status; what failed before it is still told.
    failures.AddShown(failedCopies);
    SetStatus(unfinished.empty() ? failures.StatusText() : unfinished);
    if (const std::string summary = failures.Summary(); !summary.empty())
        MessageBox(this, TMessageRequest{summary, {}, TMsgIcon::Warning, TMsgButtons::Ok});
}

void TMainForm::URLListBoxDrawItem(QPainter& painter, int index, const QRect& rect, bool selected, bool focused) const {
    const int x = rect.left() + 10;
    const int y = rect.top();
    const int w = rect.right() - x;
    const QColor back = FromBGR(selected ? 0xFFCCCC : 0xFFFFFF);
    painter.setPen(back);
    painter.setBrush(back);
    painter.drawRect(rect);
    const TPodSiteItem* site = FIni->Sites.GetItem(index);
    if (!site) return;

    QFont font = painter.font();
    font.setPointSize(15);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::black);
    QFontMetrics fm(font);
    const int h = fm.height();
    painter.drawText(QPoint(x, y + fm.ascent()), Q(site->NAME));

    const QColor bar = FromBGR(selected ? 0xCC8855 : 0xFFCCCC);
    painter.setPen(bar);
    painter.setBrush(bar);
    const int barLeft = x + fm.horizontalAdvance(Q(site->NAME));
    if (w > barLeft) painter.drawRect(QRect(QPoint(barLeft, y + 10), QPoint(w, y + 15)));

    painter.setBrush(Qt::NoBrush);
    painter.setPen(Qt::black);
    font.setPointSize(10);
    font.setBold(false);
    painter.setFont(font);
    QFontMetrics fm2(font);
    const int h2 = fm2.height();
    painter.drawText(QPoint(x + 10, y + h + fm2.ascent()), Q(site->DATE + " / " + site->AUTHOR));
    painter.drawText(QPoint(x + 10, y + h + h2 + fm2.ascent()), Q(site->URL));
    font.setPointSize(12);
    painter.setFont(font);
    painter.drawText(QPoint(x + 10, y + h + 2 * h2 + 5 + QFontMetrics(font).ascent()), Q(site->DESCRIPTION));
    if (focused) {
        QPen pen(Qt::DotLine);
        painter.setPen(pen);
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
    }
}

}  // namespace harrowincast
