#include "core/ui/fileGridModel.h"

#include "core/nameUtils.h"

namespace varlime {

FileGridModel::FileGridModel(std::vector<FileRow>& rows, QObject* parent)
    : QAbstractTableModel(parent), rows_(rows) {}

int FileGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int FileGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant FileGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(rows_.size()) || index.column() > 1)
        return {};
    const FileRow& r = rows_[std::size_t(index.row())];
    const std::string& s = index.column() == 0 ? r.ancien : r.nouveau;
    const bool sansExif = s == kNonVarlimeSansExif || s == kNonVarlimeSansCompagnon;
    switch (role) {
    case Qt::DisplayRole:
    // A new name is bytes made from the old name's bytes: shown readable.
    case Qt::EditRole:
        return QString::fromUtf8(s.data(), qsizetype(s.size()));
    case Qt::TextAlignmentRole:
        if (sansExif)
            return int(Qt::AlignHCenter | Qt::AlignVCenter);
        return {};
    default:
        return {};
    }
}

bool FileGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || index.row() >= int(rows_.size()) ||
        index.column() > 1)
        return false;
    FileRow& r = rows_[std::size_t(index.row())];
    const std::string text = value.toString().toStdString();
    if (index.column() == 0) {
        if (text == r.ancien)
            return true;
        // A name typed by hand is taken as it stands, bytes included.
        r.ancien = text;
        r.brut.clear();
    } else {
        if (text == r.nouveau)
            return true;
        r.nouveau = text;
    }
    emit dataChanged(index, index);
    return true;
}

Qt::ItemFlags FileGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable;
}

QVariant FileGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return section == 0 ? avant_ : section == 1 ? apres_ : QVariant();
    if (orientation == Qt::Vertical && role == Qt::DisplayRole)
        return section + 1;
    return {};
}

void FileGridModel::setHeaders(const QString& avant, const QString& apres) {
    if (avant == avant_ && apres == apres_)
        return;
    avant_ = avant;
    apres_ = apres;
    emit headerDataChanged(Qt::Horizontal, 0, 1);
}

void FileGridModel::newNamesChanged() {
    if (!rows_.empty())
        emit dataChanged(index(0, 1), index(int(rows_.size()) - 1, 1), {Qt::DisplayRole});
}

} // namespace varlime
