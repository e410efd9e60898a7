#include "platform/gui/mount_watcher.h"

#include <QSocketNotifier>
#include <fcntl.h>
#include <unistd.h>

TMountWatcher::TMountWatcher(QObject* parent) : QObject(parent) {
    FFd = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    if (FFd < 0) return;
    FNotifier = std::make_unique<QSocketNotifier>(FFd, QSocketNotifier::Exception);
    connect(FNotifier.get(), &QSocketNotifier::activated, this, &TMountWatcher::OnActivated);
}

TMountWatcher::~TMountWatcher() {
    FNotifier.reset();
    if (FFd >= 0) ::close(FFd);
}

void TMountWatcher::OnActivated() {
    // The change stays signalled until the file is read again from the start.
    char buf[4096];
    ::lseek(FFd, 0, SEEK_SET);
    while (::read(FFd, buf, sizeof buf) > 0) {
    }
    emit DeviceChanged(kConfigChanged);
}
