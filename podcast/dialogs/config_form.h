// HarrowinCast's settings dialog: values move from the settings before showing and back after
// OK; the count of newest episodes takes only what can mean a number of episodes (1 or more).
#pragma once

#include <QDialog>
#include <memory>

namespace harrowincast {

namespace Ui {
class TConfigForm;
}
class TTolvIPodINI;

class TConfigForm : public QDialog {
    Q_OBJECT
public:
    explicit TConfigForm(QWidget* parent = nullptr);
    ~TConfigForm() override;

    void LoadFrom(const TTolvIPodINI& ini);
    void SaveTo(TTolvIPodINI& ini) const;
    void SButton_OpenFolderClick();

    std::unique_ptr<Ui::TConfigForm> ui;
};

}  // namespace harrowincast
