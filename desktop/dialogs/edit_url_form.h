// The site dialog of the news page: one site's name and address. OK is offered only while the
// name is not empty (the address is not checked).
#pragma once

#include <QDialog>
#include <memory>
#include <string>

namespace Ui { class TEditURLForm; }

class TEditURLForm : public QDialog {
    Q_OBJECT
public:
    explicit TEditURLForm(QWidget* parent = nullptr);
    ~TEditURLForm() override;

    void Button_CancelClick(int tag);
    void Edit_nameChange();
    void SpeedButton1Click();

    bool FOk = false;
    std::unique_ptr<Ui::TEditURLForm> ui;

protected:
    void reject() override;
};

// Runs the dialog on the pair; on OK the pair takes the dialog's texts. True on OK.
bool EditSite(QWidget* owner, std::string& URL, std::string& Name);
