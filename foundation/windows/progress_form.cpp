#include "foundation/windows/progress_form.h"

#include <algorithm>

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>

#include "ui_progress_form.h"

namespace {
TProgressForm* g_current = nullptr;
}

TProgressForm::TProgressForm(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TProgressForm>()) {
    ui->setupUi(this);
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(450, 61);
    setModal(true);
    connect(ui->Button1, &QPushButton::clicked, this, &TProgressForm::Button1Click);
    g_current = this;
}

TProgressForm::~TProgressForm() {
    if (g_current == this) g_current = nullptr;
}

TProgressForm* TProgressForm::Current() { return g_current; }

QProgressBar* TProgressForm::Bar() const { return ui->ProgressBar; }
QLabel* TProgressForm::Label() const { return ui->Label_Exp; }

void TProgressForm::Setup(const std::string& Caption, int32_t Min, int32_t Max, ProgressWorkMethod Work) {
    setWindowTitle(QString::fromStdString(Caption));
    FWork = std::move(Work);
    FMin = Min;
    FMax = Max;
    ui->ProgressBar->setRange(Min, Max);
    ui->ProgressBar->setValue(Min);
}

void TProgressForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!FStarted) {
        FStarted = true;
        PostStartMessage();
    }
}

void TProgressForm::PostStartMessage() {
    // Queued, so the window is painted before the work takes the thread.
    QTimer::singleShot(0, this, &TProgressForm::WMStartWork);
}

void TProgressForm::WMStartWork() {
    repaint();
    FCancel = false;
    FWorking = true;
    if (FWork) FWork(ui->ProgressBar, ui->Label_Exp, FCancel);
    FWorking = false;
    done(QDialog::Accepted);
}

void TProgressForm::Button1Click() {
    FCancel = true;
    if (FWorking) {
        FCloseWhenDone = true;  // the window goes when the work notices the flag
    } else {
        done(QDialog::Rejected);
    }
}

void TProgressForm::closeEvent(QCloseEvent* event) {
    // The close box sets no cancel flag: the work runs to its end and the window closes then.
    if (FWorking) {
        FCloseWhenDone = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TProgressForm::reject() {
    if (FWorking) {
        FCloseWhenDone = true;
        return;
    }
    QDialog::reject();
}

int32_t RunWithProgress(const std::string& Caption, int32_t Min, int32_t Max, ProgressWorkMethod Work,
                        QWidget* parent) {
    if (Max <= 0) return -1;
    if (!parent) parent = QApplication::activeWindow();
    TProgressForm form(parent);
    form.Setup(Caption, Min, Max, std::move(Work));
    form.exec();
    return form.Bar()->value();
}

TProgressPump::TProgressPump(QProgressBar* bar, QLabel* label, bool& cancel, bool moveBar)
    : FBar(bar), FLabel(label), FCancel(cancel), FMoveBar(moveBar) {
    FClock.start();
    if (QWidget* window = FBar ? FBar->window() : nullptr) window->installEventFilter(this);
}

TProgressPump::~TProgressPump() {
    if (QWidget* window = FBar ? FBar->window() : nullptr) window->removeEventFilter(this);
}

bool TProgressPump::eventFilter(QObject*, QEvent* event) {
    // The window itself decides when it goes (once the work ends); the work only has to stop.
    if (event->type() == QEvent::Close ||
        (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)) {
        FCancel = true;
    }
    return false;
}

bool TProgressPump::Step(int32_t Position, int32_t Max, const std::string& Msg) {
    // The clock is read only every 256 calls: a call per character must cost next to nothing.
    if ((++FCalls & 0xFF) != 0 && !FCancel) return false;
    if (FClock.elapsed() < 50 && !FCancel) return false;
    FClock.restart();
    if (FMoveBar && FBar && Max > 0) {
        const int64_t span = static_cast<int64_t>(FBar->maximum()) - FBar->minimum();
        FBar->setValue(FBar->minimum() + static_cast<int>(span * std::clamp(Position, 0, Max) / Max));
    }
    if (FLabel) {
        const QString text = QString::fromStdString(Msg);
        const QString shown =
            Max > 0 ? QString("%1 (%2 %)").arg(text).arg(static_cast<int64_t>(std::clamp(Position, 0, Max)) * 100 / Max)
                    : text;
        if (FLabel->text() != shown) FLabel->setText(shown);
    }
    QCoreApplication::processEvents();
    return FCancel;
}
