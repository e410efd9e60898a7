#include "desktop/dialogs/photo_form.h"

#include <QApplication>
#include <QClipboard>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QStatusBar>
#include <QToolButton>
#include <QWheelEvent>
#include <filesystem>

#include "foundation/encoding.h"
#include "foundation/errors.h"
#include "foundation/file_write.h"
#include "foundation/gui/message_box.h"
#include "foundation/gui/select_folder.h"
#include "foundation/gui/window_place.h"
#include "foundation/names.h"
#include "foundation/number_format.h"
#include "foundation/paths.h"
#include "harrowin_work/settings.h"
#include "player/artwork/bitmap32.h"
#include "player/artwork/jpeg_codec.h"
#include "ui_photo_form.h"

namespace harrowin {

namespace fs = std::filesystem;

void TABitmap::Assign(const QImage& image) { FImage = image.convertToFormat(QImage::Format_RGB32); }

void TABitmap::Assign(const Bitmap32& bitmap) {
    if (bitmap.Empty()) {
        FImage = QImage();
        return;
    }
    // The wrapped pixels belong to bitmap: copy them before it goes.
    FImage = QImage(bitmap.Bits(), bitmap.Width(), bitmap.Height(), static_cast<qsizetype>(bitmap.BytesPerLine()),
                    QImage::Format_RGB32)
                 .copy();
}

void TABitmap::LoadFromFile(const std::string& fileName) {
    QImageReader reader(QString::fromStdString(fileName), "BMP");
    QImage image;
    if (!reader.read(&image)) throw EFileError("ビットマップ画像が不正です: " + fileName);
    Assign(image);
}

bool FitPhoto(int pictureWidth, int pictureHeight, int boxWidth, int boxHeight, TPhotoFit& fit) {
    if (pictureWidth <= 0 || pictureHeight <= 0 || boxWidth <= 0 || boxHeight <= 0) return false;
    const int64_t pw = pictureWidth, ph = pictureHeight, cw = boxWidth, ch = boxHeight;
    auto toHeight = [&] {
        fit.W = static_cast<int>(ch * pw / ph);
        fit.H = boxHeight;
        fit.Y = 0;
        fit.X = (boxWidth - fit.W) / 2;
    };
    auto toWidth = [&] {
        fit.H = static_cast<int>(cw * ph / pw);
        fit.W = boxWidth;
        fit.X = 0;
        fit.Y = (boxHeight - fit.H) / 2;
    };
    if (pictureWidth < pictureHeight) {
        toHeight();
        if (fit.X < 0) toWidth();
    } else {
        toWidth();
        if (fit.Y < 0) toHeight();
    }
    return true;
}

TPhotoForm::TPhotoForm(TTolvIPodINI& settings, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TPhotoForm>()), FSettings(settings) {
    ui->setupUi(this);  // FormCreate
    setFocusPolicy(Qt::StrongFocus);
    FPanel0 = new QLabel(this);
    FPanel0->setObjectName("StatusPanel0");
    FPanel0->setFixedWidth(100);
    FPanel0->setAlignment(Qt::AlignCenter);
    FPanel1 = new QLabel(this);
    FPanel1->setObjectName("StatusPanel1");
    ui->StatusBar->addWidget(FPanel0);
    ui->StatusBar->addWidget(FPanel1, 1);
    ui->PaintBox->installEventFilter(this);
    ui->ScrollBox->viewport()->installEventFilter(this);
    ui->Button_Prior->setProperty("tag", 0);
    ui->Button_Next->setProperty("tag", 1);
    connect(ui->Button_Close, &QToolButton::clicked, this, [this] { close(); });
    connect(ui->Button_Prior, &QToolButton::clicked, this, [this] { Button_NextClick(ui->Button_Prior); });
    connect(ui->Button_Next, &QToolButton::clicked, this, [this] { Button_NextClick(ui->Button_Next); });
    connect(ui->Button_Clipboard, &QToolButton::clicked, this, [this] { Button_ClipboardClick(); });
    connect(ui->Button_Save, &QToolButton::clicked, this, [this] { Button_SaveClick(); });
}

TPhotoForm::~TPhotoForm() = default;

QString TPhotoForm::StatusPanel(int panel) const { return (panel == 0 ? FPanel0 : FPanel1)->text(); }

bool TPhotoForm::LoadPhoto(const std::string& FileName, int32_t Index, int32_t Count) {
    const std::string ext = encoding::AsciiLower(fs::path(FileName).extension().string());
    // A photo planted in the player as a link would show, and copy, a file of the PC.
    if (PathKindOf(FileName) != TPathKind::File || (!PhotoFolder.empty() && !LinkFreeBelow(PhotoFolder, FileName))) {
        ShowMessage(this, Format("ファイル[ %s ]は存在しません", {FileName}));
        return false;
    }
    try {
        if (ext == ".bmp") {
            FBitmap.LoadFromFile(FileName);
        } else if (ext == ".jpg" || ext == ".jpe" || ext == ".jpeg") {
            FBitmap.Assign(LoadJpegFile(FileName));
        } else {
            ShowMessage(this, "対応できないファイル形式です");
            return false;
        }
    } catch (const ETolvError& e) {
        ShowMessage(this, e.Message());
        return false;
    }
    ui->PaintBox->resize(FBitmap.Width(), FBitmap.Height());
    FPanel0->setText(QString::fromStdString(Format("%dx%d", {FBitmap.Width(), FBitmap.Height()})));
    FPanel1->setText(QString::fromStdString(FileName));
    ui->Button_Prior->setEnabled(Index >= 1);
    ui->Button_Next->setEnabled(Count - 1 > Index);
    FFileName = FileName;
    FCount = Count;
    return true;
}

void TPhotoForm::PaintPhoto() {
    const int cw = ui->ScrollBox->width() - 4;
    const int ch = ui->ScrollBox->height() - 4;
    ui->PaintBox->resize(std::max(cw, 0), std::max(ch, 0));
    if (cw <= 0 || ch <= 0) {
        FScratch = QImage();
        ui->PaintBox->update();
        return;
    }
    FScratch = QImage(cw, ch, QImage::Format_RGB32);
    FScratch.fill(Qt::black);
    TPhotoFit fit;
    if (FitPhoto(FBitmap.Width(), FBitmap.Height(), cw, ch, fit)) {
        QPainter canvas(&FScratch);
        canvas.drawImage(QPoint(fit.X, fit.Y),
                         FBitmap.Image().scaled(fit.W, fit.H, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    }
    ui->PaintBox->update();
}

void TPhotoForm::Button_NextClick(QObject* Sender) {
    if (!Sender) return;
    std::string fileName;
    int32_t index = -1;
    const int tag = Sender->property("tag").toInt();
    if (tag == 1 && FOnNext) FOnNext(fileName, index, FCount);
    if (tag == 0 && FOnPrior) FOnPrior(fileName, index, FCount);
    if (!fileName.empty() && LoadPhoto(fileName, index, FCount)) PaintPhoto();
}

void TPhotoForm::Button_ClipboardClick() {
    if (!FBitmap.Image().isNull()) QApplication::clipboard()->setImage(FBitmap.Image());
}

void TPhotoForm::Button_SaveClick() {
    std::string folder = FSettings.PhotoCopy.Folder;
    if (!SelectFolder(folder, this)) return;
    FSettings.PhotoCopy.Folder = TrimmedWithTrailingSlash(folder);
    SaveCopy(FSettings.PhotoCopy.Folder);
}

void TPhotoForm::SaveCopy(const std::string& folder) {
    const std::string name = fs::path(FFileName).filename().string();
    if (name.empty()) return;
    const std::string target = WithTrailingSlash(folder) + name;
    std::error_code ec;
    if (fs::exists(fs::symlink_status(target, ec))) {
        TMessageRequest question;
        question.Text = Format("ファイル[ %s ]は既に存在します。上書きしますか？", {name});
        question.Icon = TMsgIcon::Warning;
        question.Buttons = TMsgButtons::OkCancel;
        if (MessageBox(this, question) != TMsgResult::Ok) return;
    }
    // Through a temporary name: a copy cut short keeps the file that was there.
    if (const int err = CopyWholeFile(FFileName, target, TFolderLink::Follow)) {
        ShowMessage(this,
                    Format("ファイル[ %s ]を\" %s \"に転送できませんでした。%s", {name, folder, SysErrorText(err)}));
        return;
    }
    ShowMessage(this, Format("ファイル[ %s ]を\" %s \"に転送しました", {name, folder}));
}

void TPhotoForm::showEvent(QShowEvent* event) {
    const auto& p = FSettings.Positions;
    RestoreWindowPlace(*this, p.PView_X, p.PView_Y, p.PView_W, p.PView_H);
    QDialog::showEvent(event);
    PaintPhoto();
}

void TPhotoForm::done(int result) {
    auto& p = FSettings.Positions;
    const QRect place = StoredWindowPlace(*this);
    p.PView_X = place.x();
    p.PView_Y = place.y();
    p.PView_W = place.width();
    p.PView_H = place.height();
    QDialog::done(result);
}

void TPhotoForm::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    PaintPhoto();
}

void TPhotoForm::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape: close(); return;
        case Qt::Key_PageUp: Button_NextClick(ui->Button_Prior); return;
        case Qt::Key_PageDown: Button_NextClick(ui->Button_Next); return;
        default: QDialog::keyPressEvent(event);
    }
}

void TPhotoForm::MouseWheel(int delta) {
    if (!isActiveWindow()) return;
    if (delta > 0) Button_NextClick(ui->Button_Prior);
    if (delta < 0) Button_NextClick(ui->Button_Next);
}

void TPhotoForm::wheelEvent(QWheelEvent* event) {
    MouseWheel(event->angleDelta().y());
    event->accept();
}

bool TPhotoForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->PaintBox && event->type() == QEvent::Paint) {
        QPainter canvas(ui->PaintBox);
        if (!FScratch.isNull()) canvas.drawImage(QPoint(0, 0), FScratch);
        return true;
    }
    if (watched == ui->PaintBox && event->type() == QEvent::MouseButtonRelease) {
        close();  // PaintBoxClick
        return true;
    }
    if (event->type() == QEvent::Wheel) {
        MouseWheel(static_cast<QWheelEvent*>(event)->angleDelta().y());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace harrowin
