// The photo viewer: one full-size photo file of the player, fitted into the window, with steps
// to the neighbouring photos through handlers of the opener, a copy to the clipboard and a
// copy of the file into a folder. Its position and size are kept in the settings.
#pragma once

#include <QDialog>
#include <QImage>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class Bitmap32;
class QLabel;

namespace harrowin {

class TTolvIPodINI;
namespace Ui {
class TPhotoForm;
}

// A picture that holds 32 bits a pixel whatever it was loaded from or assigned.
class TABitmap {
public:
    void Assign(const QImage& image);
    void Assign(const Bitmap32& bitmap);
    // A BMP file; raises ETolvError when it cannot be read as one (the picture stays).
    void LoadFromFile(const std::string& fileName);

    const QImage& Image() const { return FImage; }
    int Width() const { return FImage.width(); }
    int Height() const { return FImage.height(); }

private:
    QImage FImage;
};

// Where a picture of pictureWidth x pictureHeight is drawn in a box of boxWidth x boxHeight:
// as large as fits, centred in the direction it does not fill (small pictures are enlarged).
// False when either has no area (nothing is drawn). All in pixels.
struct TPhotoFit {
    int X = 0, Y = 0, W = 0, H = 0;
};
bool FitPhoto(int pictureWidth, int pictureHeight, int boxWidth, int boxHeight, TPhotoFit& fit);

// Sets FileName to the photo to show next ("" for none) and Index to its place in the opener's
// list; Count is the opener's item count.
using TPhotoStepEvent = std::function<void(std::string& FileName, int32_t& Index, int32_t Count)>;

class TPhotoForm : public QDialog {
    Q_OBJECT
public:
    TPhotoForm(TTolvIPodINI& settings, QWidget* parent = nullptr);
    ~TPhotoForm() override;

    // Loads a BMP or JPEG file and prepares the window; false (after a message) when the file
    // is missing, of another kind or damaged: the picture shown stays as it was. A file that is
    // a link, or reached through a link below PhotoFolder, counts as missing.
    bool LoadPhoto(const std::string& FileName, int32_t Index, int32_t Count);
    // Draws the picture fitted into the scroll box's area.
    void PaintPhoto();

    void Button_NextClick(QObject* Sender);  // Button_Prior (Tag 0) and Button_Next (Tag 1)
    void Button_ClipboardClick();
    void Button_SaveClick();
    void SaveCopy(const std::string& folder);

    TPhotoStepEvent FOnPrior;
    TPhotoStepEvent FOnNext;
    // The player's photo folder the files are shown from ("" when the opener has none).
    std::string PhotoFolder;

    const TABitmap& Bitmap() const { return FBitmap; }
    // What the paint box shows.
    const QImage& Scratch() const { return FScratch; }
    const std::string& FileName() const { return FFileName; }
    QString StatusPanel(int panel) const;
    Ui::TPhotoForm& Ui() { return *ui; }

protected:
    void showEvent(QShowEvent* event) override;      // FormShow
    void resizeEvent(QResizeEvent* event) override;  // FormResize
    void keyPressEvent(QKeyEvent* event) override;   // FormKeyDown
    void wheelEvent(QWheelEvent* event) override;    // FormMouseWheel
    bool eventFilter(QObject* watched, QEvent* event) override;

public:
    void done(int result) override;  // FormClose

private:
    void MouseWheel(int delta);

    std::unique_ptr<Ui::TPhotoForm> ui;
    TTolvIPodINI& FSettings;
    std::string FFileName;
    TABitmap FBitmap;
    QImage FScratch;
    int32_t FCount = 0;
    QLabel* FPanel0 = nullptr;
    QLabel* FPanel1 = nullptr;
};

}  // namespace harrowin
