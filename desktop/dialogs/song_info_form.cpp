#include "desktop/dialogs/song_info_form.h"

#include <QAction>
#include <QBuffer>
#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <filesystem>
#include <fstream>

#include "foundation/encoding.h"
#include "foundation/errors.h"
#include "foundation/file_write.h"
#include "foundation/gui/draw_fitted.h"
#include "foundation/gui/file_filter.h"
#include "foundation/gui/message_box.h"
#include "foundation/gui/shell_open.h"
#include "foundation/names.h"
#include "foundation/number_format.h"
#include "foundation/paths.h"
#include "player/artwork/artwork_db.h"
#include "player/artwork/jpeg_codec.h"
#include "player/song_records.h"
#include "player/tags/lyrics_reader.h"
#include "ui_song_info_form.h"

namespace harrowin {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// ChangeFileExt: the extension after the last full stop of the file name replaced.
std::string ChangeExt(const std::string& path, const std::string& ext) {
    return path.substr(0, path.size() - ExtensionOf(path).size()) + ext;
}

// A title as the start of a proposed file name: a "/" would name a folder.
std::string NameFromTitle(const std::string& title) { return ReplaceChar(title, "/", " "); }

}  // namespace

std::string AudioFormatName(const std::string& path) {
    const std::string ext = encoding::AsciiLower(ExtensionOf(path));
    if (ext == ".mp3") return "MP3 (MPEG1 Layer3)";
    if (ext == ".mp4") return "MPEG4";
    if (ext == ".m4a") return "AAC (MPEG4 AAC)";
    if (ext == ".m4b") return "AAC (MPEG4 AAC/Audible)";
    if (ext == ".m4p") return "AAC (MPEG4 AAC/DRM)";
    if (ext == ".m4v") return "MPEG4 Video";
    if (ext == ".wav") return "WAVE Audio";
    if (ext == ".aif") return "AIFF";
    return "不明な音楽形式";
}

std::string RatingStars(int32_t rating) {
    switch (rating) {
        case 20: return "★・・・・";
        case 40: return "★★・・・";
        case 60: return "★★★・・";
        case 80: return "★★★★・";
        case 100: return "★★★★★";
        default: return "・・・・・";
    }
}

std::string DateText(TDateTime value) {
    if (!(static_cast<double>(value) > 1462.0)) return "unknown";
    return DateTimeToStr(value);
}

QImage BitmapToImage(const Bitmap32& bitmap) {
    if (bitmap.Width() <= 0 || bitmap.Height() <= 0) return {};
    return QImage(bitmap.Bits(), bitmap.Width(), bitmap.Height(), static_cast<qsizetype>(bitmap.BytesPerLine()),
                  QImage::Format_RGB32)
        .copy();
}

TSongInfoForm::TAskSaveFile& TSongInfoForm::AskSaveFile() {
    static TAskSaveFile ask = [](const std::string& title, const std::string& filter, const std::string& proposed,
                                 int& filterIndex) {
        QFileDialog dialog(QApplication::activeWindow(), Q(title), QString(), Q(QtFileFilter(filter)));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setOption(QFileDialog::DontConfirmOverwrite);  // the window asks itself
        dialog.setOption(kFilterTextsOnly);
        dialog.selectFile(Q(proposed));
        const QStringList filters = dialog.nameFilters();
        if (filterIndex >= 0 && filterIndex < filters.size()) dialog.selectNameFilter(filters[filterIndex]);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::string();
        filterIndex = SelectedFilterIndex(dialog);
        return dialog.selectedFiles().front().toStdString();
    };
    return ask;
}

