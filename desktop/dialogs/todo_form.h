// The to-do editor: title, comment and due date and time. Closed with OK it answers
// QDialog::Accepted.
#pragma once

#include <QDialog>
#include <memory>

#include "organiser/organiser_files.h"

class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QTimeEdit;

namespace harrowin {

namespace Ui {
class TToDoForm;
}

class TToDoForm : public QDialog {
    Q_OBJECT
public:
    explicit TToDoForm(QWidget* parent = nullptr);
    ~TToDoForm() override;

    // The due text is turned into picker values: EConvertError for a text that is no date-time.
    void SetTask(const TVTodoObj& Task);
    TVTodoObj GetTask() const;

    QComboBox* ComboBox_Summary = nullptr;
    QLineEdit* Edit_Description = nullptr;
    QDateEdit* DatePick_Start = nullptr;
    QTimeEdit* TimePick_Start = nullptr;
    QPushButton* Button_Ok = nullptr;
    QPushButton* Button_Cancel = nullptr;

private:
    std::unique_ptr<Ui::TToDoForm> ui;
};

}  // namespace harrowin
