#include "foundation/windows/progress_form.h"

#include <QApplication>
#include <QCloseEvent>
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
