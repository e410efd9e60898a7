// The copy settings dialog of the song and video pages: the target folder (with its check
// of the volume and free space), the sub-folder and naming options and the import list.
#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QAbstractButton;

namespace harrowin {

class TTolvIPodINI;
namespace Ui {
class TSongCopyCfgForm;
}

class TSongCopyCfgForm : public QDialog {
    Q_OBJECT
public:
    explicit TSongCopyCfgForm(QWidget* parent = nullptr);
    ~TSongCopyCfgForm() override;

    // Controls from the SongCopy or VideoCopy settings, and back after OK (the folder with a
    // trailing "/"). The video form has its own captions and no track-number option.
    void LoadSongSettings(const TTolvIPodINI& settings);
    void StoreSongSettings(TTolvIPodINI& settings) const;
    void LoadVideoSettings(const TTolvIPodINI& settings);
    void StoreVideoSettings(TTolvIPodINI& settings) const;

    void FolderCheck();  // FormCreate and Edit_FolderChange
    void Edit_FolderChange() { FolderCheck(); }
    void SButton_OpenFolderClick();
    void Button_OkClick(QAbstractButton* sender);

    bool FOk = false;
    Ui::TSongCopyCfgForm& Ui() { return *ui; }

    // Test seam: the free bytes of the volume of an existing folder (default: statvfs).
    static std::function<int64_t(const std::string& folder)>& FreeBytesSource();

private:
    int32_t NameType() const;
    void SetNameType(int32_t type);

    std::unique_ptr<Ui::TSongCopyCfgForm> ui;
};

// AskSongCopySettings / AskVideoCopySettings: the dialog over parent; true when closed with
// OK (the settings then hold the dialog's values).
bool AskSongCopySettings(QWidget* parent, TTolvIPodINI& settings);
bool AskVideoCopySettings(QWidget* parent, TTolvIPodINI& settings);

}  // namespace harrowin