TSongInfoForm::TSongInfoForm(QWidget* parent, const TArtworkDBLoader* artwork)
    : QDialog(parent), ui(std::make_unique<Ui::TSongInfoForm>()), FArtwork(artwork) {
    ui->setupUi(this);
    // FormCreate.
    VideoMode = false;
    ui->SongPages->setTabVisible(1, false);
    ui->SongPages->setTabVisible(2, false);
    ui->SongPages->setCurrentIndex(0);
    FSmallImage = QImage(89, 89, QImage::Format_RGB32);
    FSmallImage.fill(Qt::white);
    {
        QPainter p(&FSmallImage);
        p.setPen(Qt::black);
        p.drawRect(0, 0, 88, 88);
    }
    ui->ArtworkImage->setPixmap(QPixmap::fromImage(FSmallImage));
    CheckChanged = false;

    connect(ui->CheckBox_AddSong, &QCheckBox::toggled, this, [this] { CheckBox_AddSongClick(); });
    connect(ui->Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(ui->Button_Close, &QPushButton::clicked, this, [this] { Button_CloseClick(); });
    connect(ui->SongPages, &QTabWidget::currentChanged, this, [this](int i) { SongPagesChange(i); });
    connect(ui->SButton_CopyLyric, &QPushButton::clicked, this, [this] { Menu_LyricCopyClick(3); });
    connect(ui->SButton_SaveLyric, &QPushButton::clicked, this, [this] { Menu_LyricCopyClick(4); });
    connect(ui->SButton_SavePic, &QPushButton::clicked, this, [this] { AWMenu_ClipClick(1); });
    connect(ui->SButton_CopyToClip, &QPushButton::clicked, this, [this] { AWMenu_ClipClick(2); });

    auto* lyricMenu = new QMenu(this);
    auto* copy = lyricMenu->addAction("コピー(&C)");
    copy->setObjectName("Menu_LyricCopy");
    copy->setShortcut(QKeySequence("Ctrl+C"));
    copy->setProperty("tag", 1);
    auto* select = lyricMenu->addAction("全て選択(&A)");
    select->setObjectName("Menu_LyricSelect");
    select->setShortcut(QKeySequence("Ctrl+A"));
    select->setProperty("tag", 2);
    connect(copy, &QAction::triggered, this, [this] { Menu_LyricCopyClick(1); });
    connect(select, &QAction::triggered, this, [this] { Menu_LyricCopyClick(2); });
    connect(ui->LyricMemo, &QWidget::customContextMenuRequested, this,
            [this, lyricMenu](const QPoint& p) { lyricMenu->popup(ui->LyricMemo->mapToGlobal(p)); });

    auto* artMenu = new QMenu(this);
    auto* save = artMenu->addAction("保存(&S)");
    save->setObjectName("AWMenu_Save");
    save->setProperty("tag", 1);
    auto* clip = artMenu->addAction("クリップボードにコピー(&C)");
    clip->setObjectName("AWMenu_Clip");
    clip->setProperty("tag", 2);
    connect(save, &QAction::triggered, this, [this] { AWMenu_ClipClick(1); });
    connect(clip, &QAction::triggered, this, [this] { AWMenu_ClipClick(2); });
    connect(ui->ArtworkScrollBox, &QWidget::customContextMenuRequested, this,
            [this, artMenu](const QPoint& p) { artMenu->popup(ui->ArtworkScrollBox->mapToGlobal(p)); });
}

TSongInfoForm::~TSongInfoForm() = default;

void TSongInfoForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FitWrappedPath();
}

void TSongInfoForm::FitWrappedPath() {
    // A window's layout does not grow it for a wrapped label: the label's own minimum does,
    // so none of the path's lines is cut.
    QLabel* path = ui->Label_SongFolder;
    if (path->width() <= 0) return;
    const int needed = path->heightForWidth(path->width());
    if (needed > path->minimumHeight()) path->setMinimumHeight(needed);
}

void TSongInfoForm::ShowPages() {
    ui->SongPages->setTabVisible(2, true);
    if (!VideoMode) ui->SongPages->setTabVisible(1, true);
}

void TSongInfoForm::LoadSong(const TITBSongItem& song, const std::string& path) {
    FSong = &song;
    FPath = path;
    if (VideoMode) setWindowTitle("ビデオファイルの詳細情報");
    ui->CheckBox_AddSong->setChecked(GetMainCheck ? GetMainCheck() : false);
    ShowRecordInfo();
}

