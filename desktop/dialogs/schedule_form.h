// The calendar-event editor: title, comment, category, class, priority 0 to 5, start, optional
// end and optional alarm. FOk tells whether the dialog was closed with OK. Also the few
// conversions between the pickers and the date-time values, shared by the organiser dialogs.
#pragma once

#include <QDate>
#include <QDialog>
#include <QTime>
#include <memory>
#include <string>

#include "foundation/date_time.h"
#include "organiser/organiser_files.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QTimeEdit;
class QToolButton;

namespace harrowin {

namespace Ui {
class TScheduleForm;
}

// The date part / time of day of a date-time value, and back.
QDate PickerDate(TDateTime Value);
QTime PickerTime(TDateTime Value);
TDateTime DateValue(const QDate& Date);
TDateTime TimeValue(const QTime& Time);
// 'yyyymmdd"T"' of the date + 'hhnn"00"' of the time (24-hour clock, seconds always "00").
std::string VCalText(const QDate& Date, const QTime& Time);
// Sets a date or time picker to a date-time value.
void SetPicker(QDateEdit* Picker, TDateTime Value);
void SetPicker(QTimeEdit* Picker, TDateTime Value);

class TScheduleForm : public QDialog {
    Q_OBJECT
public:
    explicit TScheduleForm(QWidget* parent = nullptr);
    ~TScheduleForm() override;

    // The six pickers to now; the priority caption.
    void FormCreate();
    void TrackBar_PriorityChange();
    // Tag 0: end := start; tag 1: alarm := start.
    void SButton_EndCopyClick(int Tag);
    void Button_OkClick(int Tag);
    // The raw texts are turned into picker values: EConvertError for a text that is no date-time.
    void SetEvent(const TIpodVCal& Event);
    TIpodVCal GetEvent() const;
    // All six pickers := the value.
    void SetAllPickers(TDateTime Value);

    bool FOk = false;
    QComboBox* ComboBox_Summary = nullptr;
    QLineEdit* Edit_Description = nullptr;
    QComboBox* ComboBox_Category = nullptr;
    QComboBox* ComboBox_Class = nullptr;
    QSlider* TrackBar_Priority = nullptr;
    QLabel* Label_Priority = nullptr;
    QDateEdit* DatePick_Start = nullptr;
    QTimeEdit* TimePick_Start = nullptr;
    QCheckBox* CheckBox_EndTime = nullptr;
    QDateEdit* DatePick_End = nullptr;
    QTimeEdit* TimePick_End = nullptr;
    QCheckBox* CheckBox_UseAlarm = nullptr;
    QDateEdit* DatePick_Alarm = nullptr;
    QTimeEdit* TimePick_Alarm = nullptr;
    QToolButton* SButton_EndCopy = nullptr;
    QToolButton* SButton_AlarmCopy = nullptr;
    QPushButton* Button_Ok = nullptr;
    QPushButton* Button_Cancel = nullptr;

private:
    std::unique_ptr<Ui::TScheduleForm> ui;
};

}  // namespace harrowin
