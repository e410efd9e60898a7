#include "desktop/pages/photo_page.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <filesystem>
#include <vector>

#include "desktop/dialogs/photo_copy_form.h"
#include "desktop/dialogs/photo_form.h"
#include "desktop/page_helpers.h"
#include "desktop/page_host.h"
#include "desktop/song_list_model.h"
#include "foundation/errors.h"
#include "foundation/gui/message_box.h"
#include "foundation/gui/shell_open.h"
#include "foundation/number_format.h"
#include "foundation/windows/progress_form.h"
#include "harrowin_work/photo_extract.h"
#include "harrowin_work/player_access.h"
#include "harrowin_work/settings.h"
#include "player/artwork/artwork_db.h"
#include "ui_photo_copy_form.h"
#include "ui_photo_page.h"

namespace harrowin {

namespace {

constexpr int kKindRole = Qt::UserRole + 1;

// PhotoListBoxDrawItem: one thumbnail cell, its picture centred at the icon size.
class TPhotoCellDelegate : public QStyledItemDelegate {
public:
    TPhotoCellDelegate(TPhotoPage& page, QObject* parent) : QStyledItemDelegate(parent), FPage(page) {}

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return FPage.PhotoListBox->gridSize();
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        painter->save();
        const QRect cell = option.rect;
        painter->fillRect(cell, Qt::white);
        const int dx = (cell.width() - FPage.ThumbSize.width()) / 2;
        const int dy = (cell.height() - FPage.ThumbSize.height()) / 2;
        const TArtItem* entry = FPage.EntryOfItem(index.row());
        TArtImageObject* icon = entry ? entry->GetImageByWidth(-1) : nullptr;
        const TArtworkDBLoader* photos = FPage.Photos();
        if (icon && photos) {
            try {
                photos->Pictures.Use(*icon);
            } catch (const ETolvError&) {
                // a damaged thumbnail stays blank
            }
            const Bitmap32& bitmap = icon->Bitmap;
            if (!bitmap.Empty()) {
                const QImage picture(bitmap.Bits(), bitmap.Width(), bitmap.Height(),
                                     static_cast<qsizetype>(bitmap.BytesPerLine()), QImage::Format_RGB32);
                painter->drawImage(QPoint(cell.left() + dx, cell.top() + dy), picture,
                                   QRect(0, 0, FPage.ThumbSize.width(), FPage.ThumbSize.height()));
            }
            if (option.state & QStyle::State_Selected) {
                QPen pen(QColor(0, 0, 128));
                pen.setWidth(2);
                painter->setPen(pen);
                painter->setBrush(Qt::NoBrush);
                painter->drawRect(cell.adjusted(1, 1, -1, -1));
            }
            if (option.state & QStyle::State_HasFocus) {
                QStyleOptionFocusRect focus;
                focus.rect = cell;
                focus.state = option.state;
                focus.backgroundColor = Qt::white;
                const QWidget* widget = option.widget;
                QStyle* style = widget ? widget->style() : QApplication::style();
                style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
            }
        }
        painter->restore();
    }

private:
    TPhotoPage& FPage;
};

// Enter in the thumbnail list opens the photo, as a double click does.
class TEnterFilter : public QObject {
public:
    TEnterFilter(TPhotoPage& page, QObject* parent) : QObject(parent), FPage(page) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                FPage.SButton_OpenPhotoClick();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    TPhotoPage& FPage;
};

}  // namespace

