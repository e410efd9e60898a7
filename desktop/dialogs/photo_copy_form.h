// The photo extraction dialog: the target folder (with its check of the volume and free space)
// and the kind of picture to write, the small pictures or the full-size files.
#pragma once

#include <QDialog>
#include <cstdint>
#include <memory>

namespace harrowin {

namespace Ui {
class TPhotoCopyForm;
}

class TPhotoCopyForm : public QDialog {
    Q_OBJECT
public:
    explicit TPhotoCopyForm(QWidget* parent = nullptr);
    ~TPhotoCopyForm() override;

    void Edit_FolderChange();  // also run once at creation (FormCreate)
    void SButton_OpenFolderClick();

    // RGroup_Type's index: 0 the small pictures, 1 the full-size files (-1 when none is set).
    int32_t TypeIndex() const;
    void SetTypeIndex(int32_t index);

    Ui::TPhotoCopyForm& Ui() { return *ui; }

private:
    std::unique_ptr<Ui::TPhotoCopyForm> ui;
};

}  // namespace harrowin
