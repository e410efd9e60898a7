#include "desktop/dialogs/photo_copy_form.h"

#include <QPushButton>
#include <QRadioButton>

#include "desktop/dialogs/song_copy_form.h"
#include "foundation/gui/select_folder.h"
#include "foundation/gui/window_size.h"
#include "foundation/paths.h"
#include "harrowin_work/song_copy.h"
#include "ui_photo_copy_form.h"

namespace harrowin {

TPhotoCopyForm::TPhotoCopyForm(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TPhotoCopyForm>()) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    KeepFixedSize(*this);
    connect(ui->Edit_Folder, &QLineEdit::textChanged, this, [this] { Edit_FolderChange(); });
    connect(ui->SButton_OpenFolder, &QPushButton::clicked, this, [this] { SButton_OpenFolderClick(); });
    connect(ui->OkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->CloseButton, &QPushButton::clicked, this, &QDialog::reject);
    Edit_FolderChange();
}

TPhotoCopyForm::~TPhotoCopyForm() = default;

void TPhotoCopyForm::Edit_FolderChange() {
    // The same check as the song copy dialog, through its free-space source.
    const TFolderCheck check =
        CheckCopyFolder(ui->Edit_Folder->text().toStdString(), TSongCopyCfgForm::FreeBytesSource());
    ui->OkButton->setEnabled(check.OkEnabled);
    ui->Label_DirCheck->setText(QString::fromStdString(check.Text));
}

void TPhotoCopyForm::SButton_OpenFolderClick() {
    std::string folder = ui->Edit_Folder->text().toStdString();
    if (SelectFolder(folder, this)) ui->Edit_Folder->setText(QString::fromStdString(TrimmedWithTrailingSlash(folder)));
}

int32_t TPhotoCopyForm::TypeIndex() const {
    if (ui->RGroup_Type_0->isChecked()) return 0;
    if (ui->RGroup_Type_1->isChecked()) return 1;
    return -1;
}

void TPhotoCopyForm::SetTypeIndex(int32_t index) {
    QRadioButton* buttons[2] = {ui->RGroup_Type_0, ui->RGroup_Type_1};
    for (int i = 0; i < 2; ++i) {
        buttons[i]->setAutoExclusive(false);
        buttons[i]->setChecked(i == index);
        buttons[i]->setAutoExclusive(true);
    }
}

}  // namespace harrowin
