// The modal progress window in which all long work of both programs runs on the GUI thread:
// a label, a progress bar and a cancel button. The work starts only once the window is shown.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "foundation/progress_event.h"

class QLabel;
class QProgressBar;
namespace Ui {
class TProgressForm;
}

// The work: sets the bar and the label as it goes, lets pending window messages run between
// items (QCoreApplication::processEvents) and stops at the next item once Cancel is true.
// Its result is the position it leaves the bar at.
using ProgressWorkMethod = std::function<int32_t(QProgressBar* ProgressBar, QLabel* Label, bool& Cancel)>;

class TProgressForm : public QDialog {
    Q_OBJECT
public:
    explicit TProgressForm(QWidget* parent = nullptr);
    ~TProgressForm() override;

    void Setup(const std::string& Caption, int32_t Min, int32_t Max, ProgressWorkMethod Work);
    QProgressBar* Bar() const;
    QLabel* Label() const;
    bool Cancelled() const { return FCancel; }
    bool Working() const { return FWorking; }

    // The window that exists while RunWithProgress runs (tests press its button).
    static TProgressForm* Current();

public slots:
    void Button1Click();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private slots:
    void WMStartWork();

private:
    void PostStartMessage();

    std::unique_ptr<Ui::TProgressForm> ui;
    int32_t FMin = 0;
    int32_t FMax = 0;
    bool FCancel = false;
    bool FStarted = false;
    bool FWorking = false;
    bool FCloseWhenDone = false;
    ProgressWorkMethod FWork;
};

// Runs Work in a modal progress window over parent (the active window when null). Max of 0 or
// less: -1 at once, no window, the work is not called. Otherwise the bar's position when the
// window closed.
int32_t RunWithProgress(const std::string& Caption, int32_t Min, int32_t Max, ProgressWorkMethod Work,
                        QWidget* parent = nullptr);

// Lets work that reports progress for every line or character run in the progress window: the
// label (and, when asked, the bar) follows and window messages run at most every 50 ms, so the
// window answers Cancel at once while the calls stay cheap. While it lives, closing the window
// (its close box, Escape) sets the cancel flag as Cancel does.
class TProgressPump : public QObject {
public:
    // moveBar: the bar shows Position out of Max (scaled to its range); else it stays.
    TProgressPump(QProgressBar* bar, QLabel* label, bool& cancel, bool moveBar);
    ~TProgressPump() override;
    TProgressPump(const TProgressPump&) = delete;
    TProgressPump& operator=(const TProgressPump&) = delete;

    // A progress call (TTolvProgressEvent's numbers and text): true when the work is to stop.
    bool Step(int32_t Position, int32_t Max, const std::string& Msg);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QProgressBar* FBar;
    QLabel* FLabel;
    bool& FCancel;
    bool FMoveBar;
    QElapsedTimer FClock;
    uint32_t FCalls = 0;
};
