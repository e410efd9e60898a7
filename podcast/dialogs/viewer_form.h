// The feed information window: seven rows of caption and value, filled by the main window.
#pragma once

#include <QDialog>
#include <memory>

namespace harrowincast {

namespace Ui {
class TViewerForm;
}

class TViewerForm : public QDialog {
    Q_OBJECT
public:
    explicit TViewerForm(QWidget* parent = nullptr);
    ~TViewerForm() override;
    std::unique_ptr<Ui::TViewerForm> ui;
};

}  // namespace harrowincast
