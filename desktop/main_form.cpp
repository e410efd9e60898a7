#include "desktop/main_form.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>
#include <filesystem>
#include <type_traits>

#include "desktop/dialogs/terms_form.h"
#include "desktop/pages/address_page.h"
#include "desktop/pages/debug_page.h"
#include "desktop/pages/memo_page.h"
#include "desktop/pages/news_page.h"
#include "desktop/pages/photo_page.h"
#include "desktop/pages/schedule_page.h"
#include "desktop/pages/song_page.h"
#include "desktop/pages/todo_page.h"
#include "desktop/pages/video_page.h"
#include "desktop/site_list_view.h"
#include "foundation/errors.h"
#include "foundation/gui/failure_message.h"
#include "foundation/gui/japanese_ui.h"
#include "foundation/gui/message_box.h"
#include "foundation/gui/window_place.h"
#include "foundation/paths.h"
#include "foundation/program_folder.h"
#include "foundation/windows/progress_form.h"
#include "harrowin_work/language_table.h"
#include "harrowin_work/player_access.h"
#include "harrowin_work/settings.h"
#include "harrowin_work/status_text.h"
#include "platform/gui/mount_watcher.h"
#include "platform/removal.h"
#include "ui_main_form.h"

namespace harrowin {

namespace {

const char* const kButtonNames[10] = {"TabButton_iPod",  "TabButton_Song",  "TabButton_Memo", "TabButton_Address",
                                      "TabButton_Cal",   "TabButton_Photo", "TabButton_News", "TabButton_ToDo",
                                      "TabButton_Video", "TabButton_Debug"};

// Key F1..F9 -> page Tag.
int PageOfKey(int key) {
    switch (key) {
        case Qt::Key_F1: return kPageIPod;
        case Qt::Key_F2: return kPageSong;
        case Qt::Key_F3: return kPageMemo;
        case Qt::Key_F4: return kPageNews;
        case Qt::Key_F5: return kPageAddress;
        case Qt::Key_F6: return kPageCal;
        case Qt::Key_F7: return kPageToDo;
        case Qt::Key_F8: return kPagePhoto;
        case Qt::Key_F9: return kPageVideo;
        default: return -1;
    }
}

}  // namespace

TMainForm::TMainForm(const QStringList& args, const std::string& settingsFile, QWidget* parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::TMainForm>()) {
    ui->setupUi(this);
    FormCreate(args, settingsFile);
}

TMainForm::~TMainForm() { FormDestroy(); }

void TMainForm::SetupPages() {
    setFont(ProgramFont());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);

    FStatus0 = new QLabel(this);
    FStatus0->setObjectName("StatusPanel0");
    FStatus0->setFixedWidth(100);
    FStatus0->setAlignment(Qt::AlignCenter);
    FStatus1 = new QLabel(this);
    FStatus1->setObjectName("StatusPanel1");
    ui->StatusBar->addWidget(FStatus0);
    ui->StatusBar->addWidget(FStatus1, 1);

    // A page of the given Tag made in its sheet over this window.
    const auto place = [this]<typename TPage>(std::unique_ptr<TPage>& page, QWidget* sheet, int tag) {
        page = std::make_unique<TPage>(*this, sheet);
        sheet->layout()->addWidget(page.get());
        if constexpr (std::is_base_of_v<TListPage, TPage>) FListPages[tag] = page.get();
    };
    place(FSongPage, ui->SongSheet, kPageSong);
    place(FMemoPage, ui->MemoSheet, kPageMemo);
    place(FAddressPage, ui->AddressSheet, kPageAddress);
    place(FSchedulePage, ui->ScheduleSheet, kPageCal);
    place(FPhotoPage, ui->PhotoSheet, kPagePhoto);
    place(FNewsPage, ui->NewsSheet, kPageNews);
    place(FTodoPage, ui->ToDoSheet, kPageToDo);
    place(FVideoPage, ui->VideoSheet, kPageVideo);
    place(FDebugPage, ui->DebugSheet, kPageDebug);

    for (int tag = 0; tag < 10; ++tag) {
        QToolButton* button = TabButton(tag);
        connect(button, &QToolButton::clicked, this, [this, button] { TabButtonClick(button); });
    }
    connect(ui->SButton_Recognize, &QPushButton::clicked, this, [this] { Button_RecognizeClick(); });
    connect(ui->SButton_SpecData, &QPushButton::clicked, this, [this] { SButton_SpecDataClick(0); });
    connect(ui->SButton_Config, &QPushButton::clicked, this, [this] { SButton_SpecDataClick(1); });
    connect(ui->SpeedButton4, &QPushButton::clicked, this, [this] { SpeedButton4Click(); });
    connect(ui->SButton_Remove, &QPushButton::clicked, this, [this] { SButton_RemoveClick(); });
    setFixedSize(594, 385);
    ui->StatusBar->setSizeGripEnabled(false);
}

