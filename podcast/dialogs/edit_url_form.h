// The feed dialog: one feed's name and address. OK is offered only while the name is not
// empty, and refuses (the dialog staying open) a name that NameTaken reports as another
// feed's; "サイト情報" shows the feed information of the main window's selected feed.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>

namespace Ui { class TEditURLForm; }

// The refusal of a name that another feed has already.
inline constexpr const char* kFeedNameTaken = "[ %s ]は既に登録されているサイト名です";

class TEditURLForm : public QDialog {
    Q_OBJECT
public:
    explicit TEditURLForm(QWidget* parent = nullptr);
    ~TEditURLForm() override;

    void Button_CancelClick(int tag);
    void Edit_nameChange();
    void SpeedButton1Click();
    void InfoButtonClick();

    bool FOk = false;
    std::function<void()> OnSiteInfo;  // the main window's PM_SiteInfoClick
    std::function<bool(const std::string& Name)> NameTaken;  // unset: every name is accepted
    std::unique_ptr<Ui::TEditURLForm> ui;

protected:
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};
