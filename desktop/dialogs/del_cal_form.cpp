#include "desktop/dialogs/del_cal_form.h"

#include <QDateEdit>
#include <QLocale>
#include <QPushButton>
#include <QTimeEdit>
#include <QTreeWidget>
#include <cmath>

#include "desktop/dialogs/schedule_form.h"
#include "desktop/page_helpers.h"
#include "desktop/page_host.h"
#include "foundation/errors.h"
#include "foundation/gui/message_box.h"
#include "foundation/gui/window_size.h"
#include "foundation/number_format.h"
#include "harrowin_work/past_entries.h"
#include "harrowin_work/player_access.h"
#include "ui_del_cal_form.h"

namespace harrowin {

TDelCalForm::TDelCalForm(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TDelCalForm>()) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    DatePick = ui->DatePick;
    TimePick = ui->TimePick;
    SButton_SetNow = ui->SButton_SetNow;
    Button_OK = ui->Button_OK;
    Button1 = ui->Button1;
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    DatePick->setLocale(japanese);
    TimePick->setLocale(japanese);
    connect(SButton_SetNow, &QPushButton::clicked, this, [this] { SButton_SetNowClick(); });
    connect(Button_OK, &QPushButton::clicked, this, [this] { Button_OKClick(Button_OK); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button_OKClick(Button1); });
    adjustSize();
    KeepFixedSize(*this);
}

TDelCalForm::~TDelCalForm() = default;

void TDelCalForm::Button_OKClick(QObject* Sender) {
    FOk = Sender && Sender->property("tag").toInt() == 1;
    if (FOk) accept();
    else reject();
}

void TDelCalForm::SButton_SetNowClick() {
    const TDateTime now = Now();
    SetPicker(DatePick, now);
    SetPicker(TimePick, now);
}

TDateTime TDelCalForm::BaseDateTime() const { return DateValue(DatePick->date()) + TimeValue(TimePick->time()); }

bool AskBaseDate(QWidget* Parent, TDateTime& Base) {
    TDelCalForm form(Parent);
    form.SButton_SetNowClick();
    form.exec();
    Base = form.BaseDateTime();
    return form.FOk;
}

void SButton_CalDelClick(TPageHost& Host, const QTreeWidget& List, int Tag) {
    QWidget* const parent = Host.DialogParent();
    try {
        TDateTime base = 0;
        if (!AskBaseDate(parent, base)) return;
        const char* question = nullptr;
        TListKind kind = TListKind::Calendar;
        if (Tag == 0) {
            question = "%d 個のスケジュールが既に経過済みです。削除してもよろしいですか？";
        } else if (Tag == 1) {
            question = "%d 個のタスクが既に経過済みです。削除してもよろしいですか？";
            kind = TListKind::ToDo;
        } else {
            return;
        }
        // The rows in the order the list shows them: the raw start (column 1) and the file name
        // (column 4).
        std::vector<TPastEntryRow> rows;
        for (int i = 0; i < List.topLevelItemCount(); ++i) {
            const QTreeWidgetItem* row = List.topLevelItem(i);
            rows.push_back({row->text(1).toStdString(), RowFile(*row, 4)});
        }
        std::vector<std::string> names;
        if (!CollectPastEntries(names, rows, base)) return;
        TMessageRequest request;
        request.Text = Format(question, {static_cast<int64_t>(names.size())});
        request.Icon = TMsgIcon::Warning;
        request.Buttons = TMsgButtons::OkCancel;
        if (MessageBox(parent, request) != TMsgResult::Ok) return;
        DeleteListedFiles(CheckerOf(Host.Player()).CalendarsPath, names,
                          [parent](const std::string&) { ShowMessage(parent, "ファイルの削除に失敗しました"); });
        Host.LoadTabList(kind);
    } catch (const ETolvError& e) {
        ShowMessage(parent, e.Message());
    }
}

}  // namespace harrowin
