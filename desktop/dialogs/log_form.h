// The transfer-failure log: every song of the loaded music database whose copy failed, with
// the reason, and a button that saves the list as a text file.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TITBSongList;

namespace harrowin {

namespace Ui {
class TLogForm;
}

// The reason text of a transfer error code (-3..0, else the system's text for the errno).
std::string TransferErrorText(int32_t code);
// The proposed file name of the saved log: "転送失敗ログ(<date>).TXT" with the short date
// "yyyy/MM/dd" whose "/" and ":" become "-", so the name is one a file can have.
std::string LogFileName(int year, int month, int day);

struct TLogRow {
    std::string Number, Title, Artist, Error;
};
// The rows of the failed songs in database order, numbered from 1.
std::vector<TLogRow> FailureRows(const TITBSongList& songs);
// The saved text: "%s :「%s」(%s) - %s" per row, CR LF after each line.
std::string LogText(const std::vector<TLogRow>& rows);

class TLogForm : public QDialog {
    Q_OBJECT
public:
    explicit TLogForm(QWidget* parent = nullptr);
    ~TLogForm() override;

    void Fill(const TITBSongList& songs, const std::string& folder);
    void Button1Click();
    void Button2Click();

    Ui::TLogForm& Ui() { return *ui; }
    // Test seam: asks for the file name to save to (empty: cancelled); default a save dialog.
    std::function<std::string(const std::string& proposed)> AskFileName;

private:
    std::unique_ptr<Ui::TLogForm> ui;
    std::vector<TLogRow> FRows;
};

}  // namespace harrowin
