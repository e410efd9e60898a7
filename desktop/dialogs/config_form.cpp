#include "desktop/dialogs/config_form.h"

#include <climits>
#include <filesystem>

#include "foundation/drives.h"
#include "foundation/gui/message_box.h"
#include "foundation/gui/window_size.h"
#include "harrowin_work/settings.h"
#include "ui_config_form.h"

namespace harrowin {

TConfigForm::TConfigForm(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TConfigForm>()) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    KeepFixedSize(*this);
    ui->SpinEdit_BaseSize->setRange(INT_MIN, INT_MAX);  // no limit: any whole number is stored
    // The drive is stored exactly as typed: inline completion would turn a typed prefix into
    // the first listed root that starts with it.
    ui->ComboBox_Drive->setCompleter(nullptr);
    connect(ui->Button2, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->Button1, &QPushButton::clicked, this, &QDialog::reject);
    FillDriveList();
}

TConfigForm::~TConfigForm() = default;

void TConfigForm::FillDriveList() {
    ui->ComboBox_Drive->clear();
    std::vector<std::string> roots;
    try {
        roots = DriveRootList(GetMountedVolumes());
    } catch (const std::exception&) {
        return;
    }
    for (const std::string& root : roots) {
        try {
            std::error_code ec;
            const bool exists = std::filesystem::is_directory(root, ec);
            if (ec && ec != std::errc::no_such_file_or_directory) throw std::filesystem::filesystem_error("", ec);
            if (exists) ui->ComboBox_Drive->addItem(QString::fromStdString(root));
        } catch (const std::exception&) {
            ShowMessage(this, "ドライブ[ " + root + " ]の存在チェックに失敗しました（Exception）");
        }
    }
    ui->ComboBox_Drive->setCurrentIndex(-1);
}

void TConfigForm::LoadFrom(const TTolvIPodINI& s) {
    ui->ConfigPages->setCurrentIndex(0);
    ui->ChkBox_DriveLock->setChecked(s.Recognize.MakeFolder);
    // The fixed folder is offered with the drives when it exists, unless it is one of them.
    const QString fixed = QString::fromStdString(s.Recognize.DriveLockPath);
    std::error_code ec;
    if (!fixed.isEmpty() && std::filesystem::is_directory(s.Recognize.DriveLockPath, ec) &&
        ui->ComboBox_Drive->findText(fixed, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0)
        ui->ComboBox_Drive->addItem(fixed);
    ui->ComboBox_Drive->setCurrentIndex(-1);
    ui->ComboBox_Drive->setEditText(fixed);
    ui->Edit_NewsFolder->setText(QString::fromStdString(s.Internet.SaveFolder));
    ui->CheckBox_RSS_AddDate->setChecked(s.Internet.AddRSSDate);
    ui->CheckBox_RSS_AddURL->setChecked(s.Internet.AddRSSURL);
    ui->ChkBox_NewsAutoUpload->setChecked(s.Internet.AutoDownLoad);
    ui->CheckBox_PageNo->setChecked(s.TextDivide.MakePageNo);
    ui->CheckBox_CopyDir->setChecked(s.TextDivide.MakeFolder);
    ui->CheckBox_NextLink->setChecked(s.TextDivide.MakeLink);
    ui->CheckBox_TitleAdd->setChecked(s.TextDivide.AddTitle);
    ui->SpinEdit_BaseSize->setValue(s.TextDivide.MakeWordSize);
    ui->CheckBox_DelRuby->setChecked(s.TextDivide.MakeDelRuby);
    ui->CheckBox_Encode->setChecked(s.TextDivide.AddEncoded);
    ui->CheckBox_MemDivEveryOn->setChecked(s.TextDivide.EveryDisplay);
}

void TConfigForm::StoreTo(TTolvIPodINI& s) const {
    s.Recognize.MakeFolder = ui->ChkBox_DriveLock->isChecked();
    s.Recognize.DriveLockPath = ui->ComboBox_Drive->currentText().toStdString();
    s.Internet.SaveFolder = ui->Edit_NewsFolder->text().toStdString();
    s.Internet.AddRSSDate = ui->CheckBox_RSS_AddDate->isChecked();
    s.Internet.AddRSSURL = ui->CheckBox_RSS_AddURL->isChecked();
    s.Internet.AutoDownLoad = ui->ChkBox_NewsAutoUpload->isChecked();
    s.TextDivide.MakePageNo = ui->CheckBox_PageNo->isChecked();
    s.TextDivide.MakeFolder = ui->CheckBox_CopyDir->isChecked();
    s.TextDivide.MakeLink = ui->CheckBox_NextLink->isChecked();
    s.TextDivide.AddTitle = ui->CheckBox_TitleAdd->isChecked();
    s.TextDivide.MakeWordSize = ui->SpinEdit_BaseSize->value();
    s.TextDivide.MakeDelRuby = ui->CheckBox_DelRuby->isChecked();
    s.TextDivide.AddEncoded = ui->CheckBox_Encode->isChecked();
    s.TextDivide.EveryDisplay = ui->CheckBox_MemDivEveryOn->isChecked();
}

}  // namespace harrowin
