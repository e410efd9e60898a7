#include "desktop/dialogs/schedule_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSlider>
#include <QTimeEdit>
#include <QToolButton>
#include <cstdio>

#include "foundation/gui/window_size.h"
#include "foundation/number_format.h"
#include "ui_schedule_form.h"

namespace harrowin {

QDate PickerDate(TDateTime Value) {
    const TDateParts p = DecodeDateTime(Value);
    return QDate(p.year, p.month, p.day);
}

QTime PickerTime(TDateTime Value) {
    const TDateParts p = DecodeDateTime(Value);
    return QTime(p.hour, p.minute, p.second);
}

TDateTime DateValue(const QDate& Date) { return EncodeDate(Date.year(), Date.month(), Date.day()); }

TDateTime TimeValue(const QTime& Time) { return EncodeTime(Time.hour(), Time.minute(), Time.second()); }

std::string VCalText(const QDate& Date, const QTime& Time) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d%02d%02dT%02d%02d00", Date.year(), Date.month(), Date.day(), Time.hour(),
                  Time.minute());
    return buffer;
}

void SetPicker(QDateEdit* Picker, TDateTime Value) { Picker->setDate(PickerDate(Value)); }
void SetPicker(QTimeEdit* Picker, TDateTime Value) { Picker->setTime(PickerTime(Value)); }

TScheduleForm::TScheduleForm(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TScheduleForm>()) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    ComboBox_Summary = ui->ComboBox_Summary;
    Edit_Description = ui->Edit_Description;
    ComboBox_Category = ui->ComboBox_Category;
    ComboBox_Class = ui->ComboBox_Class;
    TrackBar_Priority = ui->TrackBar_Priority;
    Label_Priority = ui->Label_Priority;
    DatePick_Start = ui->DatePick_Start;
    TimePick_Start = ui->TimePick_Start;
    CheckBox_EndTime = ui->CheckBox_EndTime;
    DatePick_End = ui->DatePick_End;
    TimePick_End = ui->TimePick_End;
    CheckBox_UseAlarm = ui->CheckBox_UseAlarm;
    DatePick_Alarm = ui->DatePick_Alarm;
    TimePick_Alarm = ui->TimePick_Alarm;
    SButton_EndCopy = ui->SButton_EndCopy;
    SButton_AlarmCopy = ui->SButton_AlarmCopy;
    Button_Ok = ui->Button_Ok;
    Button_Cancel = ui->Button_Cancel;
    // The morning/afternoon mark in Japanese, whatever the desktop's language.
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    for (QWidget* picker : std::initializer_list<QWidget*>{DatePick_Start, TimePick_Start, DatePick_End, TimePick_End,
                                                           DatePick_Alarm, TimePick_Alarm}) {
        picker->setLocale(japanese);
    }
    // The combo boxes start with empty texts, as edit fields do.
    for (QComboBox* box : {ComboBox_Summary, ComboBox_Category, ComboBox_Class}) box->setCurrentIndex(-1);
    connect(TrackBar_Priority, &QSlider::valueChanged, this, [this] { TrackBar_PriorityChange(); });
    connect(SButton_EndCopy, &QToolButton::clicked, this, [this] { SButton_EndCopyClick(0); });
    connect(SButton_AlarmCopy, &QToolButton::clicked, this, [this] { SButton_EndCopyClick(1); });
    connect(Button_Ok, &QPushButton::clicked, this, [this] { Button_OkClick(1); });
    connect(Button_Cancel, &QPushButton::clicked, this, [this] { Button_OkClick(0); });
    adjustSize();
    KeepFixedSize(*this);
    FormCreate();
}

TScheduleForm::~TScheduleForm() = default;

void TScheduleForm::FormCreate() {
    SetAllPickers(Now());
    TrackBar_PriorityChange();
}

void TScheduleForm::SetAllPickers(TDateTime Value) {
    for (QDateEdit* d : {DatePick_Start, DatePick_End, DatePick_Alarm}) SetPicker(d, Value);
    for (QTimeEdit* t : {TimePick_Start, TimePick_End, TimePick_Alarm}) SetPicker(t, Value);
}

void TScheduleForm::TrackBar_PriorityChange() {
    Label_Priority->setText(QString::fromStdString(Format("現在の重要度は [ %d ] です", {TrackBar_Priority->value()})));
}

void TScheduleForm::SButton_EndCopyClick(int Tag) {
    if (Tag == 0) {
        DatePick_End->setDate(DatePick_Start->date());
        TimePick_End->setTime(TimePick_Start->time());
    } else if (Tag == 1) {
        DatePick_Alarm->setDate(DatePick_Start->date());
        TimePick_Alarm->setTime(TimePick_Start->time());
    }
}

void TScheduleForm::Button_OkClick(int Tag) {
    FOk = Tag == 1;
    if (FOk) accept();
    else reject();
}

void TScheduleForm::SetEvent(const TIpodVCal& Event) {
    ComboBox_Summary->setEditText(QString::fromStdString(Event.Summary));
    Edit_Description->setText(QString::fromStdString(Event.Description));
    ComboBox_Category->setEditText(QString::fromStdString(Event.Categories));
    ComboBox_Class->setEditText(QString::fromStdString(Event.Class));
    bool ok = false;
    const int priority = QString::fromStdString(Event.Priority).toInt(&ok);
    TrackBar_Priority->setValue(ok ? priority : 0);
    TrackBar_PriorityChange();
    SetPicker(DatePick_Start, VCalToDate(Event.DtStart));
    SetPicker(TimePick_Start, VCalToTime(Event.DtStart));
    SetPicker(DatePick_End, VCalToDate(Event.DtEnd));
    SetPicker(TimePick_End, VCalToTime(Event.DtEnd));
    CheckBox_EndTime->setChecked(!Event.DtEnd.empty());
    CheckBox_UseAlarm->setChecked(!Event.DAlarm.empty());
    if (!Event.DAlarm.empty()) {
        SetPicker(DatePick_Alarm, VCalToDate(Event.DAlarm));
        SetPicker(TimePick_Alarm, VCalToTime(Event.DAlarm));
    }
}

TIpodVCal TScheduleForm::GetEvent() const {
    TIpodVCal e;
    e.Flag = 0;
    e.Summary = ComboBox_Summary->currentText().toStdString();
    e.Description = Edit_Description->text().toStdString();
    e.Categories = ComboBox_Category->currentText().toStdString();
    e.Class = ComboBox_Class->currentText().toStdString();
    e.Priority = std::to_string(TrackBar_Priority->value());
    e.DtStart = VCalText(DatePick_Start->date(), TimePick_Start->time());
    if (CheckBox_EndTime->isChecked()) e.DtEnd = VCalText(DatePick_End->date(), TimePick_End->time());
    if (CheckBox_UseAlarm->isChecked()) e.DAlarm = VCalText(DatePick_Alarm->date(), TimePick_Alarm->time());
    return e;
}

}  // namespace harrowin
