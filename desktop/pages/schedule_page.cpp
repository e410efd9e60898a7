#include "desktop/pages/schedule_page.h"

#include <QAction>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTextCharFormat>
#include <QToolButton>
#include <QTreeWidget>
#include <algorithm>

#include "desktop/dialogs/del_cal_form.h"
#include "desktop/dialogs/schedule_form.h"
#include "desktop/imports.h"
#include "desktop/page_helpers.h"
#include "desktop/page_host.h"
#include "desktop/report_list_sort.h"
#include "foundation/errors.h"
#include "foundation/gui/message_box.h"
#include "foundation/paths.h"
#include "harrowin_work/language_table.h"
#include "harrowin_work/past_entries.h"
#include "harrowin_work/player_access.h"
#include "ui_schedule_page.h"

namespace harrowin {

namespace {

constexpr int kListTag = 1;

}  // namespace

TSchedulePage::TSchedulePage(TPageHost& host, QWidget* parent)
    : TListPage(host, TListKind::Calendar, parent), ui(std::make_unique<Ui::TSchedulePage>()) {
    ui->setupUi(this);
    CalendarPages = ui->CalendarPages;
    CalendarListView = ui->CalendarListView;
    SButton_CalNew = ui->SButton_CalNew;
    SButton_CalDel = ui->SButton_CalDel;
    SButton_CalImport = ui->SButton_CalImport;
    CalendarGraph = ui->CalendarGraph;
    Picker_Year = ui->Picker_Year;
    Picker_Month = ui->Picker_Month;
    Picker_Day = ui->Picker_Day;
    YearMonthLabel = ui->YearMonthLabel;
    SpeedButton2 = ui->SpeedButton2;
    SpeedButton3 = ui->SpeedButton3;
    SButton_Cal_SetToday = ui->SButton_Cal_SetToday;
    SpeedButton1 = ui->SpeedButton1;

    const int widths[5] = {100, 0, 120, 140, 140};
    for (int c = 0; c < 5; ++c) CalendarListView->setColumnWidth(c, widths[c]);
    CalendarListView->header()->setMinimumSectionSize(0);
    SetupSortableReportList(*CalendarListView, FHost.SortState(kListTag));

    QFont gridFont = CalendarGraph->font();
    gridFont.setPixelSize(16);
    CalendarGraph->setFont(gridFont);
    CalendarGraph->setLocale(QLocale(QLocale::Japanese, QLocale::Japan));

    PopupMenu_Calendar = new QMenu(this);
    PopupMenu_Calendar->setObjectName("PopupMenu_Calendar");
    MenuItem1 = MenuAction(this, PopupMenu_Calendar, "MenuItem1", "編集(&E)...", 1,
                           {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    MenuItem2 = MenuAction(this, PopupMenu_Calendar, "MenuItem2", "削除(&D)", 2);
    PopupMenu_Calendar->addSeparator();
    MenuItem4 =
        MenuAction(this, PopupMenu_Calendar, "MenuItem4", "新規スケジュールを作成(&N)", 0, {QKeySequence("Ctrl+N")});
    PopupMenu_Calendar->addSeparator();
    MenuItem6 = MenuAction(this, PopupMenu_Calendar, "MenuItem6", "スケジュール(vCard)を取り込む(&I)...", 2);
    CalendarListView->addActions({MenuItem1, MenuItem4});
    for (QAction* a : {MenuItem1, MenuItem2, MenuItem4}) {
        connect(a, &QAction::triggered, this, [this, a] { Button_NewCalendarClick(a->property("tag").toInt()); });
    }
    connect(MenuItem6, &QAction::triggered, this, [this] { SButton_CalImportClick(); });
    connect(CalendarListView, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { PopupMenu_Calendar->popup(CalendarListView->viewport()->mapToGlobal(p)); });
    connect(CalendarListView, &QTreeWidget::itemDoubleClicked, this, [this] { Button_NewCalendarClick(kListTag); });
    connect(SButton_CalNew, &QPushButton::clicked, this, [this] { Button_NewCalendarClick(0); });
    connect(SButton_CalDel, &QPushButton::clicked, this, [this] { RemovePastEvents(); });
    connect(SButton_CalImport, &QPushButton::clicked, this, [this] { SButton_CalImportClick(); });

    connect(CalendarGraph, &QCalendarWidget::selectionChanged, this, [this] { SButton_Cal_SetGraphClick(4); });
    connect(CalendarGraph, &QCalendarWidget::activated, this, [this] { Button_NewCalendarClick(4); });
    connect(Picker_Year, &QDateEdit::dateChanged, this, [this] { SButton_Cal_SetGraphClick(1); });
    connect(Picker_Month, &QDateEdit::dateChanged, this, [this] { SButton_Cal_SetGraphClick(2); });
    connect(Picker_Day, &QDateEdit::dateChanged, this, [this] { SButton_Cal_SetGraphClick(3); });
    connect(SpeedButton2, &QToolButton::clicked, this, [this] { CalGraph_NextPrevClick(1); });
    connect(SpeedButton3, &QToolButton::clicked, this, [this] { CalGraph_NextPrevClick(0); });
    connect(SButton_Cal_SetToday, &QPushButton::clicked, this, [this] { SButton_Cal_SetGraphClick(0); });
    connect(SpeedButton1, &QPushButton::clicked, this, [this] { Button_NewCalendarClick(4); });
}

TSchedulePage::~TSchedulePage() = default;

void TSchedulePage::Enter() {
    ShowListPage();
    FocusList()->setFocus();
    ResetMonth();
    if (ListEmpty()) FHost.LoadTabList(TListKind::Calendar);
}

void TSchedulePage::ShowListPage() { CalendarPages->setCurrentIndex(0); }
void TSchedulePage::ResetMonth() { SButton_Cal_SetGraphClick(0); }
bool TSchedulePage::ListEmpty() const { return CalendarListView->topLevelItemCount() == 0; }
void TSchedulePage::ClearList() { CalendarListView->clear(); }
QWidget* TSchedulePage::FocusList() const { return CalendarListView; }
std::string TSchedulePage::CalendarsFolder() const { return CheckerOf(FHost.Player()).CalendarsPath; }
TDateTime TSchedulePage::GraphDate() const { return DateValue(CalendarGraph->selectedDate()); }

void TSchedulePage::LoadCalendarList() {
    const TListLoad load(*this);
    if (!load.Started()) return;
    const std::string folder = CalendarsFolder();
    std::vector<std::string> files;
    if (!folder.empty()) FHost.Player().ListFolder(folder, files);
    CalendarListView->clear();
    CalendarListView->setColumnWidth(1, 0);
    const std::string unread = ReadEachFile(files, [&](const std::string& file) {
        const TTolvVCal vcal(file);
        if (vcal.IndexOfKeyValue("begin", "vtodo") < 1) AddCalendarRow(*CalendarListView, vcal, folder, file);
    });
    SortByState(*CalendarListView, FHost.SortState(kListTag));
    FHost.SetStatusText(1, QString::fromStdString(FHost.Lang().Text("MSG_LOAD_CALD")));
    TellUnreadFiles(unread);
}

TIpodVCal TSchedulePage::ReadEventFile(const std::string& FileName) {
    TIpodVCal event;
    TTolvVCal(FileName).ReadEvent(event);
    return event;
}

void TSchedulePage::WriteEventFile(const TIpodVCal& Event, const std::string& FileName) {
    TTolvVCal vcal(FileName);
    vcal.WriteEvent(Event);
    vcal.Save();
}

void TSchedulePage::EditEvent(const std::string& FileNameIn, TDateTime DefaultDate) {
    std::string FileName = FileNameIn;
    TScheduleForm form(FHost.DialogParent());
    if (!FileName.empty() && EntryExists(FileName)) form.SetEvent(ReadEventFile(FileName));
    if (DefaultDate != 0) form.SetAllPickers(DefaultDate);
    if (RunEditor) {
        RunEditor(form);
    } else {
        form.exec();
    }
    if (!form.FOk) return;
    const TIpodVCal event = form.GetEvent();
    if (FileName.empty()) {
        const std::string folder = WithTrailingSlash(CalendarsFolder());
        // Without a player there is no folder to write into.
        if (folder.empty()) return;
        FileName = MakeEventFileName(folder, event.DtStart);
    }
    WriteEventFile(event, FileName);
    FHost.LoadTabList(TListKind::Calendar);
}

void TSchedulePage::RemovePastEvents() {
    if (!ListLoading()) SButton_CalDelClick(FHost, *CalendarListView, 0);
}

bool TSchedulePage::DeleteEvents() {
    return DeleteSelectedFiles(FHost.DialogParent(), *CalendarListView, 4, CalendarsFolder());
}

void TSchedulePage::Button_NewCalendarClick(int Tag) {
    if (ListLoading()) return;
    try {
        QTreeWidgetItem* selected = FirstSelected(*CalendarListView);
        switch (Tag) {
            case 0: EditEvent({}, 0); break;
            case 1:
                EditEvent(selected ? FileInFolder(CalendarsFolder(), RowFile(*selected, 4)) : std::string(), 0);
                break;
            case 2:
                if (selected) {
                    if (DeleteEvents()) FHost.LoadTabList(TListKind::Calendar);
                } else {
                    ShowMessage(FHost.DialogParent(), "ファイルが選択されていませんので削除できません");
                }
                break;
            case 4: EditEvent({}, GraphDate()); break;
            default: break;
        }
    } catch (const ETolvError& e) {
        ShowMessage(FHost.DialogParent(), e.Message());
    }
}

void TSchedulePage::SButton_Cal_SetGraphClick(int Tag) {
    switch (Tag) {
        case 0: SetCalendarDate(Now()); break;
        case 1: SetCalendarDate(DateValue(Picker_Year->date())); break;
        case 2: SetCalendarDate(DateValue(Picker_Month->date())); break;
        case 3: SetCalendarDate(DateValue(Picker_Day->date())); break;
        case 4: SetCalendarDate(GraphDate()); break;
        default: break;
    }
}

void TSchedulePage::MoveGraph(int Year, int Month, int Day) {
    // Each step keeps the requested day where the grid's month has it and its last day
    // otherwise, so the grid always ends on the requested date.
    auto step = [this, Day](int y, int m) {
        const QDate first(y, m, 1);
        const QDate target(y, m, std::min(Day, first.daysInMonth()));
        if (target != CalendarGraph->selectedDate()) CalendarGraph->setSelectedDate(target);
    };
    const QDate now = CalendarGraph->selectedDate();
    step(now.year(), now.month());
    step(CalendarGraph->selectedDate().year(), Month);
    step(Year, Month);
}

void TSchedulePage::SetCalendarDate(TDateTime Value) {
    const QDate date = PickerDate(Value);
    if (!date.isValid()) return;
    MoveGraph(date.year(), date.month(), date.day());
    for (QDateEdit* picker : {Picker_Year, Picker_Month, Picker_Day}) {
        // Setting a picker is no change by the user: its change event stays silent.
        const QSignalBlocker quiet(picker);
        picker->setDate(date);
    }
    YearMonthLabel->setText(QString::fromStdString(FormatDateTime("yyyy年MM月", Value)));
}

void TSchedulePage::CalGraph_NextPrevClick(int Tag) {
    const QDate date = CalendarGraph->selectedDate();
    if (Tag == 0) {
        CalendarGraph->setSelectedDate(date.addMonths(1));
    } else if (Tag == 1) {
        CalendarGraph->setSelectedDate(date.addMonths(-1));
    }
    CalendarGraph->setCurrentPage(CalendarGraph->selectedDate().year(), CalendarGraph->selectedDate().month());
}

void TSchedulePage::ImportFile(const std::string& path) { ImportCalendarFile(path); }

void TSchedulePage::ImportCalendarFile(const std::string& FileName) { harrowin::ImportCalendarFile(FHost, FileName); }

void TSchedulePage::SButton_CalImportClick() {
    if (ListLoading()) return;
    const std::string name =
        OpenFileDialog ? OpenFileDialog(QString::fromStdString(ImportFilterForQt(2))) : AskImportFileName(FHost, 2);
    if (!name.empty()) ImportFile(name);
}

}  // namespace harrowin