void TMainForm::FormCreate(const QStringList& args, const std::string& settingsFile) {
    SetupPages();
    // The player reports its progress in the status bar and asks its questions over this window.
    FPlayer = std::make_unique<TTolvIPOD>();
    SetPlayerProgress(*FPlayer,
                      [this](int32_t p, int32_t m, const std::string& msg) { ShowProgressInStatus(p, m, msg); });
    FPlayer->OnConfirm = [this](const std::string& question) { return ConfirmWarning(this, question); };
    FPlayer->OnShowMessage = [this](const std::string& text) { ShowMessage(this, text); };
    // The default window places centre on the screen, so the settings need its size and ours.
    TScreenMetrics metrics;
    if (QScreen* screen = QApplication::primaryScreen()) {
        metrics.ScreenW = screen->geometry().width();
        metrics.ScreenH = screen->geometry().height();
    }
    const QSize outer = frameGeometry().size().expandedTo(size());
    metrics.MainW = outer.width();
    metrics.MainH = outer.height();
    const std::string file = settingsFile.empty() ? ProgramFolder() + "/" + kSettingsName : settingsFile;
    FSettings = std::make_unique<TTolvIPodINI>(file, metrics);
    RestoreWindowState();
    FLang = std::make_unique<TLagugae>();
    StartRecognition();
    setWindowTitle(QString::fromStdString(FLang->Text("TITLE") + " " + kVersion));
    FDebugMode = !args.isEmpty() && args.front().toLower() == "-debug";
    setAcceptDrops(true);
    qApp->installEventFilter(this);
    FWatcher = std::make_unique<TMountWatcher>();
    connect(FWatcher.get(), &TMountWatcher::DeviceChanged, this, [this](int code) { WMDeviceChange(code); });
    FRecognizeOnEnter = true;
    if (!FSettings->Copyright.Copyright) ShowTerms();
}

void TMainForm::ShowTerms() {
    {
        TCRForm form(*FSettings, this);
        form.exec();
    }
    if (!FSettings->Copyright.Copyright) FAccepted = false;
}

void TMainForm::FormDestroy() {
    if (FDestroyed) return;
    FDestroyed = true;
    qApp->removeEventFilter(this);
    if (!FAccepted) {
        // Refused at the first start: the program ends at once and writes nothing.
        FSettings->Discard();
    } else {
        SaveWindowState();
    }
    if (!FAccepted) return;
    try {
        FSettings->Close();
    } catch (const std::exception& e) {
        ShowMessage(nullptr, "設定ファイルを保存できませんでした\n" + FailureText(e));
    }
}

int32_t& TMainForm::SortState(int tag) {
    if (tag >= 1 && tag <= 5) return FSortStates[tag - 1];
    FNoSortState = 0;
    return FNoSortState;
}

QString TMainForm::StatusText(int panel) const { return panel == 0 ? FStatus0->text() : FStatus1->text(); }

void TMainForm::SetStatusText(int panel, const QString& text) { (panel == 0 ? FStatus0 : FStatus1)->setText(text); }

int TMainForm::ActivePage() const { return ui->PageControl->currentIndex(); }

QToolButton* TMainForm::TabButton(int tag) const {
    if (tag < 0 || tag > 9) return nullptr;
    return findChild<QToolButton*>(kButtonNames[tag]);
}

void TMainForm::SetActivePage(int tag) {
    if (tag < 0 || tag > 9) return;
    ui->PageControl->setCurrentIndex(tag);
}

void TMainForm::RestoreWindowState() {
    RestoreWindowPosition(*this, FSettings->Positions.Main_X, FSettings->Positions.Main_Y);
}

void TMainForm::SaveWindowState() {
    const QRect place = StoredWindowPlace(*this);
    FSettings->Positions.Main_X = place.x();
    FSettings->Positions.Main_Y = place.y();
    StoreSiteList(*FSettings, FNewsPage->URLListView);
}

void TMainForm::ShowProgressInStatus(int32_t Position, int32_t Max, const std::string& Msg) {
    FStatus1->setText(QString::fromStdString(ProgressStatusText(Position, Max, Msg)));
    FStatus1->repaint();
    QCoreApplication::processEvents();
}

void TMainForm::TabButtonClick(QAbstractButton* Sender) {
    if (Sender) {
        const int tag = Sender->property("tag").toInt();
        SetActivePage(tag);
        Sender->setChecked(true);
    }
    const int page = ActivePage();
    if (page == kPageIPod) {
        iPodSheetEnter();
    } else if (page >= 0 && page < static_cast<int>(FListPages.size()) && FListPages[page]) {
        FListPages[page]->Enter();
    }
}

void TMainForm::LoadTabList(TListKind Kind) {
    for (TListPage* page : FListPages) {
        if (!page || page->Kind() != Kind) continue;
        try {
            page->LoadList();
        } catch (const std::exception& e) {
            ShowFailure(this, e);
        }
        return;
    }
}