TPhotoPage::TPhotoPage(TPageHost& host, QWidget* parent)
    : TListPage(host, TListKind::Photos, parent), ui(std::make_unique<Ui::TPhotoPage>()) {
    ui->setupUi(this);
    PhotoListBox = ui->PhotoListBox;
    PhotoAlbumListView = ui->PhotoAlbumListView;
    SButton_OpenPhoto = ui->SButton_OpenPhoto;
    SButton_ExtractPhotos = ui->SButton_ExtractPhotos;
    PhotoListBox->setWrapping(true);
    PhotoListBox->setItemDelegate(new TPhotoCellDelegate(*this, PhotoListBox));
    PhotoListBox->installEventFilter(new TEnterFilter(*this, PhotoListBox));
    CheckWithSpaceKey(*PhotoAlbumListView);
    SetCellSize(90);

    PopupMenu_Photo = new QMenu(this);
    PopupMenu_Photo->setObjectName("PopupMenu_Photo");
    A1 = MenuAction(this, PopupMenu_Photo, "A1", "全てを選択(&A)", 0, {QKeySequence("Ctrl+A")});
    N27 = MenuAction(this, PopupMenu_Photo, "N27", "全ての選択を解除(&R)", 1);
    PopupMenu_Photo->addSeparator();
    Menu_ExtractPhotos =
        MenuAction(this, PopupMenu_Photo, "Menu_ExtractPhotos", "フォトを取り出す(&X)", 0, {QKeySequence(Qt::Key_F9)});
    Menu_ExtractPhotos->setEnabled(false);
    addActions({A1, Menu_ExtractPhotos});

    connect(A1, &QAction::triggered, this, [this] { N27Click(0); });
    connect(N27, &QAction::triggered, this, [this] { N27Click(1); });
    connect(Menu_ExtractPhotos, &QAction::triggered, this, [this] { SButton_ExtractPhotosClick(); });
    connect(SButton_ExtractPhotos, &QPushButton::clicked, this, [this] { SButton_ExtractPhotosClick(); });
    connect(SButton_OpenPhoto, &QPushButton::clicked, this, [this] { SButton_OpenPhotoClick(); });
    connect(PhotoListBox, &QListWidget::itemDoubleClicked, this, [this] { SButton_OpenPhotoClick(); });
    connect(PhotoAlbumListView, &QTreeWidget::itemSelectionChanged, this, [this] {
        const QList<QTreeWidgetItem*> selected = PhotoAlbumListView->selectedItems();
        if (!selected.isEmpty()) PhotoAlbumListViewSelectItem(selected.first());
    });
    connect(PhotoAlbumListView, &QTreeWidget::itemChanged, this,
            [this](QTreeWidgetItem* item, int) { PhotoAlbumListViewChange(item); });
    connect(PhotoAlbumListView, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { PopupMenu_Photo->popup(PhotoAlbumListView->viewport()->mapToGlobal(p)); });
}

TPhotoPage::~TPhotoPage() = default;

bool TPhotoPage::ListEmpty() const { return PhotoListBox->count() == 0; }
void TPhotoPage::ClearList() {
    PhotoListBox->clear();
    PhotoAlbumListView->clear();
}
QWidget* TPhotoPage::FocusList() const { return PhotoListBox; }

TArtworkDBLoader* TPhotoPage::Photos() const { return FHost.Player().Photos.get(); }

TArtItem* TPhotoPage::EntryOfItem(int item) const {
    const QListWidgetItem* row = PhotoListBox->item(item);
    const TArtworkDBLoader* photos = Photos();
    uint32_t id = 0;
    if (!row || !photos || !PhotoIdOfText(row->text().toStdString(), id)) return nullptr;
    return photos->Items.FindByID(id);
}

int32_t TPhotoPage::AlbumKind(const QTreeWidgetItem* item) { return item ? item->data(0, kKindRole).toInt() : -1; }

int32_t TPhotoPage::CheckedAlbumCount() const {
    int32_t count = 0;
    for (int i = 0; i < PhotoAlbumListView->topLevelItemCount(); ++i) {
        if (PhotoAlbumListView->topLevelItem(i)->checkState(0) == Qt::Checked) ++count;
    }
    return count;
}

void TPhotoPage::SetCellSize(int32_t itemHeight) {
    const int width = std::max(PhotoListBox->viewport()->width() / std::max(Columns, 1), 1);
    PhotoListBox->setGridSize(QSize(width, itemHeight));
}

void TPhotoPage::LoadPhotoList() {
    SButton_OpenPhoto->setEnabled(false);
    SButton_ExtractPhotos->setEnabled(false);
    TTolvIPOD& player = FHost.Player();
    const std::string path = CheckerOf(player).PhotoDatabasePath;
    std::error_code ec;
    TArtworkDBLoader* photos = Photos();
    if (!photos || path.empty() || !std::filesystem::is_regular_file(path, ec)) {
        FHost.SetStatusText(1, "iPod内にフォトデータが見つかりません");
        return;
    }
    try {
        photos->OnShowMessage = [this](const std::string& text) { ShowMessage(FHost.DialogParent(), text); };
        photos->LoadFromFile(path);
    } catch (const ETolvError& e) {
        ShowMessage(FHost.DialogParent(), e.Message());
        return;
    }
    // A load replaces the albums: without this a second load would list every album twice.
    PhotoAlbumListView->clear();
    photos->Albums.FillListView([this](const std::string& caption, int32_t imageIndex) {
        auto* item = new QTreeWidgetItem(PhotoAlbumListView);
        item->setText(0, QString::fromStdString(caption));
        item->setData(0, kKindRole, imageIndex);
        item->setIcon(0, style()->standardIcon(imageIndex == 1 ? QStyle::SP_DriveHDIcon : QStyle::SP_DirIcon));
        item->setFlags((item->flags() | Qt::ItemIsUserCheckable) & ~Qt::ItemIsEditable);
        item->setCheckState(0, Qt::Unchecked);
    });
    const int32_t n = RunWithProgress(
        "サムネイルの取得", 0, photos->Items.GetCount(),
        [this](QProgressBar* bar, QLabel* label, bool& cancel) { return FillPhotoThumbnails(bar, label, cancel); },
        FHost.DialogParent());
    const TArtItem* first = photos->GetItem(0);
    if (n > 0 && first && !first->PhotoName.empty()) SButton_OpenPhoto->setEnabled(true);
    ShowPictureCount(PictureCount);
}

