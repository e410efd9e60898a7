#include "desktop/dialogs/song_find_form.h"

#include <QPushButton>
#include <QRadioButton>

#include "foundation/encoding.h"
#include "foundation/gui/window_size.h"
#include "ui_song_find_form.h"

namespace harrowin {

std::vector<std::string> SplitFindWords(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    const std::string padded = text + " ";
    for (char c : padded) {
        if (c == ' ') {
            std::string trimmed = encoding::Trim(word);
            if (!trimmed.empty()) words.push_back(encoding::AsciiLower(trimmed));
            word.clear();
        } else {
            word += c;
        }
    }
    return words;
}

bool RowMatchesWords(const std::string& title, const std::string& artist, const std::string& album, int32_t type,
                     const std::vector<std::string>& words) {
    std::string field;
    switch (type) {
        case 0: field = artist; break;
        case 1: field = title; break;
        case 2: field = album; break;
        case 3: field = title + " " + artist + " " + album; break;
        default: break;
    }
    // UTF-8 never matches inside a character, so a byte search is a character search.
    field = encoding::AsciiLower(field);
    for (const std::string& word : words) {
        if (field.find(word) != std::string::npos) return true;
    }
    return false;
}

TSongFindForm::TSongFindForm(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TSongFindForm>()) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    KeepFixedSize(*this);
    connect(ui->Button_Ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->Button_Cancel, &QPushButton::clicked, this, &QDialog::reject);
    // FormCreate: the play-list page is not offered (its index still counts).
    ui->Findpages->setTabVisible(1, false);
}

TSongFindForm::~TSongFindForm() = default;

void TSongFindForm::SetValues(const std::string& text, int32_t type, int32_t pageIndex) {
    ui->Edit_FindSongs->setText(QString::fromStdString(text));
    QRadioButton* buttons[4] = {ui->RadioButton_Type0, ui->RadioButton_Type1, ui->RadioButton_Type2,
                                ui->RadioButton_Type3};
    for (int i = 0; i < 4; ++i) {
        buttons[i]->setAutoExclusive(false);
        buttons[i]->setChecked(i == type);
        buttons[i]->setAutoExclusive(true);
    }
    if (pageIndex >= 0 && pageIndex < ui->Findpages->count()) ui->Findpages->setCurrentIndex(pageIndex);
}

void TSongFindForm::FillArtists(const std::vector<std::string>& artists) {
    ui->ArtistsListView->clear();
    for (const std::string& name : artists) {
        auto* item = new QTreeWidgetItem(ui->ArtistsListView, QStringList{QString::fromStdString(name)});
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Unchecked);
    }
}

void TSongFindForm::FillPlayLists(const std::vector<std::string>& titles) {
    ui->PlayListsListView->clear();
    for (const std::string& title : titles) {
        auto* item = new QTreeWidgetItem(ui->PlayListsListView, QStringList{QString::fromStdString(title)});
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Unchecked);
    }
}

std::string TSongFindForm::Text() const { return ui->Edit_FindSongs->text().toStdString(); }

int32_t TSongFindForm::Type() const {
    if (ui->RadioButton_Type0->isChecked()) return 0;
    if (ui->RadioButton_Type1->isChecked()) return 1;
    if (ui->RadioButton_Type2->isChecked()) return 2;
    if (ui->RadioButton_Type3->isChecked()) return 3;
    return -1;
}

int32_t TSongFindForm::PageIndex() const { return ui->Findpages->currentIndex(); }

int TSongFindForm::ArtistCount() const { return ui->ArtistsListView->topLevelItemCount(); }

bool TSongFindForm::ArtistChecked(int i) const {
    const QTreeWidgetItem* item = ui->ArtistsListView->topLevelItem(i);
    return item && item->checkState(0) == Qt::Checked;
}

std::string TSongFindForm::ArtistText(int i) const {
    const QTreeWidgetItem* item = ui->ArtistsListView->topLevelItem(i);
    return item ? item->text(0).toStdString() : std::string();
}

}  // namespace harrowin