void TSongInfoForm::CheckBox_AddSongClick() {
    if (SetMainCheck) SetMainCheck(ui->CheckBox_AddSong->isChecked());
    CheckChanged = true;
}

const TArtItem* TSongInfoForm::FindArtwork() const {
    if (!FArtwork || !FSong) return nullptr;
    return FArtwork->FindBySongID(static_cast<uint64_t>(FSong->DatabaseId));
}

void TSongInfoForm::ShowRecordInfo() {
    if (!FSong) return;
    const TITBSongItem& s = *FSong;
    ui->Label_SongTitle->setText(Q(s.Title));
    ui->Label_SongArtist->setText(Q(s.Artist));
    ui->Label_SongAlbum->setText(Q(s.Album));
    ui->Label_SongTimes->setText(Q(FormatDuration(s.Length)));
    ui->Label_SongMyRate->setText(Q(RatingStars(s.Rating)));
    ui->Label_SongFormat->setText(Q(AudioFormatName(FPath)));
    ui->Label_SongSize->setText(Q(FormatNumber(static_cast<double>(GetFileSize64(FPath)), 0) + " byte"));
    ui->Label_SongBitrate->setText(Q(Format("%d kbps", {s.Bitrate})));
    ui->Label_SongSamples->setText(Q(Format("%d Hz", {s.SampleRate})));
    ui->Label_SongGenre->setText(Q(s.Genre));
    ui->Label_SongFolder->setText(Q(FPath));
    ui->Label_SongPlayDate->setText(Q(DateText(s.LastPlayed)));
    ui->Label_SongUpdateDate->setText(Q(DateText(s.DateModified)));
    ui->Label_SongCreationDate->setText(Q(DateText(s.DateAdded)));
    ui->Label_SongPlayCount->setText(Q(Format("%d 回", {s.PlayCount})));
    ui->Label_SongTrack->setText(Q(Format("%d", {s.TrackNumber})));

    if (const TArtItem* item = FindArtwork()) {
        if (TArtImageObject* image = item->GetImageByWidth(200)) {
            try {
                FArtwork->Pictures.Use(*image);
            } catch (const ETolvError&) {
                // A damaged picture leaves the frame empty.
            }
            const QImage picture = BitmapToImage(image->Bitmap);
            if (!picture.isNull()) DrawBitmapFittedOnBitmap(FSmallImage, 1, 1, 87, 87, Qt::white, picture);
        }
    }
    ui->ArtworkImage->setPixmap(QPixmap::fromImage(FSmallImage));
}

void TSongInfoForm::SongPagesChange(int index) {
    if (index == 1) LoadLyrics();
    if (index == 2) LoadArtwork();
}

void TSongInfoForm::LoadLyrics() {
    TMPEGExtLoader loader;
    try {
        loader.LoadFromFile(FPath);
    } catch (const ETolvError&) {
        loader.Clear();  // an unreadable file has no lyrics to show
    }
    const bool none = encoding::TrimView(loader.Lyrics).empty();
    ui->LyricMemo->setEnabled(!none);
    ui->LyricMemo->setPlainText(none ? QStringLiteral("歌詞情報はありませんでした") : Q(loader.Lyrics));
    ui->SButton_CopyLyric->setEnabled(!none);
    ui->SButton_SaveLyric->setEnabled(!none);
}

void TSongInfoForm::Menu_LyricCopyClick(int tag) {
    switch (tag) {
        case 1: ui->LyricMemo->copy(); break;
        case 2: ui->LyricMemo->selectAll(); break;
        case 3:
            ui->LyricMemo->selectAll();
            ui->LyricMemo->copy();
            break;
        case 4: SaveLyrics(); break;
        default: break;
    }
}

bool TSongInfoForm::ConfirmOverwrite(const std::string& fileName) {
    std::error_code ec;
    if (!std::filesystem::exists(fileName, ec)) return true;
    return ConfirmWarning(this, Format("[ %s ]は既に存在します。上書き保存してもよろしいですか？", {fileName}));
}

