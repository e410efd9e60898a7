#include "desktop/song_list_model.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <algorithm>
#include <numeric>

#include "desktop/report_list_sort.h"
#include "player/song_records.h"

namespace harrowin {

namespace {

class TSpaceChecks : public QObject {
public:
    explicit TSpaceChecks(QAbstractItemView& view) : QObject(&view), FView(view) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != &FView || event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
        const auto* key = static_cast<const QKeyEvent*>(event);
        if ((key->key() != Qt::Key_Space && key->key() != Qt::Key_Select) ||
            (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
            return QObject::eventFilter(watched, event);
        }
        QAbstractItemModel* model = FView.model();
        const QModelIndex current = FView.currentIndex();
        if (!model || !current.isValid()) return QObject::eventFilter(watched, event);
        const QModelIndex first = current.siblingAtColumn(0);
        if (!(model->flags(first) & Qt::ItemIsUserCheckable)) return QObject::eventFilter(watched, event);
        std::vector<int> rows{first.row()};
        if (const QItemSelectionModel* selection = FView.selectionModel()) {
            for (const QModelIndex& index : selection->selectedIndexes()) {
                if (index.parent() == first.parent()) rows.push_back(index.row());
            }
        }
        std::sort(rows.begin(), rows.end());
        rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
        const bool check = first.data(Qt::CheckStateRole).toInt() != Qt::Checked;
        if (auto* songs = qobject_cast<TSongListModel*>(model)) {
            songs->SetRowsChecked(rows, check);
        } else {
            for (int row : rows) {
                const QModelIndex index = model->index(row, 0, first.parent());
                if (model->flags(index) & Qt::ItemIsUserCheckable)
                    model->setData(index, check ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
            }
        }
        return true;
    }

private:
    QAbstractItemView& FView;
};

}  // namespace

void CheckWithSpaceKey(QAbstractItemView& view) { view.installEventFilter(new TSpaceChecks(view)); }

void SetSongListItem(TSongRow& row, const TITBSongItem& song, int32_t index) {
    row.Title = song.Title;
    row.Artist = song.Artist;
    row.Album = song.Album;
    row.TitleText = QString::fromStdString(song.Title);
    row.ArtistText = QString::fromStdString(song.Artist);
    row.AlbumText = QString::fromStdString(song.Album);
    row.SongIndex = index;
    row.SizeBytes = song.Size;
}

TSongListModel::TSongListModel(QObject* parent) : QAbstractTableModel(parent) {
    FCaptions[0] = QStringLiteral("曲名");
    FCaptions[1] = QStringLiteral("アーティスト");
    FCaptions[2] = QStringLiteral("アルバム");
}

int TSongListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || FFilling ? 0 : static_cast<int>(FRows.size());
}

int TSongListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 3; }

QVariant TSongListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= static_cast<int>(FRows.size())) return {};
    const TSongRow& row = FRows[static_cast<size_t>(index.row())];
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
            case 0: return row.TitleText;
            case 1: return row.ArtistText;
            case 2: return row.AlbumText;
            default: return {};
        }
    }
    if (role == Qt::CheckStateRole && index.column() == 0) return row.Checked ? Qt::Checked : Qt::Unchecked;
    return {};
}

bool TSongListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::CheckStateRole || index.column() != 0) return false;
    const bool checked = value.toInt() == Qt::Checked;
    SetChecked(index.row(), checked);
    emit CheckToggled(index.row());
    return true;
}

Qt::ItemFlags TSongListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == 0) f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant TSongListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section > 2) return {};
    if (role == Qt::DisplayRole) return FCaptions[section];
    if (role == Qt::UserRole) return FTags[section];
    return {};
}

bool TSongListModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role) {
    if (orientation != Qt::Horizontal || section < 0 || section > 2) return false;
    if (role == Qt::DisplayRole) {
        FCaptions[section] = value.toString();
    } else if (role == Qt::UserRole) {
        FTags[section] = value.toInt();
    } else {
        return false;
    }
    emit headerDataChanged(orientation, section, section);
    return true;
}

void TSongListModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column > 2 || FRows.size() < 2) return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(FRows.size());
    for (const TSongRow& row : FRows) {
        keys.push_back(ListSortKey(column == 0 ? row.TitleText : column == 1 ? row.ArtistText : row.AlbumText));
    }
    std::vector<int> order_(FRows.size());
    std::iota(order_.begin(), order_.end(), 0);
    if (order == Qt::AscendingOrder) {
        std::stable_sort(order_.begin(), order_.end(), [&](int a, int b) { return keys[a].compare(keys[b]) < 0; });
    } else {
        std::stable_sort(order_.begin(), order_.end(), [&](int a, int b) { return keys[b].compare(keys[a]) < 0; });
    }
    std::vector<TSongRow> sorted;
    sorted.reserve(FRows.size());
    std::vector<int> newRowOf(FRows.size());
    for (size_t i = 0; i < order_.size(); ++i) {
        sorted.push_back(std::move(FRows[static_cast<size_t>(order_[i])]));
        newRowOf[static_cast<size_t>(order_[i])] = static_cast<int>(i);
    }
    FRows.swap(sorted);
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& idx : from) to.append(index(newRowOf[static_cast<size_t>(idx.row())], idx.column()));
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void TSongListModel::Clear() {
    beginResetModel();
    FRows.clear();
    FFilling = false;
    endResetModel();
}

void TSongListModel::BeginFill(size_t expected) {
    // While filling, the view sees no rows: one reset at the end instead of a signal per row.
    beginResetModel();
    FFilling = true;
    FRows.clear();
    FRows.reserve(expected);
    endResetModel();
}

void TSongListModel::AddSong(const TITBSongItem& song, int32_t index) {
    FRows.emplace_back();
    SetSongListItem(FRows.back(), song, index);
}

void TSongListModel::EndFill() {
    beginResetModel();
    FFilling = false;
    endResetModel();
}

void TSongListModel::SetChecked(int row, bool checked) {
    if (row < 0 || row >= static_cast<int>(FRows.size())) return;
    if (FRows[static_cast<size_t>(row)].Checked == checked) return;
    FRows[static_cast<size_t>(row)].Checked = checked;
    const QModelIndex idx = index(row, 0);
    emit dataChanged(idx, idx, {Qt::CheckStateRole});
}

void TSongListModel::SetRowsChecked(const std::vector<int>& rows, bool checked) {
    for (int row : rows) SetChecked(row, checked);
    if (!rows.empty()) emit CheckToggled(rows.front());
}

void TSongListModel::SetAllChecked(bool checked) {
    for (TSongRow& row : FRows) row.Checked = checked;
    if (!FRows.empty())
        emit dataChanged(index(0, 0), index(static_cast<int>(FRows.size()) - 1, 0), {Qt::CheckStateRole});
}

int TSongListModel::CheckedCount() const {
    return static_cast<int>(std::count_if(FRows.begin(), FRows.end(), [](const TSongRow& r) { return r.Checked; }));
}

int64_t TSongListModel::CheckedBytes() const {
    int64_t sum = 0;
    for (const TSongRow& r : FRows) {
        if (r.Checked) sum += r.SizeBytes;
    }
    return sum;
}

}  // namespace harrowin
