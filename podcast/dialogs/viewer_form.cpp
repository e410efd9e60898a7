#include "podcast/dialogs/viewer_form.h"

#include "ui_viewer_form.h"

namespace harrowincast {

TViewerForm::TViewerForm(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TViewerForm>()) {
    ui->setupUi(this);
}

TViewerForm::~TViewerForm() = default;

}  // namespace harrowincast
