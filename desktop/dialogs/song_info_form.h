// The details window of one song or video: the record's fields with a small artwork, the
// lyrics from the file's tag, and the largest artwork, which can be saved (JPEG at quality 90
// or BMP) or copied. Its check box mirrors the row's check mark in the page's list.
#pragma once

#include <QDialog>
#include <QImage>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "foundation/date_time.h"
#include "player/artwork/bitmap32.h"

class TArtItem;
class TArtworkDBLoader;
class TITBSongItem;

namespace harrowin {

namespace Ui {
class TSongInfoForm;
}

// The format text of a file by its extension (any letter case).
std::string AudioFormatName(const std::string& path);
// Five stars or dots for a rating of 20, 40, 60, 80, 100; five dots for any other value.
std::string RatingStars(int32_t rating);
// "unknown" up to the zero of the player's clock (1904-01-01 00:00), else date and time.
std::string DateText(TDateTime value);
// A decoded picture as a window image (a deep copy).
QImage BitmapToImage(const Bitmap32& bitmap);

class TSongInfoForm : public QDialog {
    Q_OBJECT
public:
    // artwork: the player's artwork database (may be null: no artwork then).
    TSongInfoForm(QWidget* parent, const TArtworkDBLoader* artwork);
    ~TSongInfoForm() override;

    void ShowPages();
    // The song and its file on the player's drive; the box takes the list's check state.
    void LoadSong(const TITBSongItem& song, const std::string& path);
    void ShowRecordInfo();
    void LoadLyrics();
    void LoadArtwork();
    void SaveLyrics();
    void SaveArtwork();
    // The large artwork as a JPEG file at quality 90 (ETolvError when it cannot be written).
    void SaveArtworkAsJpeg(const std::string& fileName);
    void Button_CloseClick();
    void CopyArtworkToClipboard();
    void Menu_LyricCopyClick(int tag);
    void AWMenu_ClipClick(int tag);
    void Button1Click();
    void CheckBox_AddSongClick();
    void SongPagesChange(int index);

    bool VideoMode = false;
    bool CheckChanged = false;
    // The check mark of the row the window was opened for.
    std::function<bool()> GetMainCheck;
    std::function<void(bool)> SetMainCheck;

    // Test seam: asks for a file to save to; filterIndex in and out (0-based). Empty: cancel.
    using TAskSaveFile = std::function<std::string(const std::string& title, const std::string& filter,
                                                   const std::string& proposed, int& filterIndex)>;
    static TAskSaveFile& AskSaveFile();

    Ui::TSongInfoForm& Ui() { return *ui; }
    const QImage& ArtworkPicture() const { return FArtImage; }
    const QImage& SmallArtwork() const { return FSmallImage; }

protected:
    // The wrapped path takes the height of its lines once the window's width is known.
    void showEvent(QShowEvent* event) override;

private:
    const TArtItem* FindArtwork() const;
    void FitWrappedPath();
    bool ConfirmOverwrite(const std::string& fileName);

    std::unique_ptr<Ui::TSongInfoForm> ui;
    const TArtworkDBLoader* FArtwork;
    const TITBSongItem* FSong = nullptr;
    std::string FPath;
    QImage FSmallImage;
    QImage FArtImage;
    Bitmap32 FArtBitmap;
};

}  // namespace harrowin
