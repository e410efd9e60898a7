#include "podcast/dialogs/config_form.h"

#include <QToolButton>

#include "foundation/gui/select_folder.h"
#include "foundation/paths.h"
#include "harrowincast_work/settings.h"
#include "ui_config_form.h"

namespace harrowincast {

TConfigForm::TConfigForm(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TConfigForm>()) {
    ui->setupUi(this);
    connect(ui->SButton_OpenFolder, &QToolButton::clicked, this, [this] { SButton_OpenFolderClick(); });
}

TConfigForm::~TConfigForm() = default;

void TConfigForm::LoadFrom(const TTolvIPodINI& ini) {
    ui->CheckBox_BoootAndUpdate->setChecked(ini.AutoUpdate);
    ui->SpinEdit_ColumnCount->setValue(ini.DeleteColumns);
    ui->CheckBox_DeleteOldColumns->setChecked(ini.DeleteFile);
    ui->CheckBox_QuitiTunes->setChecked(ini.QuitiTuunes);
    ui->CheckBox_NewItem->setChecked(ini.NewAndUpdate);
    ui->Edit_PlayListname->setText(QString::fromStdString(ini.PlayListName));
    ui->CheckBox_MakeAnys->setChecked(ini.MakeAnyLists);
    if (ini.SaveType != 0) {
        ui->RButton_Manual->setChecked(true);
    } else {
        ui->RButton_iTunes->setChecked(true);
    }
    ui->Edit_ManualSave->setText(QString::fromStdString(ini.SaveFolder));
}

void TConfigForm::SaveTo(TTolvIPodINI& ini) const {
    ini.AutoUpdate = ui->CheckBox_BoootAndUpdate->isChecked();
    ini.DeleteColumns = ui->SpinEdit_ColumnCount->value();
    ini.DeleteFile = ui->CheckBox_DeleteOldColumns->isChecked();
    ini.QuitiTuunes = ui->CheckBox_QuitiTunes->isChecked();
    ini.NewAndUpdate = ui->CheckBox_NewItem->isChecked();
    ini.PlayListName = ui->Edit_PlayListname->text().toStdString();
    ini.MakeAnyLists = ui->CheckBox_MakeAnys->isChecked();
    ini.SaveType = ui->RButton_Manual->isChecked() ? 1 : 0;
    ini.SaveFolder = ui->Edit_ManualSave->text().toStdString();
}

void TConfigForm::SButton_OpenFolderClick() {
    std::string folder = ui->Edit_ManualSave->text().toStdString();
    if (SelectFolder(folder, this))
        ui->Edit_ManualSave->setText(QString::fromStdString(TrimmedWithTrailingSlash(folder)));
}

}  // namespace harrowincast