void TSongInfoForm::SaveLyrics() {
    if (!FSong) return;
    int filterIndex = 0;
    std::string name = AskSaveFile()("歌詞情報の保存", "テキストファイル(*.TXT)|*.TXT|全てのファイル(*.*)|*.*",
                                     NameFromTitle(FSong->Title) + "の歌詞.TXT", filterIndex);
    if (name.empty()) return;
    if (filterIndex == 0) name = ChangeExt(name, ".txt");
    if (!ConfirmOverwrite(name)) return;
    std::string text;
    const QStringList lines = ui->LyricMemo->toPlainText().split('\n');
    for (const QString& line : lines) text += line.toStdString() + "\r\n";
    try {
        WriteWholeFile(name, text, TFolderLink::Follow);
    } catch (const ETolvError&) {
        ShowMessage(this, "[ " + name + " ]を保存できませんでした");
    }
}

void TSongInfoForm::LoadArtwork() {
    FArtImage = QImage();
    FArtBitmap = Bitmap32();
    if (const TArtItem* item = FindArtwork()) {
        if (TArtImageObject* image = item->GetImageByWidth(0)) {
            try {
                FArtwork->Pictures.Use(*image);
            } catch (const ETolvError&) {
                // shown blank
            }
            FArtBitmap = image->Bitmap;
            FArtImage = BitmapToImage(FArtBitmap);
        }
    }
    const bool found = !FArtImage.isNull();
    if (found) {
        ui->Image_Art->setPixmap(QPixmap::fromImage(FArtImage));
        ui->Image_Art->resize(FArtImage.size());
    } else {
        ui->Image_Art->clear();
        ui->Image_Art->resize(0, 0);
    }
    ui->SButton_CopyToClip->setEnabled(found);
    ui->SButton_SavePic->setEnabled(found);
}

void TSongInfoForm::AWMenu_ClipClick(int tag) {
    if (tag == 1) SaveArtwork();
    if (tag == 2) CopyArtworkToClipboard();
}

void TSongInfoForm::SaveArtwork() {
    if (!FSong || FArtImage.isNull()) return;
    int filterIndex = 0;
    std::string name = AskSaveFile()("アートワークの保存",
                                     "JPEG イメージファイル (*.jpg)|*.jpg;*.jpeg;*.jpe|ビットマップ (*.bmp)|*.bmp",
                                     NameFromTitle(FSong->Title) + "のアートワーク", filterIndex);
    if (name.empty()) return;
    name = ChangeExt(name, filterIndex == 1 ? ".bmp" : ".jpg");
    if (!ConfirmOverwrite(name)) return;
    try {
        if (filterIndex == 1) {
            QByteArray bmp;
            QBuffer buffer(&bmp);
            if (!buffer.open(QIODevice::WriteOnly) || !FArtImage.save(&buffer, "BMP")) {
                throw EFileError("[ " + name + " ]を保存できませんでした");
            }
            WriteWholeFile(name, std::string_view(bmp.constData(), static_cast<size_t>(bmp.size())),
                           TFolderLink::Follow);
        } else {
            SaveArtworkAsJpeg(name);
        }
    } catch (const ETolvError& e) {
        ShowMessage(this, e.Message());
    }
}

void TSongInfoForm::SaveArtworkAsJpeg(const std::string& fileName) {
    SaveJpegFile(FArtBitmap, fileName, kJpegSaveQuality);
}

void TSongInfoForm::Button_CloseClick() { accept(); }

void TSongInfoForm::CopyArtworkToClipboard() {
    if (!FArtImage.isNull()) QGuiApplication::clipboard()->setImage(FArtImage);
}

void TSongInfoForm::Button1Click() {
    // A location that leaves the player has no path: there is nothing to open.
    if (!FPath.empty()) ShellOpen(FPath, this);
}

}  // namespace harrowin
