#include "desktop/pages/schedule_page.h"

#include <QLabel>
#include <QProgressBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "desktop/main_form.h"

TSchedulePage::TSchedulePage(TMainForm& main, QWidget* parent) : QWidget(parent), FMain(main) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    CalendarPages = new QTabWidget(this);
    CalendarPages->setObjectName("CalendarPages");
    layout->addWidget(CalendarPages);
    CalendarListView = new QTreeWidget(CalendarPages);
    CalendarListView->setObjectName("CalendarListView");
    CalendarPages->addTab(CalendarListView, "リスト");
}

void TSchedulePage::LoadCalendarList() {}
void TSchedulePage::ShowListPage() { CalendarPages->setCurrentIndex(0); }
void TSchedulePage::ResetMonth() {}
void TSchedulePage::ImportFile(const std::string&) {}
bool TSchedulePage::ListEmpty() const { return CalendarListView->topLevelItemCount() == 0; }
void TSchedulePage::ClearList() { CalendarListView->clear(); }
QWidget* TSchedulePage::FocusList() const { return CalendarListView; }
