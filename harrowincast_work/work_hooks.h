// What the podcast program's long work needs from the window it runs in: the progress bar and
// label, the status bar, message boxes and the pump that lets pending window messages run.
// The work itself stays free of Qt; the main window fills these in (tests record them).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace harrowincast {

struct TPodcastWork {
    std::function<void(int32_t Max)> SetMax;
    std::function<void(int32_t Position)> SetPosition;
    std::function<void(const std::string& Text)> SetLabel;        // the window paces its showing
    std::function<void(const std::string& Text)> SetStatus;       // status panel 0
    std::function<void()> Pump;                                   // lets pending window messages run
    std::function<void(const std::string& Text)> ShowMessage;     // plain box, OK
    std::function<void(const std::string& Text)> ShowError;       // error box, OK
    std::function<bool(const std::string& Text)> ConfirmWarning;  // warning, Yes / No
    std::function<void()> RedrawList;                             // the feed cards changed

    void Max(int32_t v) const {
        if (SetMax) SetMax(v);
    }
    void Position(int32_t v) const {
        if (SetPosition) SetPosition(v);
    }
    void Label(const std::string& t) const {
        if (SetLabel) SetLabel(t);
    }
    void Status(const std::string& t) const {
        if (SetStatus) SetStatus(t);
    }
    void RunPending() const {
        if (Pump) Pump();
    }
    void Message(const std::string& t) const {
        if (ShowMessage) ShowMessage(t);
    }
    void Error(const std::string& t) const {
        if (ShowError) ShowError(t);
    }
    bool Confirm(const std::string& t) const { return ConfirmWarning && ConfirmWarning(t); }
    void Redraw() const {
        if (RedrawList) RedrawList();
    }
};

// Paces what a long work shows, so that thousands of quick items cost no thousands of paints:
// Due is true on the first call and then once Interval has passed since it was last true.
class TProgressPace {
public:
    explicit TProgressPace(std::chrono::milliseconds Interval) : FInterval(Interval) {}
    bool Due();

private:
    std::chrono::steady_clock::duration FInterval;
    std::chrono::steady_clock::time_point FLast{};
    bool FStarted = false;
};

// printf-style formatting for the system's fixed texts.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace harrowincast
