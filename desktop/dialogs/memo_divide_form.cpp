#include "desktop/dialogs/memo_divide_form.h"

#include <QPushButton>

#include "harrowin_work/settings.h"
#include "organiser/memo_divider.h"
#include "ui_memo_divide_form.h"

namespace harrowin {

TMemoDivideForm::TMemoDivideForm(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TMemoDivideForm>()) {
    ui->setupUi(this);
    FOk = false;
    connect(ui->Button_Ok, &QPushButton::clicked, this, [this] { Button_CancelClick(1); });
    connect(ui->Button_Cancel, &QPushButton::clicked, this, [this] { Button_CancelClick(0); });
}

TMemoDivideForm::~TMemoDivideForm() = default;

void TMemoDivideForm::Button_CancelClick(int tag) {
    FOk = tag == 1;
    if (FOk) {
        accept();
    } else {
        QDialog::reject();
    }
}

void TMemoDivideForm::reject() { Button_CancelClick(0); }

void TMemoDivideForm::LoadFrom(const TTolvIPodINI& settings, const std::string& title) {
    const auto& t = settings.TextDivide;
    ui->Edit_Title->setText(QString::fromStdString(title));
    ui->ComboBox_BaseType->setCurrentIndex(t.MakeDivMode >= 0 && t.MakeDivMode <= 3 ? t.MakeDivMode : -1);
    ui->SpinEdit_BaseSize->setValue(t.MakeWordSize);
    ui->CheckBox_NextLink->setChecked(t.MakeLink);
    ui->CheckBox_DelRuby->setChecked(t.MakeDelRuby);
    ui->CheckBox_Encode->setChecked(t.AddEncoded);
    ui->CheckBox_PageNo->setChecked(t.MakePageNo);
    ui->CheckBox_TitleAdd->setChecked(t.AddTitle);
    ui->CheckBox_CopyDir->setChecked(t.MakeFolder);
    ui->CheckBox_EveryOn->setChecked(t.EveryDisplay);
}

void TMemoDivideForm::StoreTo(TTolvIPodINI& settings) const {
    auto& t = settings.TextDivide;
    t.MakeLink = ui->CheckBox_NextLink->isChecked();
    t.MakeDelRuby = ui->CheckBox_DelRuby->isChecked();
    t.MakeDivMode = ui->ComboBox_BaseType->currentIndex();
    t.MakeWordSize = ui->SpinEdit_BaseSize->value();
    t.MakeFolder = ui->CheckBox_CopyDir->isChecked();
    t.MakePageNo = ui->CheckBox_PageNo->isChecked();
    t.AddEncoded = ui->CheckBox_Encode->isChecked();
    t.AddTitle = ui->CheckBox_TitleAdd->isChecked();
    t.EveryDisplay = ui->CheckBox_EveryOn->isChecked();
}

void TMemoDivideForm::ApplyTo(TTolvMemoDivider& divider) const {
    divider.FTitle = ui->Edit_Title->text().toStdString();
    divider.FCutType = ui->ComboBox_BaseType->currentIndex();
    divider.FPageSize = ui->SpinEdit_BaseSize->value();
    divider.FNextLink = ui->CheckBox_NextLink->isChecked();
    divider.FDelRuby = ui->CheckBox_DelRuby->isChecked();
    divider.FEncodeTag = ui->CheckBox_Encode->isChecked();
    divider.FPageNo = ui->CheckBox_PageNo->isChecked();
    divider.FTitleTag = ui->CheckBox_TitleAdd->isChecked();
    divider.FCopyDir = ui->CheckBox_CopyDir->isChecked();
}

}  // namespace harrowin
