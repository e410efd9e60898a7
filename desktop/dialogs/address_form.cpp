#include "desktop/dialogs/address_form.h"

#include <QAction>
#include <QHeaderView>
#include <QInputDialog>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>

#include "foundation/gui/window_size.h"
#include "ui_address_form.h"

namespace harrowin {

namespace {

// The rows in display order and the record field each one shows.
struct TContactRow {
    const char* Caption;
    std::string TIpodVCF::*Field;
};
const TContactRow kRows[12] = {
    {"名前", &TIpodVCF::N},
    {"フルネーム", &TIpodVCF::FN},
    {"役職", &TIpodVCF::Title},
    {"所属", &TIpodVCF::Org},
    {"携帯電話番号", &TIpodVCF::TelCell},
    {"会社電話番号", &TIpodVCF::TelWork},
    {"自宅電話番号", &TIpodVCF::TelHome},
    {"メールアドレス", &TIpodVCF::Email},
    {"URL", &TIpodVCF::Url},
    {"会社住所", &TIpodVCF::AdrWork},
    {"自宅住所", &TIpodVCF::AdrHome},
    {"コメント", &TIpodVCF::Note},
};

}  // namespace

TAddressForm::TAddressForm(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TAddressForm>()) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    KeepFixedSize(*this);
    DataListView = ui->DataListView;
    Button_Edit = ui->Button_Edit;
    Button_OK = ui->Button_OK;
    Button_Cancel = ui->Button_Cancel;
    DataListView->header()->setSectionsClickable(false);
    DataListView->header()->setStretchLastSection(true);
    DataListView->setColumnWidth(0, 80);
    for (const TContactRow& row : kRows) {
        new QTreeWidgetItem(DataListView, QStringList{QString::fromUtf8(row.Caption), QString()});
    }
    PopupMenu_edit = new QMenu(this);
    PopupMenu_edit->setObjectName("PopupMenu_edit");
    Edit1 = PopupMenu_edit->addAction("編集(&E)");
    Edit1->setObjectName("Edit1");
    connect(Edit1, &QAction::triggered, this, [this] { Button_EditClick(); });
    connect(DataListView, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { PopupMenu_edit->popup(DataListView->viewport()->mapToGlobal(p)); });
    connect(DataListView, &QTreeWidget::itemDoubleClicked, this, [this] { Button_EditClick(); });
    connect(Button_Edit, &QPushButton::clicked, this, [this] { Button_EditClick(); });
    connect(Button_OK, &QPushButton::clicked, this, [this] { Button_OKClick(Button_OK); });
    connect(Button_Cancel, &QPushButton::clicked, this, [this] { Button_OKClick(Button_Cancel); });
}

TAddressForm::~TAddressForm() = default;

void TAddressForm::SetContact(const TIpodVCF& Contact) {
    for (int i = 0; i < 12; ++i) {
        DataListView->topLevelItem(i)->setText(1, QString::fromStdString(Contact.*kRows[i].Field));
    }
}

TIpodVCF TAddressForm::GetContact() const {
    TIpodVCF contact;
    for (int i = 0; i < 12; ++i) contact.*kRows[i].Field = DataListView->topLevelItem(i)->text(1).toStdString();
    return contact;
}

void TAddressForm::Button_EditClick() {
    QTreeWidgetItem* row = DataListView->currentItem();
    if (!row || !row->isSelected()) return;
    const QString caption = row->text(0) + " の編集";
    const QString prompt = "テキストを入力してください";
    QString text = row->text(1);
    bool ok = false;
    if (InputQuery) {
        ok = InputQuery(caption, prompt, text);
    } else {
        text = QInputDialog::getText(this, caption, prompt, QLineEdit::Normal, text, &ok);
    }
    if (ok) row->setText(1, text);
}

void TAddressForm::Button_OKClick(QObject* Sender) {
    FOk = Sender && Sender->property("tag").toInt() == 1;
    if (FOk) accept();
    else reject();
}

}  // namespace harrowin
