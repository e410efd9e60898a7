#include "desktop/dialogs/spec_form.h"

#include <QAction>
#include <QMenu>
#include <QPixmap>
#include <filesystem>

#include "desktop/model_pictures.h"
#include "foundation/console_runner.h"
#include "foundation/date_time.h"
#include "foundation/file_read.h"
#include "foundation/gui/message_box.h"
#include "foundation/gui/window_size.h"
#include "foundation/string_list.h"
#include "harrowin_work/status_text.h"
#include "platform/disk_check.h"
#include "player/player_checker.h"
#include "ui_spec_form.h"

namespace harrowin {

TSpecForm::TSpecForm(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TSpecForm>()) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    KeepFixedSize(*this);
    connect(ui->CloseButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->Button1, &QPushButton::clicked, this, &TSpecForm::Button1Click);

    auto* menu = new QMenu(this);
    menu->setObjectName("MemoPopupMenu");
    QAction* copy = menu->addAction("コピー(&C)", this, &TSpecForm::N1Click);
    copy->setObjectName("N1");
    copy->setShortcut(QKeySequence("Ctrl+C"));
    QAction* all = menu->addAction("全てを選択(&L)", this, &TSpecForm::A1Click);
    all->setObjectName("A1");
    all->setShortcut(QKeySequence("Ctrl+A"));
    ui->IniMemo->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ui->IniMemo, &QWidget::customContextMenuRequested, this,
            [this, menu](const QPoint& pos) { menu->exec(ui->IniMemo->mapToGlobal(pos)); });
    DiskCheck = [](const TDiskCheckTarget& target) { return RunDiskCheck(target); };
}

TSpecForm::~TSpecForm() = default;

void TSpecForm::FillInformation(const TMPlayerChecker& c) {
    auto set = [](QLabel* label, const std::string& text) { label->setText(QString::fromStdString(text)); };
    set(ui->Label_PodMachine, c.ModelKind + " ( " + c.Capacity + " )");
    set(ui->Label_Podgeneration, c.Generation);
    set(ui->Label_PodNumber, c.ModelNumber);
    set(ui->Label_PodName, c.PlayerName);
    set(ui->Label_PodOwner, c.Owner);
    set(ui->Label_PodSoftware, c.Software);
    set(ui->Label_PodSerial, c.Serial);
    set(ui->Label_PodArea, c.Region);
    set(ui->Label_PodHDD, MegabytesRounded(c.DiskTotal));
    set(ui->Label_PodSongs, SongCountText(c.SongCount));
    set(ui->Label_PodSongSize, MegabytesRounded(c.SongBytes));

    FImageIndex = ModelImageIndex(c.Family);
    ui->IPODImage->setPixmap(QPixmap::fromImage(ModelPictureField(FImageIndex, ui->IPODImage->minimumSize())));

    std::error_code ec;
    if (!c.SysInfoPath.empty() && std::filesystem::is_regular_file(c.SysInfoPath, ec)) {
        try {
            TTolvStringList lines;
            const FileBytes bytes = ReadPlayerFilePart(c.SysInfoPath, 0, kSysInfoLimit);
            lines.LoadFromBytes(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                                kTextDetect);
            QStringList text;
            for (const std::string& line : lines.Lines()) text << QString::fromStdString(line);
            ui->IniMemo->setPlainText(text.join('\n'));
        } catch (const ETolvError&) {
            // An unreadable SysInfo leaves the page empty, like a missing one.
        }
    }
    // The check is for this player's volume only: should it go while the window is open, the
    // place it leaves is never checked in its stead.
    FTarget = DiskCheckTargetOf(c.DriveRoot);
    ui->PageControl->setCurrentWidget(ui->AbstSheet);
}

void TSpecForm::Button1Click() {
    if (!ConfirmWarning(
            this,
            "iPodをスキャンディスクしてもよろしいですか？意味のわからない方は、「いいえ」を選択して作業を中止"
            "してください。")) {
        return;
    }
    try {
        const TDiskCheckResult result = DiskCheck(FTarget);
        const QString stamp = QString::fromStdString(DateTimeToStr(Now()));
        // The checker's own text stays as it came; one line above it says what it means.
        QString text = "<< scandisk is ran at " + stamp + " >>\n" + QString::fromStdString(result.Meaning) + "\n" +
                       QString::fromStdString(result.Output);
        ui->ConsoleMemo->setPlainText(text);
    } catch (const ELaunchFailed&) {
        MessageBox(this, {"スキャンディスクの起動に失敗しました。", "エラー情報", TMsgIcon::Error, TMsgButtons::Ok});
    }
}

void TSpecForm::N1Click() { ui->IniMemo->copy(); }

void TSpecForm::A1Click() { ui->IniMemo->selectAll(); }

}  // namespace harrowin
