#include "platform/gui/mount_watcher.h"

#include <QSocketNotifier>
#include <fcntl.h>
#include <unistd.h>

TMountWatcher::TMountWatcher(QObject* parent) : QObject(parent) {
    FFd.Reset(::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC));
    if (!FFd.IsOpen()) return;
    FNotifier = std::make_unique<QSocketNotifier>(FFd.Get(), QSocketNotifier::Exception);
    connect(FNotifier.get(), &QSocketNotifier::activated, this, &TMountWatcher::OnActivated);
}

// The notifier goes before the descriptor it watches.
TMountWatcher::~TMountWatcher() { FNotifier.reset(); }

void TMountWatcher::OnActivated() {
    // The change stays signalled until the file is read again from the start.
    char buf[4096];
    ::lseek(FFd.Get(), 0, SEEK_SET);
    while (::read(FFd.Get(), buf, sizeof buf) > 0) {
    }
    emit DeviceChanged(kConfigChanged);
}
