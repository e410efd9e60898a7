// The rows of the song page's list: title, artist and album of each song with its check
// mark, its position in the music database (SongIndex) and its size in bytes (SizeBytes).
// A model for a QTreeView, so the list holds tens of thousands of rows; it sorts through the
// shared list comparison (report_list_sort.h) with precomputed keys.
#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <cstdint>
#include <string>
#include <vector>

class QAbstractItemView;
class TITBSongItem;

namespace harrowin {

struct TSongRow {
    std::string Title, Artist, Album;  // UTF-8, as the song holds them
    QString TitleText, ArtistText, AlbumText;
    int32_t SongIndex = -1;
    int64_t SizeBytes = 0;
    bool Checked = false;
};

class TSongListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TSongListModel(QObject* parent = nullptr);

    // Columns: 0 "曲名" (the caption), 1 "アーティスト" (sub-item 0), 2 "アルバム" (sub-item 1).
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role) override;
    // Stable: rows of equal text keep their order.
    void sort(int column, Qt::SortOrder order) override;

    // Filling: Clear, then AddSong per row (SetSongListItem), then EndFill.
    void Clear();
    void BeginFill(size_t expected);
    void AddSong(const TITBSongItem& song, int32_t index);
    void EndFill();

    const TSongRow& Row(int row) const { return FRows[static_cast<size_t>(row)]; }
    int Count() const { return static_cast<int>(FRows.size()); }
    bool Checked(int row) const { return FRows[static_cast<size_t>(row)].Checked; }
    void SetChecked(int row, bool checked);
    // Sets the marks of the rows and reports them as one toggle (CheckToggled of the first).
    void SetRowsChecked(const std::vector<int>& rows, bool checked);
    void SetAllChecked(bool checked);
    int CheckedCount() const;
    int64_t CheckedBytes() const;

signals:
    // A check mark changed by the user (a click or the space key on a row).
    void CheckToggled(int row);

private:
    std::vector<TSongRow> FRows;
    QString FCaptions[3];
    int32_t FTags[3] = {0, 0, 0};
    bool FFilling = false;
};

// Space (or the Select key) in a list with check boxes toggles the check box of the current row
// and of every selected row, all to the opposite of the current row's mark, as such lists do
// on the desktop. Set up once on the view; the marks change through the model's check state
// (the song list's model reports the whole change as one toggle).
void CheckWithSpaceKey(QAbstractItemView& view);

// SetSongListItem: a row's texts and numbers from a song.
void SetSongListItem(TSongRow& row, const TITBSongItem& song, int32_t index);

}  // namespace harrowin