void TMainForm::ShowConnected() {
    ui->SButton_Recognize->setEnabled(false);
    ui->SButton_SpecData->setEnabled(true);
    ui->SButton_Remove->setEnabled(true);
    const TMPlayerChecker& c = CheckerOf(*FPlayer);
    TabButton(kPageSong)->setVisible(c.HasSongs);
    TabButton(kPageMemo)->setVisible(c.HasNotes);
    TabButton(kPageNews)->setVisible(c.HasNotes);
    TabButton(kPageAddress)->setVisible(c.HasContacts);
    TabButton(kPageCal)->setVisible(c.HasCalendar);
    TabButton(kPageToDo)->setVisible(c.HasToDo);
    TabButton(kPagePhoto)->setVisible(c.HasPhotos);
    TabButton(kPageVideo)->setVisible(c.HasVideos);
    TabButton(kPageDebug)->setVisible(FDebugMode);
    if (c.ModelClass == 1 && VideoCountOf(*FPlayer) > 0) TabButton(kPageVideo)->setVisible(true);
    TabButton(kPageIPod)->setVisible(true);
    TabButton(kPageIPod)->setChecked(true);
    FStatus0->setText(QString::fromStdString(FLang->Text("MSG_CNCT_SUC")));
}

bool TMainForm::FormKeyDown(int key) {
    const int tag = PageOfKey(key);
    if (tag < 0) return false;
    QToolButton* button = TabButton(tag);
    if (!button || button->isHidden()) return false;
    SetActivePage(tag);
    TabButtonClick(button);
    return true;
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    // Key preview: the window sees a key before the control that has the focus, and the
    // control gets it as well, whether or not it uses it.
    if (event->type() == QEvent::KeyRelease) {
        FPreviewedKey = nullptr;
    } else if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
               static_cast<QWidget*>(watched)->window() == this) {
        // A key a control leaves unused travels up through its parents: act on it only once.
        if (event != FPreviewedKey) {
            FPreviewedKey = event;
            FormKeyDown(static_cast<QKeyEvent*>(event)->key());
        }
        if (watched == this) FPreviewedKey = nullptr;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (FRecognizeOnEnter && ActivePage() == kPageIPod) {
        // Entering the iPod page as the window appears starts recognition once it is painted.
        QTimer::singleShot(0, this, [this] { iPodSheetEnter(); });
    }
}

void TMainForm::WMDeviceChange(int eventCode) {
    switch (eventCode) {
        case TMountWatcher::kConfigChanged:
        case TMountWatcher::kQueryRemove:
        case TMountWatcher::kRemovePending:
        case TMountWatcher::kRemoveComplete: break;
        default: return;
    }
    // With no player the root is empty and the folder is looked for relative to the current
    // folder, which normally finds nothing: the waiting state is set again.
    const std::string root = CheckerOf(*FPlayer).DriveRoot;
    std::error_code ec;
    if (std::filesystem::is_directory(FindPlayerPath(root.empty() ? "." : root, "iPod_Control"), ec)) return;
    // Work on the player's files still holds its songs and photos: it ends first and counts
    // what it could not reach, then the waiting state follows.
    if (FPlayerWorks > 0) {
        FPlayerGone = true;
        return;
    }
    PlayerRemoved();
}

void TMainForm::PlayerRemoved() {
    SetActivePage(kPageIPod);
    StartRecognition();
    FStatus1->setText(QString::fromStdString(FLang->Text("MSG_REMOVED")));
}

void TMainForm::BeginPlayerWork() { ++FPlayerWorks; }

void TMainForm::EndPlayerWork() {
    if (--FPlayerWorks > 0 || !FPlayerGone) return;
    FPlayerGone = false;
    PlayerRemoved();
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) paths << url.toLocalFile();
    }
    event->acceptProposedAction();
    WMDropFiles(paths);
}

void TMainForm::WMDropFiles(const QStringList& paths) {
    const int page = ActivePage();
    if (page != kPageMemo && page != kPageNews && page != kPageCal && page != kPageAddress) {
        ShowMessage(this, "現在の画面ではドラッグされたファイルを登録できません");
        return;
    }
    for (const QString& path : paths) {
        try {
            if (DropDispatch) {
                DropDispatch(page, path.toStdString());
            } else {
                DispatchDrop(page, path.toStdString());
            }
        } catch (const std::exception& e) {
            ShowFailure(this, e);
        }
    }
}

void TMainForm::DispatchDrop(int page, const std::string& path) {
    switch (page) {
        case kPageMemo: FMemoPage->ImportFile(path); break;
        case kPageAddress: FAddressPage->ImportFile(path); break;
        case kPageCal: FSchedulePage->ImportFile(path); break;
        case kPageNews: FNewsPage->AddSite(3, path); break;
        default: ShowMessage(this, "ドラッグされたファイルを登録できません"); break;
    }
}

}  // namespace harrowin
