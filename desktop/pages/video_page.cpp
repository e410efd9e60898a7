#include "desktop/pages/video_page.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QStyledItemDelegate>

#include "desktop/dialogs/song_info_form.h"
#include "desktop/page_helpers.h"
#include "desktop/page_host.h"
#include "desktop/song_list_model.h"
#include "foundation/date_time.h"
#include "foundation/encoding.h"
#include "foundation/errors.h"
#include "foundation/gui/draw_fitted.h"
#include "foundation/gui/message_box.h"
#include "foundation/number_format.h"
#include "foundation/paths.h"
#include "foundation/windows/progress_form.h"
#include "harrowin_work/player_access.h"
#include "harrowin_work/settings.h"
#include "harrowin_work/song_copy.h"
#include "ui_video_page.h"

namespace harrowin {

namespace {

int32_t IndexOfText(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? value : -1;
}

// VideoListBoxDrawItem: the thumbnail and five lines of one video, after the check box.
class TVideoRowDelegate : public QStyledItemDelegate {
public:
    TVideoRowDelegate(TPageHost& host, QObject* parent) : QStyledItemDelegate(parent), FHost(host) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        // Rows span the list's width, as the rows of a check list box do.
        const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
        const int width = view ? view->viewport()->width() : QStyledItemDelegate::sizeHint(option, index).width();
        return QSize(width, 64);
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        VideoListBoxDrawItem(painter, option, index);
    }

private:
    void VideoListBoxDrawItem(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QWidget* widget = opt.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        const QColor rowColour = (opt.state & QStyle::State_Selected) ? QColor(207, 213, 254) : QColor(255, 255, 255);
        painter->save();
        painter->fillRect(opt.rect, rowColour);
        // The check box where the item view looks for clicks on it.
        const QRect check = style->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &opt, widget);
        QStyleOptionViewItem checkOpt = opt;
        checkOpt.rect = check;
        checkOpt.state &= ~QStyle::State_HasFocus;
        checkOpt.state |= opt.checkState == Qt::Checked ? QStyle::State_On : QStyle::State_Off;
        style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &checkOpt, painter, widget);

        const int left = check.right() + 4;
        const int top = opt.rect.top();
        const int32_t songIndex = IndexOfText(index.data(Qt::DisplayRole).toString());
        const TITBSongItem* song = songIndex >= 0 ? MusicOf(FHost.Player()).Songs.GetItem(songIndex) : nullptr;
        if (song) {
            if (const TArtworkDBLoader* art = FHost.Player().Artwork.get()) {
                if (const TArtItem* item = art->FindBySongID(static_cast<uint64_t>(song->DatabaseId))) {
                    if (TArtImageObject* image = item->GetImageByWidth(-1)) {
                        try {
                            art->Pictures.Use(*image);
                        } catch (const ETolvError&) {
                            // a damaged thumbnail is drawn blank
                        }
                        const QImage picture = BitmapToImage(image->Bitmap);
                        if (!picture.isNull())
                            DrawBitmapFitted(*painter, left + 5, top + 1, 90, 60, rowColour, picture);
                    }
                }
            }
            struct Line {
                std::string text;
                QColor colour;
                int points;
                bool bold;
            };
            const Line lines[5] = {{song->Title, Qt::black, 12, true},
                                   {song->Artist, Qt::black, 9, false},
                                   {song->Album, Qt::black, 8, false},
                                   {song->Genre, Qt::black, 8, false},
                                   {FormatDuration(song->Length), QColor(128, 128, 128), 8, false}};
            int y = top + 4;
            for (const Line& line : lines) {
                if (encoding::TrimView(line.text).empty()) continue;
                QFont font = opt.font;
                font.setPointSize(line.points);
                font.setBold(line.bold);
                painter->setFont(font);
                painter->setPen(line.colour);
                const QFontMetrics metrics(font);
                painter->drawText(QPoint(left + 100, y + metrics.ascent()), QString::fromStdString(line.text));
                y += metrics.boundingRect(QStringLiteral("あ")).height() + 1;
            }
        }
        if (opt.state & QStyle::State_HasFocus) {
            QStyleOptionFocusRect focus;
            focus.rect = opt.rect;
            focus.state = opt.state;
            focus.backgroundColor = rowColour;
            style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
        }
        painter->restore();
    }

    TPageHost& FHost;
};

}  // namespace

