// The site dialog of both programs: one site's (or feed's) name and address. The name is taken
// as EnteredName makes it; OK is offered only while that is not empty (the address is not
// checked), and Enter in either box presses it. A name that NameTaken reports as another site's is refused, the dialog
// staying open.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>

namespace Ui {
class TEditURLForm;
}

// The refusal of a name that another feed has already.
inline constexpr const char* kFeedNameTaken = "[ %s ]は既に登録されているサイト名です";

// How a program shows the dialog. Harrowin's news page shows the fields plainly, its address
// box typed without the input method; HarrowinCast frames them in a group, with hints.
enum class TEditURLLook { NewsSite, Feed };

class TEditURLForm : public QDialog {
    Q_OBJECT
public:
    explicit TEditURLForm(TEditURLLook look, QWidget* parent = nullptr);
    ~TEditURLForm() override;

    // Shows the "サイト情報" button, which runs onSiteInfo; enabled says whether it can be
    // pressed. Without this call the dialog has no such button.
    void SetSiteInfo(std::function<void()> onSiteInfo, bool enabled);
    // Runs the dialog modally on the pair; on OK the pair takes the dialog's texts. True on OK.
    bool Edit(std::string& URL, std::string& Name);

    void Button_CancelClick(int tag);
    void Edit_nameChange();
    void SpeedButton1Click();
    void InfoButtonClick();

    bool FOk = false;
    std::function<bool(const std::string& Name)> NameTaken;  // unset: every name is accepted

protected:
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowAsNewsSite();

    std::function<void()> OnSiteInfo;
    std::unique_ptr<Ui::TEditURLForm> ui;
};
