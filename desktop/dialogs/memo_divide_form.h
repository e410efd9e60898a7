// The note-splitting dialog of the text import: title, cut type, page size (bytes) and the
// page options, moved between the controls, the "TextDivide" settings and the splitter.
#pragma once

#include <QDialog>
#include <memory>
#include <string>

class TTolvMemoDivider;

namespace harrowin {

class TTolvIPodINI;
namespace Ui {
class TMemoDivideForm;
}

class TMemoDivideForm : public QDialog {
    Q_OBJECT
public:
    explicit TMemoDivideForm(QWidget* parent = nullptr);
    ~TMemoDivideForm() override;

    void Button_CancelClick(int tag);
    // The controls from the settings and the title.
    void LoadFrom(const TTolvIPodINI& settings, const std::string& title);
    // The controls into the settings (every "TextDivide" key the dialog shows).
    void StoreTo(TTolvIPodINI& settings) const;
    // The controls into the splitter's options.
    void ApplyTo(TTolvMemoDivider& divider) const;

    bool FOk = false;
    std::unique_ptr<Ui::TMemoDivideForm> ui;

protected:
    void reject() override;
};

}  // namespace harrowin
