#include "foundation/windows/edit_url_form.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QToolButton>

#include "foundation/gui/message_box.h"
#include "foundation/gui/shell_open.h"
#include "foundation/names.h"
#include "foundation/number_format.h"
#include "ui_edit_url_form.h"

TEditURLForm::TEditURLForm(TEditURLLook look, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TEditURLForm>()) {
    ui->setupUi(this);
    ui->InfoButton->hide();
    if (look == TEditURLLook::NewsSite) ShowAsNewsSite();
    connect(ui->Button_Ok, &QPushButton::clicked, this, [this] { Button_CancelClick(1); });
    connect(ui->Button_Cancel, &QPushButton::clicked, this, [this] { Button_CancelClick(0); });
    connect(ui->Edit_name, &QLineEdit::textChanged, this, [this] { Edit_nameChange(); });
    connect(ui->SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
    connect(ui->InfoButton, &QPushButton::clicked, this, [this] { InfoButtonClick(); });
    ui->Edit_name->installEventFilter(this);
    ui->Edit_URL->installEventFilter(this);
    Edit_nameChange();
}

TEditURLForm::~TEditURLForm() = default;

void TEditURLForm::ShowAsNewsSite() {
    // The fields' grid leaves the group and becomes the window's own layout, the buttons its
    // last row: a window stealing a layout keeps the widgets and their tab order.
    ui->EditURLLayout->removeItem(ui->EditURLButtons);
    ui->EditURLButtons->setParent(nullptr);
    delete ui->EditURLLayout;
    ui->EditURLLayout = nullptr;
    setLayout(ui->GroupLayout);
    ui->GroupLayout->addLayout(ui->EditURLButtons, 2, 0, 1, 3);
    delete ui->GroupBox1;
    ui->GroupBox1 = nullptr;

    ui->Label1->setText("サイト名");
    ui->Label2->setText("URL");
    ui->SpeedButton1->setText("サイトを見る");
    for (QWidget* w : {static_cast<QWidget*>(ui->Edit_name), static_cast<QWidget*>(ui->Edit_URL),
                       static_cast<QWidget*>(ui->SpeedButton1)})
        w->setToolTip(QString());
    ui->Edit_URL->setText("http://");
    // Addresses are typed in plain ASCII: no input method.
    ui->Edit_URL->setAttribute(Qt::WA_InputMethodEnabled, false);
    resize(420, 130);
}

void TEditURLForm::SetSiteInfo(std::function<void()> onSiteInfo, bool enabled) {
    OnSiteInfo = std::move(onSiteInfo);
    ui->InfoButton->setEnabled(enabled);
    ui->InfoButton->show();
}

bool TEditURLForm::Edit(std::string& URL, std::string& Name) {
    ui->Edit_name->setText(QString::fromStdString(Name));
    ui->Edit_URL->setText(QString::fromStdString(URL));
    Edit_nameChange();
    exec();
    if (FOk) {
        Name = EnteredName(ui->Edit_name->text().toStdString());
        URL = ui->Edit_URL->text().toStdString();
    }
    return FOk;
}

void TEditURLForm::Button_CancelClick(int tag) {
    if (tag == 1 && NameTaken) {
        const std::string name = EnteredName(ui->Edit_name->text().toStdString());
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

void TEditURLForm::Edit_nameChange() {
    ui->Button_Ok->setEnabled(!EnteredName(ui->Edit_name->text().toStdString()).empty());
}

void TEditURLForm::SpeedButton1Click() { ShellOpen(ui->Edit_URL->text().toStdString(), this); }

void TEditURLForm::InfoButtonClick() {
    if (OnSiteInfo) OnSiteInfo();
}

bool TEditURLForm::eventFilter(QObject* watched, QEvent* event) {
    // Enter in either edit box is swallowed and presses OK (when it is offered).
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (ui->Button_Ok->isEnabled()) ui->Button_Ok->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
