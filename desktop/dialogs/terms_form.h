// The terms-of-use dialog of the first start: accepting sets the setting Copyright, anything
// else leaves it false (and the program then ends).
#pragma once

#include <QDialog>
#include <memory>

namespace harrowin {

class TTolvIPodINI;
namespace Ui {
class TCRForm;
}

class TCRForm : public QDialog {
    Q_OBJECT
public:
    TCRForm(TTolvIPodINI& settings, QWidget* parent = nullptr);
    ~TCRForm() override;

    void Button1Click();
    void Button2Click();

    // The eight lines of the terms.
    static QString LicenseText();

private:
    // Gives the terms' box room for every line whole, without scrolling.
    void FitMemoToText();

    std::unique_ptr<Ui::TCRForm> ui;
    TTolvIPodINI& FSettings;
};

}  // namespace harrowin
