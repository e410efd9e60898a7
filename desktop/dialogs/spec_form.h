// The device information window: what the checker found out about the recognised player,
// its SysInfo file as text, and the read-only disk check of its file system.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>

#include "platform/disk_check.h"

class TMPlayerChecker;

namespace harrowin {

namespace Ui {
class TSpecForm;
}

class TSpecForm : public QDialog {
    Q_OBJECT
public:
    explicit TSpecForm(QWidget* parent = nullptr);
    ~TSpecForm() override;

    // Fills the window from the checker before it is shown.
    void FillInformation(const TMPlayerChecker& checker);
    // The disk check (asks first).
    void Button1Click();
    void N1Click();
    void A1Click();

    int ImageIndex() const { return FImageIndex; }
    Ui::TSpecForm& Ui() { return *ui; }

    // Test seam: runs the check of the player's volume (default RunDiskCheck).
    std::function<TDiskCheckResult(const TDiskCheckTarget& target)> DiskCheck;
    // The volume the check is for: the player's, as it was when the window was filled.
    const TDiskCheckTarget& CheckTarget() const { return FTarget; }

private:
    std::unique_ptr<Ui::TSpecForm> ui;
    TDiskCheckTarget FTarget;
    int FImageIndex = 1;
};

}  // namespace harrowin
