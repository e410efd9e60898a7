// Tells the main window when the mount table changes (a volume mounted or unmounted): the
// Linux stand-in for the device-change message. The kernel marks /proc/self/mountinfo with
// POLLPRI on every change; a socket notifier on that file wakes the event loop.
#pragma once

#include <QObject>
#include <memory>

#include "foundation/unique_fd.h"

class QSocketNotifier;

class TMountWatcher : public QObject {
    Q_OBJECT
public:
    // The device-change event codes the main window reacts to.
    static constexpr int kConfigChanged = 0x0018;
    static constexpr int kDeviceArrival = 0x8000;
    static constexpr int kQueryRemove = 0x8001;
    static constexpr int kRemovePending = 0x8003;
    static constexpr int kRemoveComplete = 0x8004;

    explicit TMountWatcher(QObject* parent = nullptr);
    ~TMountWatcher() override;

    // False when the mount table could not be watched (the program then runs without it).
    bool Active() const { return FFd.IsOpen(); }

signals:
    // A change of the mount table, delivered as "configuration changed".
    void DeviceChanged(int eventCode);

private slots:
    void OnActivated();

private:
    TUniqueFd FFd;
    std::unique_ptr<QSocketNotifier> FNotifier;
};
