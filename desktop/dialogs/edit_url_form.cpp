#include "desktop/dialogs/edit_url_form.h"

#include <QPushButton>
#include <QToolButton>

#include "foundation/gui/shell_open.h"
#include "ui_edit_url_form.h"

TEditURLForm::TEditURLForm(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TEditURLForm>()) {
    ui->setupUi(this);
    // Addresses are typed in plain ASCII: no input method.
    ui->Edit_URL->setAttribute(Qt::WA_InputMethodEnabled, false);
    connect(ui->Button_Ok, &QPushButton::clicked, this, [this] { Button_CancelClick(1); });
    connect(ui->Button_Cancel, &QPushButton::clicked, this, [this] { Button_CancelClick(0); });
    connect(ui->Edit_name, &QLineEdit::textChanged, this, [this] { Edit_nameChange(); });
    connect(ui->SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
    Edit_nameChange();
}

TEditURLForm::~TEditURLForm() = default;

void TEditURLForm::Button_CancelClick(int tag) {
    FOk = tag == 1;
    if (FOk) {
        accept();
    } else {
        QDialog::reject();
    }
}

void TEditURLForm::reject() { Button_CancelClick(0); }

void TEditURLForm::Edit_nameChange() { ui->Button_Ok->setEnabled(!ui->Edit_name->text().isEmpty()); }

void TEditURLForm::SpeedButton1Click() { ShellOpen(ui->Edit_URL->text().toStdString()); }

bool EditSite(QWidget* owner, std::string& URL, std::string& Name) {
    TEditURLForm form(owner);
    form.ui->Edit_name->setText(QString::fromStdString(Name));
    form.ui->Edit_URL->setText(QString::fromStdString(URL));
    form.Edit_nameChange();
    form.exec();
    if (form.FOk) {
        Name = form.ui->Edit_name->text().toStdString();
        URL = form.ui->Edit_URL->text().toStdString();
    }
    return form.FOk;
}
