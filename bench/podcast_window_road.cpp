// Speed of HarrowinCast's update as its main window runs it (offscreen): one feed of N episodes
// served from 127.0.0.1, every episode file already on disk, so nothing is downloaded. The
// window's update runs twice, through its own progress windows and work hooks, and each of its
// two steps (the download step and the hand-over to the media library) is timed from the
// showing of its progress window to the next. Limits at N = 5,000: the first hand-over 2 s, the
// hand-over with nothing new 0.5 s, the download step with nothing new 1 s.
// Usage: bench_podcast_window_road [N]
#include <QApplication>
#include <QEvent>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "foundation/gui/message_box.h"
#include "foundation/windows/progress_form.h"
#include "podcast/main_form.h"
#include "tests/support/loopback_http_server.h"
#include "tests/support/temp_dir.h"

using namespace harrowincast;

namespace {

using Clock = std::chrono::steady_clock;

// The moments at which the progress windows of one update were shown, with their captions.
class TStepClock : public QObject {
public:
    std::vector<std::pair<QString, Clock::time_point>> Shown;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show)
            if (auto* form = qobject_cast<TProgressForm*>(watched))
                if (Shown.empty() || Shown.back().first != form->windowTitle())
                    Shown.emplace_back(form->windowTitle(), Clock::now());
        return false;
    }
};

struct TRoadTimes {
    double Download = 0;  // ms
    double Handover = 0;  // ms
};

TRoadTimes RunUpdate(TMainForm& form, TStepClock& clock) {
    clock.Shown.clear();
    form.DownloadButtonClick();
    const auto end = Clock::now();
    TRoadTimes t;
    if (clock.Shown.size() != 2) {
        std::printf("  the update showed %zu progress windows, not 2\n", clock.Shown.size());
        t.Download = t.Handover = 1e300;
        return t;
    }
    t.Download = Milliseconds(clock.Shown[1].second - clock.Shown[0].second);
    t.Handover = Milliseconds(end - clock.Shown[1].second);
    return t;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const int n = argc > 1 ? std::atoi(argv[1]) : 5000;
    TempDir dir;
    qputenv("HARROWINCAST_HOME", QByteArray::fromStdString(dir.Path()));
    QApplication app(argc, argv);
    int boxes = 0;
    SetMessageBoxHook([&boxes](const TMessageRequest& r) {
        std::printf("  message: %s\n", r.Text.c_str());
        ++boxes;
        return r.Buttons == TMsgButtons::Ok ? TMsgResult::Ok : TMsgResult::Yes;
    });

    const std::string feedName = "毎日のニュース";
    LoopbackHttpServer server;
    std::string rss = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rss><channel><title>ニュース</title>";
    for (int i = 0; i < n; ++i) {
        const std::string file = "ep" + std::to_string(i) + ".mp3";
        dir.Write("PodCastings/" + feedName + "/" + file, "audio");
        rss += "<item><title>第" + std::to_string(i) + "回 今日の話題</title><pubDate>Mon, 07 Dec 2026 07:00:00 " +
               "+0900</pubDate><enclosure url=\"" + server.Url("/" + file) +
               "\" length=\"5\" type=\"audio/mpeg\"/></item>";
    }
    rss += "</channel></rss>";
    server.Set("/feed", {200, rss, ""});

    TStepClock clock;
    app.installEventFilter(&clock);
    TMainForm form;
    form.Settings().QuitiTuunes = false;
    form.Settings().MakeAnyLists = true;
    form.Settings().DeleteColumns = n;
    TPodSiteItem* site = form.Settings().Sites.GetItem(0);
    site->NAME = feedName;
    site->PLAYLIST = "PCast " + feedName;
    site->URL = server.Url("/feed");
    form.FillNameList();
    form.show();
    QApplication::processEvents();

    // The first update finds the files on disk and records them; its hand-over is the first.
    const TRoadTimes first = RunUpdate(form, clock);
    // The next one finds every episode again and nothing new.
    const TRoadTimes next = RunUpdate(form, clock);
    const int episodes = form.Episodes().Count();
    form.close();
    SetMessageBoxHook({});

    std::printf("window road over %d episodes (records %d, message boxes %d):\n", n, episodes, boxes);
    std::printf("  download step, first: %.1f ms\n", first.Download);
    std::printf("  hand-over, first: %.1f ms\n", first.Handover);
    std::printf("  hand-over, nothing new: %.1f ms\n", next.Handover);
    std::printf("  download step, nothing new: %.1f ms\n", next.Download);
    const bool within =
        episodes == n && boxes == 0 && first.Handover <= 2000 && next.Handover <= 500 && next.Download <= 1000;
    return n != 5000 || within ? 0 : 1;
}
