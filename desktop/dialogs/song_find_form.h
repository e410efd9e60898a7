// The song find dialog: search words against a chosen field, or artists to tick. The find
// sets check marks in the song list; it never hides rows.
#pragma once

#include <QDialog>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace harrowin {

namespace Ui {
class TSongFindForm;
}

// The words of a search text: split at blanks (U+0020 only; a full-width blank belongs to a
// word), each trimmed and lower-cased; empty words are dropped.
std::vector<std::string> SplitFindWords(const std::string& text);
// Whether one of the words occurs in the field of the type: 0 artist, 1 title, 2 album,
// 3 title + " " + artist + " " + album, any other type the empty text.
bool RowMatchesWords(const std::string& title, const std::string& artist, const std::string& album, int32_t type,
                     const std::vector<std::string>& words);

class TSongFindForm : public QDialog {
    Q_OBJECT
public:
    explicit TSongFindForm(QWidget* parent = nullptr);
    ~TSongFindForm() override;

    // The stored words, field and page into the controls.
    void SetValues(const std::string& text, int32_t type, int32_t pageIndex);
    void FillArtists(const std::vector<std::string>& artists);
    void FillPlayLists(const std::vector<std::string>& titles);

    std::string Text() const;
    int32_t Type() const;
    // The page in front; the hidden play-list page counts, so the artist page is 2.
    int32_t PageIndex() const;
    int ArtistCount() const;
    bool ArtistChecked(int i) const;
    std::string ArtistText(int i) const;

    Ui::TSongFindForm& Ui() { return *ui; }

private:
    std::unique_ptr<Ui::TSongFindForm> ui;
};

}  // namespace harrowin
