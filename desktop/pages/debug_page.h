// The debug page (offered with "-debug" once a player is connected): seven export options and
// "エクスポート", which writes a text report of what was read from the player.
#pragma once

#include <QWidget>
#include <string>

class QCheckBox;
class QPushButton;

namespace harrowin {

class TPageHost;

class TDebugPage : public QWidget {
    Q_OBJECT
public:
    TDebugPage(TPageHost& host, QWidget* parent = nullptr);

    // The report of the checked options (what the checker and the databases hold).
    std::string BuildReport() const;
    void ExportClick();

    QCheckBox* Options[7] = {};
    QPushButton* Button_Export = nullptr;

private:
    TPageHost& FHost;
};

}  // namespace harrowin