TVideoPage::TVideoPage(TPageHost& host, QWidget* parent)
    : TListPage(host, TListKind::Videos, parent), ui(std::make_unique<Ui::TVideoPage>()) {
    ui->setupUi(this);
    VideoListBox = ui->VideoListBox;
    SButton_VideoInfo = ui->SButton_VideoInfo;
    SButton_ExtractVideos = ui->SButton_ExtractVideos;
    VideoListBox->setItemDelegate(new TVideoRowDelegate(host, VideoListBox));
    CheckWithSpaceKey(*VideoListBox);

    PopupMenu_Video = new QMenu(this);
    PopupMenu_Video->setObjectName("PopupMenu_Video");
    Menu_Video_AllCheck =
        MenuAction(this, PopupMenu_Video, "Menu_Video_AllCheck", "全てをチェック(&L)", 1, {QKeySequence("Ctrl+A")});
    Menu_Video_UnCheck = MenuAction(this, PopupMenu_Video, "Menu_Video_UnCheck", "全てのチェックを解除(&R)", 0);
    PopupMenu_Video->addSeparator();
    Menu_Video_Extract =
        MenuAction(this, PopupMenu_Video, "Menu_Video_Extract", "ビデオを取り出す(&X)", 0, {QKeySequence(Qt::Key_F9)});
    Menu_Video_Extract->setEnabled(false);
    Menu_Video_Info =
        MenuAction(this, PopupMenu_Video, "Menu_Video_Info", "ビデオの詳細情報", 0, {QKeySequence("Ctrl+P")});
    VideoListBox->addActions({Menu_Video_AllCheck, Menu_Video_Extract, Menu_Video_Info});

    connect(Menu_Video_AllCheck, &QAction::triggered, this, [this] { Menu_Video_AllCheckClick(1); });
    connect(Menu_Video_UnCheck, &QAction::triggered, this, [this] { Menu_Video_AllCheckClick(0); });
    connect(Menu_Video_Extract, &QAction::triggered, this, [this] { SButton_ExtractVideosClick(); });
    connect(Menu_Video_Info, &QAction::triggered, this, [this] { SButton_VideoInfoClick(); });
    connect(SButton_ExtractVideos, &QPushButton::clicked, this, [this] { SButton_ExtractVideosClick(); });
    connect(SButton_VideoInfo, &QPushButton::clicked, this, [this] { SButton_VideoInfoClick(); });
    connect(VideoListBox, &QListWidget::itemDoubleClicked, this, [this] { SButton_VideoInfoClick(); });
    connect(VideoListBox, &QListWidget::itemChanged, this, [this] {
        if (!FBulkCheck) VideoListBoxClickCheck();
    });
    connect(VideoListBox, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { PopupMenu_Video->popup(VideoListBox->viewport()->mapToGlobal(p)); });
}

TVideoPage::~TVideoPage() = default;

bool TVideoPage::ListEmpty() const { return VideoListBox->count() == 0; }
void TVideoPage::ClearList() { VideoListBox->clear(); }
QWidget* TVideoPage::FocusList() const { return VideoListBox; }

int32_t TVideoPage::EntrySongIndex(int entry) const {
    const QListWidgetItem* item = VideoListBox->item(entry);
    return item ? IndexOfText(item->text()) : -1;
}

void TVideoPage::Enter() {
    // The totals line follows a list loaded on entering.
    const bool empty = ListEmpty();
    TListPage::Enter();
    if (empty) UpdateVideoSelectionTotals();
}

