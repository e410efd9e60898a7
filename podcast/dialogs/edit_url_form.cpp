#include "podcast/dialogs/edit_url_form.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QToolButton>

#include "foundation/gui/message_box.h"
#include "foundation/gui/shell_open.h"
#include "foundation/number_format.h"
#include "ui_edit_url_form.h"

TEditURLForm::TEditURLForm(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TEditURLForm>()) {
    ui->setupUi(this);
    connect(ui->Button_Ok, &QPushButton::clicked, this, [this] { Button_CancelClick(1); });
    connect(ui->Button_Cancel, &QPushButton::clicked, this, [this] { Button_CancelClick(0); });
    connect(ui->Edit_name, &QLineEdit::textEdited, this, [this] { Edit_nameChange(); });
    connect(ui->SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
    connect(ui->InfoButton, &QPushButton::clicked, this, [this] { InfoButtonClick(); });
    ui->Edit_name->installEventFilter(this);
    ui->Edit_URL->installEventFilter(this);
}

TEditURLForm::~TEditURLForm() = default;

void TEditURLForm::Button_CancelClick(int tag) {
    if (tag == 1 && NameTaken) {
        const std::string name = ui->Edit_name->text().toStdString();
        if (NameTaken(name)) {
            ShowMessage(this, Format(kFeedNameTaken, {name}));
            ui->Edit_name->setFocus();
            return;
        }
    }
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

void TEditURLForm::InfoButtonClick() {
    if (OnSiteInfo) OnSiteInfo();
}

bool TEditURLForm::eventFilter(QObject* watched, QEvent* event) {
    // Enter in either edit box is swallowed and presses OK.
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (ui->Button_Ok->isEnabled()) ui->Button_Ok->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