QSize TPhotoPage::DecodedIconSize(const TArtItem* entry) const {
    TArtImageObject* icon = entry ? entry->GetImageByWidth(-1) : nullptr;
    const TArtworkDBLoader* photos = Photos();
    if (!icon || !photos) return {};
    try {
        photos->Pictures.Use(*icon);
    } catch (const ETolvError&) {
        return {};
    }
    const Bitmap32& bitmap = icon->Bitmap;
    if (bitmap.Empty() || icon->Width <= 0 || icon->Height <= 0) return {};
    // The stated size is what the picture is drawn at, but never more than the picture has.
    return QSize(std::min(icon->Width, bitmap.Width()), std::min(icon->Height, bitmap.Height()));
}

void TPhotoPage::ShowPictureCount(int32_t count) {
    FHost.SetStatusText(1, QString::fromStdString(Format("%d 枚のサムネイル画像を取得しました", {count})));
}

int32_t TPhotoPage::FillPhotoThumbnails(QProgressBar* bar, QLabel* label, bool&) {
    label->setText("情報の整理中...");
    PhotoListBox->clear();
    int32_t w = 88, h = 133;
    std::string lastName;
    PictureCount = 0;
    const TArtworkDBLoader* photos = Photos();
    const int32_t count = photos ? photos->Items.GetCount() : 0;
    for (int32_t i = 0; i < count; ++i) {
        const TArtItem* entry = photos->Items.GetItem(i);
        if (entry->GetImageByWidth(-1)) {
            PhotoListBox->addItem(QString::number(entry->ImageId));
            // Only a thumbnail that decoded sizes the cells: a damaged one may state any size
            // (no height at all, or that of a poster), and taken it would blank the whole list.
            const QSize size = DecodedIconSize(entry);
            if (!size.isEmpty()) {
                w = size.width();
                h = size.height();
                ++PictureCount;
            }
            lastName = entry->PhotoName;
        }
        bar->setValue(i);
    }
    Columns = std::max(PhotoListBox->viewport()->width() / w, 1);
    SetCellSize(h + 2);
    ThumbSize = QSize(w, h);
    PhotoListBox->setCurrentRow(0);
    SButton_OpenPhoto->setEnabled(!lastName.empty());
    SButton_ExtractPhotos->setEnabled(false);
    Menu_ExtractPhotos->setEnabled(false);
    return bar->value();
}

void TPhotoPage::PhotoAlbumListViewSelectItem(QTreeWidgetItem* item) {
    const TArtworkDBLoader* photos = Photos();
    if (!item || !photos) return;
    std::vector<std::string> ids;
    if (PhotoAlbumListView->indexOfTopLevelItem(item) == 0) {
        photos->Items.GetIDList(ids);
    } else {
        photos->Albums.ListAlbumImageIDs(item->text(0).toStdString(), ids);
    }
    PhotoListBox->clear();
    int32_t pictures = 0;
    for (const std::string& id : ids) {
        PhotoListBox->addItem(QString::fromStdString(id));
        if (!DecodedIconSize(EntryOfItem(PhotoListBox->count() - 1)).isEmpty()) ++pictures;
    }
    PhotoListBox->viewport()->update();
    PhotoListBox->setCurrentRow(0);
    ShowPictureCount(pictures);
}

void TPhotoPage::PhotoAlbumListViewChange(QTreeWidgetItem* item) {
    if (item && AlbumKind(item) == 1 && PhotoAlbumListView->topLevelItemCount() > 1 &&
        item->checkState(0) != Qt::Unchecked) {
        item->setCheckState(0, Qt::Unchecked);
    }
    const bool any = CheckedAlbumCount() > 0;
    SButton_ExtractPhotos->setEnabled(any);
    Menu_ExtractPhotos->setEnabled(any);
}

void TPhotoPage::N27Click(int tag) {
    for (int i = 0; i < PhotoAlbumListView->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = PhotoAlbumListView->topLevelItem(i);
        if (AlbumKind(item) == 1) continue;
        if (tag == 0) item->setCheckState(0, Qt::Checked);
        if (tag == 1) item->setCheckState(0, Qt::Unchecked);
    }
}

void TPhotoPage::SButton_OpenPhotoClick() {
    const int row = PhotoListBox->currentRow();
    if (row < 0) return;
    const TArtItem* entry = EntryOfItem(row);
    if (!entry || entry->PhotoName.empty()) return;
    ShowPhoto(PhotoFileOf(Photos()->Folder, entry->PhotoName));
}

