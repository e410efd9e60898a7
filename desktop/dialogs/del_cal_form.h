// The removal of past calendar events and expired to-do items: the dialog that takes the base
// date and time, and the command shared by the calendar and to-do pages.
#pragma once

#include <QDialog>
#include <memory>

#include "foundation/date_time.h"

class QDateEdit;
class QPushButton;
class QTimeEdit;
class QTreeWidget;

namespace harrowin {

class TPageHost;
namespace Ui {
class TDelCalForm;
}

class TDelCalForm : public QDialog {
    Q_OBJECT
public:
    explicit TDelCalForm(QWidget* parent = nullptr);
    ~TDelCalForm() override;

    void Button_OKClick(QObject* Sender);
    void SButton_SetNowClick();
    // Whole days of the date picker + the time of day of the time picker.
    TDateTime BaseDateTime() const;

    bool FOk = false;
    QDateEdit* DatePick = nullptr;
    QTimeEdit* TimePick = nullptr;
    QPushButton* SButton_SetNow = nullptr;
    QPushButton* Button_OK = nullptr;
    QPushButton* Button1 = nullptr;

private:
    std::unique_ptr<Ui::TDelCalForm> ui;
};

// Shows the dialog with both pickers at now; true when closed with OK, Base := its value.
bool AskBaseDate(QWidget* Parent, TDateTime& Base);
// The command of the calendar page's button (tag 0) and the to-do page's (tag 1) over that
// page's list: asks the base, collects the rows of the list that started before it, asks once
// and deletes their files, then reloads the list.
void SButton_CalDelClick(TPageHost& Host, const QTreeWidget& List, int Tag);

}  // namespace harrowin
