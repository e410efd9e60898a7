#include "desktop/dialogs/todo_form.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTimeEdit>

#include "desktop/dialogs/schedule_form.h"
#include "foundation/date_time.h"
#include "foundation/gui/window_size.h"
#include "ui_todo_form.h"

namespace harrowin {

TToDoForm::TToDoForm(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TToDoForm>()) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    ComboBox_Summary = ui->ComboBox_Summary;
    Edit_Description = ui->Edit_Description;
    DatePick_Start = ui->DatePick_Start;
    TimePick_Start = ui->TimePick_Start;
    Button_Ok = ui->Button_Ok;
    Button_Cancel = ui->Button_Cancel;
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    DatePick_Start->setLocale(japanese);
    TimePick_Start->setLocale(japanese);
    ComboBox_Summary->setCurrentIndex(-1);
    // A new task without a preset due date opens at the current date and time rather than at
    // whatever date the form was drawn with.
    const TDateTime now = Now();
    SetPicker(DatePick_Start, now);
    SetPicker(TimePick_Start, now);
    adjustSize();
    KeepFixedSize(*this);
}

TToDoForm::~TToDoForm() = default;

void TToDoForm::SetTask(const TVTodoObj& Task) {
    ComboBox_Summary->setEditText(QString::fromStdString(Task.Summary));
    Edit_Description->setText(QString::fromStdString(Task.Description));
    SetPicker(DatePick_Start, VCalToDate(Task.Due));
    SetPicker(TimePick_Start, VCalToTime(Task.Due));
}

TVTodoObj TToDoForm::GetTask() const {
    TVTodoObj task;
    task.Summary = ComboBox_Summary->currentText().toStdString();
    task.Description = Edit_Description->text().toStdString();
    task.Due = VCalText(DatePick_Start->date(), TimePick_Start->time());
    return task;
}

}  // namespace harrowin
