// The calendar page: the event files of the player's calendars folder in a sortable report
// list and in a month view, with new, edit, delete, import and the removal of past events.
// Created and owned by the main window.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "desktop/pages/list_page.h"
#include "foundation/date_time.h"
#include "organiser/organiser_files.h"

class QAction;
class QCalendarWidget;
class QDateEdit;
class QLabel;
class QMenu;
class QPushButton;
class QTabWidget;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace harrowin {

class TScheduleForm;
namespace Ui {
class TSchedulePage;
}

class TSchedulePage : public TListPage {
    Q_OBJECT
public:
    TSchedulePage(TPageHost& host, QWidget* parent = nullptr);
    ~TSchedulePage() override;

    // Refills the list from the calendars folder; to-do files are left out. EConvertError from
    // a start that is no date-time ends the loading at that file.
    void LoadCalendarList();
    void LoadList() override { LoadCalendarList(); }
    TIpodVCal ReadEventFile(const std::string& FileName);
    void WriteEventFile(const TIpodVCal& Event, const std::string& FileName);
    // Runs the editor; FileName empty for a new event, DefaultDate 0 for none.
    void EditEvent(const std::string& FileName, TDateTime DefaultDate);
    bool DeleteEvents();
    // The removal of past events (the calendar page's tag 0 of the removal command).
    void RemovePastEvents();
    // The calendar commands by tag: 0 new, 1 edit, 2 delete, 4 new on the month grid's date.
    void Button_NewCalendarClick(int Tag);
    // The month-view commands by tag: 0 today, 1..3 the pickers' dates, 4 the grid's date.
    void SButton_Cal_SetGraphClick(int Tag);
    void SetCalendarDate(TDateTime Value);
    // Tag 0 next month, tag 1 previous month.
    void CalGraph_NextPrevClick(int Tag);

    void ImportFile(const std::string& path);
    void ImportCalendarFile(const std::string& FileName);
    void SButton_CalImportClick();

    // Entering the page shows the list sub-page and the month of today.
    void Enter() override;
    // Shows the list sub-page.
    void ShowListPage();
    // The month view to today.
    void ResetMonth();
    bool ListEmpty() const override;
    void ClearList();
    QWidget* FocusList() const override;
    std::string CalendarsFolder() const;
    // The month grid's date as a date-time (midnight).
    TDateTime GraphDate() const;

    QTabWidget* CalendarPages = nullptr;
    QTreeWidget* CalendarListView = nullptr;
    QPushButton* SButton_CalNew = nullptr;
    QPushButton* SButton_CalDel = nullptr;
    QPushButton* SButton_CalImport = nullptr;
    QCalendarWidget* CalendarGraph = nullptr;
    QDateEdit* Picker_Year = nullptr;
    QDateEdit* Picker_Month = nullptr;
    QDateEdit* Picker_Day = nullptr;
    QLabel* YearMonthLabel = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QToolButton* SpeedButton3 = nullptr;
    QPushButton* SButton_Cal_SetToday = nullptr;
    QPushButton* SpeedButton1 = nullptr;
    QMenu* PopupMenu_Calendar = nullptr;
    QAction* MenuItem1 = nullptr;
    QAction* MenuItem2 = nullptr;
    QAction* MenuItem4 = nullptr;
    QAction* MenuItem6 = nullptr;

    // Test seams: the open-file dialog (filter; "" when cancelled) and the editor's modal run.
    std::function<std::string(const QString& Filter)> OpenFileDialog;
    std::function<void(TScheduleForm& Form)> RunEditor;

private:
    // Moves the grid to the date (day, then month, then year), each step raising its change.
    void MoveGraph(int Year, int Month, int Day);

    std::unique_ptr<Ui::TSchedulePage> ui;
};

}  // namespace harrowin