void TVideoPage::LoadVideoList() {
    // The fill lets window events run: a removal then waits until the list is filled.
    const TPlayerWork work(FHost);
    RunWithProgress(
        "ビデオの取得", 0, SongCountOf(FHost.Player()),
        [this](QProgressBar* bar, QLabel* label, bool& cancel) { return FillVideoList(bar, label, cancel); },
        FHost.DialogParent());
    SButton_VideoInfo->setEnabled(VideoListBox->count() >= 1);
    FHost.SetStatusText(1, QString("%1 本のビデオを取得しました").arg(VideoListBox->count()));
}

int32_t TVideoPage::FillVideoList(QProgressBar* bar, QLabel* label, bool&) {
    FBulkCheck = true;
    VideoListBox->clear();
    const TITBSongList& songs = MusicOf(FHost.Player()).Songs;
    const int32_t n = songs.GetCount();
    for (int32_t i = 0; i < n; ++i) {
        const TITBSongItem* song = songs.GetItem(i);
        if (!song || !song->IsVideo) continue;
        auto* item = new QListWidgetItem(QString::number(i), VideoListBox);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        label->setText(QString::fromStdString(Format("読み込み中... %d %%", {static_cast<int64_t>(i) * 100 / n})));
        label->repaint();
        QCoreApplication::processEvents();
    }
    FBulkCheck = false;
    return bar->value();
}

void TVideoPage::SetAllVideoChecks(bool flag) {
    FBulkCheck = true;
    for (int i = 0; i < VideoListBox->count(); ++i)
        VideoListBox->item(i)->setCheckState(flag ? Qt::Checked : Qt::Unchecked);
    FBulkCheck = false;
}

void TVideoPage::Menu_Video_AllCheckClick(int tag) {
    if (tag == 1) SetAllVideoChecks(true);
    if (tag == 0) SetAllVideoChecks(false);
    UpdateVideoSelectionTotals();
}

void TVideoPage::VideoListBoxClickCheck() { UpdateVideoSelectionTotals(); }

void TVideoPage::UpdateVideoSelectionTotals() {
    const TITBSongList& songs = MusicOf(FHost.Player()).Songs;
    int32_t count = 0;
    int64_t bytes = 0;
    for (int i = 0; i < VideoListBox->count(); ++i) {
        if (VideoListBox->item(i)->checkState() != Qt::Checked) continue;
        ++count;
        const int32_t index = EntrySongIndex(i);
        if (const TITBSongItem* song = index >= 0 ? songs.GetItem(index) : nullptr) bytes += song->Size;
    }
    FHost.SetStatusText(1, QString::fromStdString(Format("%d 本をチェックしています ( 全体で %.1n MB )",
                                                         {count, static_cast<double>(bytes) / 1048576.0})));
    SButton_ExtractVideos->setEnabled(count >= 1);
    Menu_Video_Extract->setEnabled(count >= 1);
}

std::vector<int32_t> TVideoPage::CheckedSongIndexes() const {
    std::vector<int32_t> checked;
    for (int i = 0; i < VideoListBox->count(); ++i) {
        if (VideoListBox->item(i)->checkState() == Qt::Checked) checked.push_back(EntrySongIndex(i));
    }
    return checked;
}

void TVideoPage::SButton_ExtractVideosClick() { CopyCheckedRows(FHost, true, CheckedSongIndexes()); }

int32_t TVideoPage::CopyVideosToFolder(const std::string& folder, QProgressBar* bar, QLabel* label, bool& cancel) {
    return CopyRowsToFolder(FHost, true, folder, CheckedSongIndexes(), bar, label, cancel);
}

bool TVideoPage::ShowVideoInfo() {
    const int entry = VideoListBox->currentRow();
    if (entry < 0) return false;
    return ShowSongDetails(
        FHost, true, EntrySongIndex(entry),
        [this, entry] { return VideoListBox->item(entry)->checkState() == Qt::Checked; },
        [this, entry](bool checked) {
            FBulkCheck = true;
            VideoListBox->item(entry)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
            FBulkCheck = false;
        });
}

void TVideoPage::SButton_VideoInfoClick() {
    try {
        if (ShowVideoInfo()) UpdateVideoSelectionTotals();
    } catch (const ETolvError& e) {
        ShowMessage(FHost.DialogParent(), e.Message());
    }
}

}  // namespace harrowin
