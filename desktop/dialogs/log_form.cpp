#include "desktop/dialogs/log_form.h"

#include <QFileDialog>
#include <algorithm>
#include <cstdio>

#include "foundation/date_time.h"
#include "foundation/errors.h"
#include "foundation/file_write.h"
#include "foundation/gui/file_filter.h"
#include "foundation/gui/message_box.h"
#include "foundation/names.h"
#include "foundation/string_list.h"
#include "player/song_records.h"
#include "ui_log_form.h"

namespace harrowin {

std::string TransferErrorText(int32_t code) {
    switch (code) {
        case -3: return "出力先の容量が足りません";
        case -2: return "データファイルが存在しません";
        case -1: return "何らかの理由でデータ転送できません";
        case 0: return "エラーは起きていません";
        default: return SysErrorText(code);
    }
}

std::string LogFileName(int year, int month, int day) {
    char date[32];
    std::snprintf(date, sizeof date, "%04d/%02d/%02d", year, month, day);
    std::string safe = date;
    for (char& c : safe) {
        if (c == '/' || c == ':') c = '-';
    }
    return "転送失敗ログ(" + safe + ").TXT";
}

std::vector<TLogRow> FailureRows(const TITBSongList& songs) {
    std::vector<TLogRow> rows;
    int n = 0;
    for (int32_t i = 0; i < songs.GetCount(); ++i) {
        const TITBSongItem* song = songs.GetItem(i);
        if (!song || !song->TransferFailed) continue;
        ++n;
        rows.push_back({std::to_string(n), song->Title, song->Artist,
                        TransferErrorText(song->TransferError) + " - " + song->Location});
    }
    return rows;
}

std::string LogText(const std::vector<TLogRow>& rows) {
    std::string text;
    for (const TLogRow& r : rows) text += r.Number + " :「" + r.Title + "」(" + r.Artist + ") - " + r.Error + "\r\n";
    return text;
}

TLogForm::TLogForm(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TLogForm>()) {
    ui->setupUi(this);
    connect(ui->Button1, &QPushButton::clicked, this, &TLogForm::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TLogForm::Button2Click);
    AskFileName = [this](const std::string& proposed) {
        QFileDialog dialog(this, "ログファイルの保存", QString(),
                           QString::fromStdString(QtFileFilter("ログテキストファイル(*.LOG)|*.LOG")));
        dialog.setOption(kFilterTextsOnly);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix("TXT");
        dialog.selectFile(QString::fromStdString(proposed));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::string();
        return dialog.selectedFiles().front().toStdString();
    };
}

TLogForm::~TLogForm() = default;

void TLogForm::Fill(const TITBSongList& songs, const std::string& folder) {
    FRows = FailureRows(songs);
    ui->LogListView->clear();
    for (const TLogRow& r : FRows) {
        auto* item = new QTreeWidgetItem(ui->LogListView);
        item->setText(0, QString::fromStdString(r.Number));
        item->setText(1, QString::fromStdString(r.Title));
        item->setText(2, QString::fromStdString(r.Artist));
        item->setText(3, QString::fromStdString(r.Error));
    }
    ui->Label_OutFolder->setText(QString::fromStdString(folder));
    // The number needs little room; the title, artist and reason are what the user reads, so
    // they get the width of their texts (the list scrolls sideways for a long reason).
    QTreeWidget* list = ui->LogListView;
    list->setColumnWidth(0, list->fontMetrics().horizontalAdvance("0000") + 12);
    for (int column = 1; column <= 3; ++column) {
        list->resizeColumnToContents(column);
        list->setColumnWidth(column, std::clamp(list->columnWidth(column), 90, column == 3 ? 2000 : 220));
    }
}

void TLogForm::Button1Click() { accept(); }

void TLogForm::Button2Click() {
    const TDateParts today = DecodeDateTime(Date());
    const std::string name = AskFileName(LogFileName(today.year, today.month, today.day));
    if (name.empty()) return;
    // A place the user picked (its folder may be a link); a failed write keeps what was there.
    try {
        WriteWholeFile(name, LogText(FRows), TFolderLink::Follow);
    } catch (const ETolvError& e) {
        ShowMessage(this, e.Message());
    }
}

}  // namespace harrowin
