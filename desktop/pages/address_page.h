// The contacts page. Created and owned by the main window.
#pragma once

#include <QWidget>
#include <cstdint>
#include <string>

class QLabel;
class QProgressBar;
class QTreeWidget;
class TMainForm;

class TAddressPage : public QWidget {
    Q_OBJECT
public:
    TAddressPage(TMainForm& main, QWidget* parent = nullptr);

    void LoadContactList();
    // A dropped file imported as a contact.
    void ImportFile(const std::string& path);
    bool ListEmpty() const;
    void ClearList();
    QWidget* FocusList() const;

    QTreeWidget* AddressListView = nullptr;

private:
    TMainForm& FMain;
};
