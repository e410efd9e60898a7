// The calendar page: the event list and the month view. Created and owned by the main window.
#pragma once

#include <QWidget>
#include <cstdint>
#include <string>

class QLabel;
class QProgressBar;
class QTabWidget;
class QTreeWidget;
class TMainForm;

class TSchedulePage : public QWidget {
    Q_OBJECT
public:
    TSchedulePage(TMainForm& main, QWidget* parent = nullptr);

    void LoadCalendarList();
    // Shows the list sub-page and resets the month view to today.
    void ShowListPage();
    void ResetMonth();
    // A dropped file imported as an event.
    void ImportFile(const std::string& path);
    bool ListEmpty() const;
    void ClearList();
    QWidget* FocusList() const;

    QTabWidget* CalendarPages = nullptr;
    QTreeWidget* CalendarListView = nullptr;

private:
    TMainForm& FMain;
};
