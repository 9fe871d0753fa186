// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/fileGridModel.h"

#include "core/nameUtils.h"
#include "platform/texteQt.h"

#include <QPainter>
#include <QPixmap>
#include <map>

namespace varlime {

namespace {

// The mark of a new name whose file carries sidecars: "+N" on a small tag, N being how
// many sidecars go with it.
QPixmap marqueAnnexes(std::size_t n) {
    static std::map<std::size_t, QPixmap> faites;
    auto it = faites.find(n);
    if (it != faites.end())
        return it->second;
    QPixmap p(22, 14);
    p.fill(Qt::transparent);
    QPainter painter(&p);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(40, 90, 160));
    painter.setBrush(QColor(205, 222, 245));
    painter.drawRoundedRect(QRectF(0.5, 0.5, 21, 13), 3, 3);
    QFont f = painter.font();
    f.setPixelSize(10);
    f.setBold(true);
    painter.setFont(f);
    painter.drawText(QRect(0, 0, 22, 14), Qt::AlignCenter, QStringLiteral("+%1").arg(n));
    painter.end();
    return faites.emplace(n, p).first->second;
}

} // namespace

FileGridModel::FileGridModel(std::vector<FileRow>& rows, QObject* parent)
    : QAbstractTableModel(parent), rows_(rows) {}

void FileGridModel::setTextesMarqueurs(
    const std::function<QString(const char*, const char*)>& texte) {
    marqueurs_ = {
        {kNonVarlimeSansExif, texte("RSC_non_varlime_sans_exif", kNonVarlimeSansExif.data())},
        {kNonVarlimeSansDate, texte("RSC_non_varlime_sans_date", kNonVarlimeSansDate.data())},
        {kNonVarlimeSansCompagnon,
         texte("RSC_non_varlime_sans_compagnon", kNonVarlimeSansCompagnon.data())},
        {kNonVarlimeNonLu, texte("RSC_non_varlime_non_lu", kNonVarlimeNonLu.data())},
    };
}

int FileGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || masquees_ ? 0 : int(rows_.size());
}

void FileGridModel::masquerLignes(bool masquer) {
    if (masquer == masquees_)
        return;
    beginResetModel();
    masquees_ = masquer;
    endResetModel();
}

int FileGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant FileGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || masquees_ || index.row() >= int(rows_.size()) || index.column() > 1)
        return {};
    if (index.column() == 1 && enAttente_ && enAttente_(index.row()))
        return {};
    const FileRow& r = rows_[std::size_t(index.row())];
    const std::string& s = index.column() == 0 ? r.ancien : r.nouveau;
    const auto marqueur = std::find_if(marqueurs_.begin(), marqueurs_.end(),
                                       [&](const auto& m) { return m.first == s; });
    const bool sansExif = marqueur != marqueurs_.end();
    switch (role) {
    case Qt::DisplayRole:
        if (sansExif && !marqueur->second.isEmpty())
            return marqueur->second;
        [[fallthrough]];
    // A new name is bytes made from the old name's bytes: shown readable.
    case Qt::EditRole:
        return qs(s);
    case Qt::TextAlignmentRole:
        if (sansExif)
            return int(Qt::AlignHCenter | Qt::AlignVCenter);
        return {};
    case Qt::BackgroundRole:
        if (sansExif)
            return QColor(255, 0, 0);
        return {};
    case Qt::ForegroundRole:
        if (sansExif)
            return QColor(Qt::white);
        return {};
    case Qt::DecorationRole:
        if (index.column() == 1 && !r.annexes.empty())
            return marqueAnnexes(r.annexes.size());
        return {};
    case Qt::ToolTipRole: {
        if (index.column() != 1 || r.annexes.empty())
            return {};
        // Each sidecar with the name it takes, or alone when it keeps its name.
        QString tip = titreAnnexes_;
        const auto renommees = annexesARenommer(r);
        for (const Annexe& a : r.annexes) {
            tip += QStringLiteral("\n") + qs(nomAffichable(a.nom));
            for (const auto& [ancien, nouveau] : renommees)
                if (ancien == a.nom)
                    tip += QStringLiteral(" → ") + qs(nomAffichable(nouveau));
        }
        return tip;
    }
    default:
        return {};
    }
}

bool FileGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || masquees_ || index.row() >= int(rows_.size()) ||
        index.column() > 1 || rowsBusy())
        return false;
    FileRow& r = rows_[std::size_t(index.row())];
    const std::string text = value.toString().toStdString();
    if (index.column() == 0) {
        if (text == r.ancien)
            return true;
        // A name typed by hand is taken as it stands, bytes included; the sidecars found
        // for the listed file are not this one's.
        r.ancien = text;
        r.brut.clear();
        r.annexes.clear();
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
    if (rowsBusy())
        return Qt::ItemIsSelectable | Qt::ItemIsEnabled;
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
    newNamesChanged(0, int(rows_.size()));
}

void FileGridModel::newNamesChanged(int debut, int fin) {
    fin = std::min(fin, rowCount());
    if (debut < fin)
        emit dataChanged(index(debut, 1), index(fin - 1, 1), {Qt::DisplayRole});
}

} // namespace varlime
