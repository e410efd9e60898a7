#include "desktop/dialogs/song_copy_form.h"

#include <QPushButton>
#include <filesystem>

#include "foundation/drives.h"
#include "foundation/gui/message_box.h"
#include "foundation/gui/select_folder.h"
#include "foundation/gui/window_size.h"
#include "foundation/paths.h"
#include "harrowin_work/settings.h"
#include "harrowin_work/song_copy.h"
#include "ui_song_copy_form.h"

namespace harrowin {

namespace {

std::string Text(const QString& s) { return s.toStdString(); }

}  // namespace

std::function<int64_t(const std::string& folder)>& TSongCopyCfgForm::FreeBytesSource() {
    static std::function<int64_t(const std::string&)> source = [](const std::string& folder) {
        int64_t free = 0, used = 0, total = 0;
        GetDiskSpace(folder, free, used, total);
        return free;
    };
    return source;
}

TSongCopyCfgForm::TSongCopyCfgForm(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TSongCopyCfgForm>()) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    KeepFixedSize(*this);
    connect(ui->Edit_Folder, &QLineEdit::textChanged, this, [this] { Edit_FolderChange(); });
    connect(ui->SButton_OpenFolder, &QPushButton::clicked, this, [this] { SButton_OpenFolderClick(); });
    connect(ui->Button_Ok, &QPushButton::clicked, this, [this] { Button_OkClick(ui->Button_Ok); });
    connect(ui->Button_Cancel, &QPushButton::clicked, this, [this] { Button_OkClick(ui->Button_Cancel); });
    FolderCheck();
}

TSongCopyCfgForm::~TSongCopyCfgForm() = default;

int32_t TSongCopyCfgForm::NameType() const {
    if (ui->RadioButton_FixName0->isChecked()) return 0;
    if (ui->RadioButton_FixName1->isChecked()) return 1;
    if (ui->RadioButton_FixName2->isChecked()) return 2;
    return -1;
}

void TSongCopyCfgForm::SetNameType(int32_t type) {
    QRadioButton* buttons[3] = {ui->RadioButton_FixName0, ui->RadioButton_FixName1, ui->RadioButton_FixName2};
    for (int i = 0; i < 3; ++i) {
        buttons[i]->setAutoExclusive(false);
        buttons[i]->setChecked(i == type);
        buttons[i]->setAutoExclusive(true);
    }
}

void TSongCopyCfgForm::LoadSongSettings(const TTolvIPodINI& s) {
    ui->Edit_Folder->setText(QString::fromStdString(s.SongCopy.Folder));
    ui->CheckBox_MkDirArtist->setChecked(s.SongCopy.MakeFolder_Artist);
    ui->CheckBox_MkDirAlbum->setChecked(s.SongCopy.MakeFolder_Album);
    ui->CheckBox_AddTrackNo->setChecked(s.SongCopy.AddTrackNo);
    ui->CheckBox_MkImportData->setChecked(s.SongCopy.MakeLibraryData);
    SetNameType(s.SongCopy.MakingNameType);
}

void TSongCopyCfgForm::StoreSongSettings(TTolvIPodINI& s) const {
    s.SongCopy.Folder = WithTrailingSlash(Text(ui->Edit_Folder->text()));
    s.SongCopy.MakeFolder_Artist = ui->CheckBox_MkDirArtist->isChecked();
    s.SongCopy.MakeFolder_Album = ui->CheckBox_MkDirAlbum->isChecked();
    s.SongCopy.AddTrackNo = ui->CheckBox_AddTrackNo->isChecked();
    s.SongCopy.MakeLibraryData = ui->CheckBox_MkImportData->isChecked();
    s.SongCopy.MakingNameType = NameType();
}

void TSongCopyCfgForm::LoadVideoSettings(const TTolvIPodINI& s) {
    setWindowTitle("ビデオデータの取り出し");
    ui->GroupBox1->setTitle("ビデオデータの取り出し詳細設定");
    ui->CheckBox_AddTrackNo->setEnabled(false);
    ui->Edit_Folder->setText(QString::fromStdString(s.VideoCopy.VideoFolder));
    ui->CheckBox_MkDirArtist->setChecked(s.VideoCopy.MakeArtistFolder);
    ui->CheckBox_MkDirAlbum->setChecked(s.VideoCopy.MakeAlbumFolder);
    ui->CheckBox_MkImportData->setChecked(s.VideoCopy.MakeImportFile);
    SetNameType(s.VideoCopy.MakeType);
}

void TSongCopyCfgForm::StoreVideoSettings(TTolvIPodINI& s) const {
    s.VideoCopy.VideoFolder = WithTrailingSlash(Text(ui->Edit_Folder->text()));
    s.VideoCopy.MakeArtistFolder = ui->CheckBox_MkDirArtist->isChecked();
    s.VideoCopy.MakeAlbumFolder = ui->CheckBox_MkDirAlbum->isChecked();
    s.VideoCopy.MakeImportFile = ui->CheckBox_MkImportData->isChecked();
    s.VideoCopy.MakeType = NameType();
}

void TSongCopyCfgForm::FolderCheck() {
    const TFolderCheck check = CheckCopyFolder(Text(ui->Edit_Folder->text()), FreeBytesSource());
    ui->Button_Ok->setEnabled(check.OkEnabled);
    ui->Label_DirCheck->setText(QString::fromStdString(check.Text));
}

void TSongCopyCfgForm::SButton_OpenFolderClick() {
    std::string folder = Text(ui->Edit_Folder->text());
    if (SelectFolder(folder, this)) ui->Edit_Folder->setText(QString::fromStdString(TrimmedWithTrailingSlash(folder)));
}

void TSongCopyCfgForm::Button_OkClick(QAbstractButton* sender) {
    FOk = sender && sender->property("tag").toInt() == 1;
    if (FOk) {
        const std::string text = Text(ui->Edit_Folder->text());
        std::error_code ec;
        if (!std::filesystem::is_directory(text, ec)) {
            if (ConfirmWarning(this, "フォルダ[ " + text + " ]は存在しません。作成してもよろしいですか？")) {
                std::filesystem::create_directories(text, ec);
            }
        }
    }
    // The OK button closes with the flag set even after No: the copy makes the folder itself.
    done(FOk ? QDialog::Accepted : QDialog::Rejected);
}

bool AskSongCopySettings(QWidget* parent, TTolvIPodINI& settings) {
    TSongCopyCfgForm form(parent);
    form.LoadSongSettings(settings);
    form.exec();
    if (form.FOk) form.StoreSongSettings(settings);
    return form.FOk;
}

bool AskVideoCopySettings(QWidget* parent, TTolvIPodINI& settings) {
    TSongCopyCfgForm form(parent);
    form.LoadVideoSettings(settings);
    form.exec();
    if (form.FOk) form.StoreVideoSettings(settings);
    return form.FOk;
}

}  // namespace harrowin
