// The settings dialog: the drive lock, the news options and the note-splitting options. It
// only moves values between the settings object and its controls.
#pragma once

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

namespace harrowin {

class TTolvIPodINI;
namespace Ui {
class TConfigForm;
}

class TConfigForm : public QDialog {
    Q_OBJECT
public:
    explicit TConfigForm(QWidget* parent = nullptr);
    ~TConfigForm() override;

    // The drop-down list of the drive lock: the existing roots of the volumes on block devices
    // (LoadFrom adds the fixed folder of the settings).
    void FillDriveList();
    // Controls from the settings, and back (after OK).
    void LoadFrom(const TTolvIPodINI& settings);
    void StoreTo(TTolvIPodINI& settings) const;

    Ui::TConfigForm& Ui() { return *ui; }

private:
    std::unique_ptr<Ui::TConfigForm> ui;
};

}  // namespace harrowin