void TPhotoPage::ShowPhoto(const std::string& fileName) {
    TPhotoForm form(FHost.Settings(), FHost.DialogParent());
    if (Photos()) form.PhotoFolder = Photos()->Folder;
    form.FOnNext = [this](std::string& name, int32_t& index, int32_t) { NextPhoto(name, index); };
    form.FOnPrior = [this](std::string& name, int32_t& index, int32_t) { PriorPhoto(name, index); };
    if (form.LoadPhoto(fileName, PhotoListBox->currentRow(), PhotoListBox->count())) form.exec();
}

void TPhotoPage::StepPhoto(int delta, std::string& fileName, int32_t& index) {
    fileName.clear();
    index = -1;
    const int row = PhotoListBox->currentRow() + delta;
    if (row < 0 || row >= PhotoListBox->count()) return;
    const TArtItem* entry = EntryOfItem(row);
    if (!entry) return;
    fileName = PhotoFileOf(Photos()->Folder, entry->PhotoName);
    index = row;
    PhotoListBox->setCurrentRow(row);
}

void TPhotoPage::NextPhoto(std::string& fileName, int32_t& index) { StepPhoto(1, fileName, index); }
void TPhotoPage::PriorPhoto(std::string& fileName, int32_t& index) { StepPhoto(-1, fileName, index); }

void TPhotoPage::SButton_ExtractPhotosClick() {
    const TArtworkDBLoader* photos = Photos();
    // A database without entries has nothing to extract: the reader's error instead of the
    // dialog, so the enabled button never silently does nothing.
    const TArtItem* first = photos ? photos->GetItem(0) : nullptr;
    if (!first) {
        ShowMessage(FHost.DialogParent(), "フォトデータに写真が登録されていません");
        return;
    }
    auto& s = FHost.Settings().PhotoCopy;
    bool ok = false;
    {
        TPhotoCopyForm form(FHost.DialogParent());
        form.Ui().Edit_Folder->setText(QString::fromStdString(s.Folder));
        const bool full = !first->PhotoName.empty();
        s.Type = full ? 1 : 0;
        form.SetTypeIndex(s.Type);
        form.Ui().RGroup_Type->setEnabled(full);
        ok = form.exec() == QDialog::Accepted;
        if (ok) {
            s.Folder = form.Ui().Edit_Folder->text().toStdString();
            s.Type = form.TypeIndex();
        }
    }
    if (!ok) return;
    // The work counts checked albums; an empty thumbnail list must not stop it before it starts.
    RunWithProgress(
        "フォトの取り出し", 0, std::max(CheckedAlbumCount(), 1),
        [this](QProgressBar* bar, QLabel* label, bool& cancel) { return ExtractPhotos(bar, label, cancel); },
        FHost.DialogParent());
}

int32_t TPhotoPage::ExtractPhotos(QProgressBar* bar, QLabel* label, bool& cancel) {
    const TPlayerWork work(FHost);
    const TArtworkDBLoader* photos = Photos();
    const auto& s = FHost.Settings().PhotoCopy;
    const int32_t total = CheckedAlbumCount();
    bar->setMaximum(total);
    int32_t done = 0;
    int32_t written = 0;
    int32_t failed = 0;
    bool gone = false;
    std::string failures;
    if (photos) {
        TPhotoExtractRun run(*photos, s.Folder, s.Type);
        run.PlayerGone = [this] { return PlayerGoneAway(FHost); };
        auto showLabel = [label](const std::string& text) {
            label->setText(QString::fromStdString(text));
            label->repaint();
        };
        // The cancel flag is read before the pump: a cancel pressed while the pump runs
        // still lets the next photo be written, then ends the extraction.
        auto step = [&cancel] {
            if (cancel) return false;
            QCoreApplication::processEvents();
            return true;
        };
        bool going = true;
        for (int i = 0; i < PhotoAlbumListView->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = PhotoAlbumListView->topLevelItem(i);
            if (item->checkState(0) != Qt::Checked) continue;
            const std::string caption = item->text(0).toStdString();
            if (!going) {
                // The albums a pulled player kept from the extraction count as failed too.
                if (PlayerGoneAway(FHost)) run.SkipAlbum(caption);
                continue;
            }
            ++done;
            bar->setValue(done);
            going = run.ExtractAlbum(caption, done, total, showLabel, step);
        }
        written = run.Written;
        failed = run.Failed;
        failures = PhotoFailureMessage(run.Failures, run.Failed);
        gone = PlayerGoneAway(FHost);
    }
    const std::string endText = PhotoExtractEndText(s.Folder, written, failed, gone);
    FHost.SetStatusText(1, QString::fromStdString(endText));
    if (!failures.empty()) ShowMessage(FHost.DialogParent(), failures);
    OpenCopyFolder(FHost, s.Folder, endText);
    return done;
}

}  // namespace harrowin
