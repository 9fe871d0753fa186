// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The file grid's model: rows of old and new names, both editable. The header row
// of the grid is the view's horizontal header; an empty list still shows one empty row.
#include "core/renameEngine.h"

#include <QAbstractTableModel>
#include <functional>

namespace varlime {

class FileGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Shows the rows of a naming engine, which keeps at least one row.
    explicit FileGridModel(std::vector<FileRow>& rows, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Around a new listing of the engine: every row may be replaced.
    void debutListing() { beginResetModel(); }
    void finListing() { endResetModel(); }
    void setHeaders(const QString& avant, const QString& apres);
    // The first line of the tip of a new name whose file carries sidecars.
    void setTitreAnnexes(const QString& titre) { titreAnnexes_ = titre; }
    // The not-renamed markers as the grid shows them, in the active language (the rows
    // keep the marker itself, which the rename run knows). `texte(key, default)` looks
    // each one up.
    void setTextesMarqueurs(const std::function<QString(const char*, const char*)>& texte);
    // Whether a cell holds one of those markers: painted white on red.
    static bool estMarqueur(const QModelIndex& index) {
        return index.data(Qt::BackgroundRole).isValid();
    }
    // The rows as they stand, hand edits included; always at least one row.
    std::vector<FileRow>& rows() { return rows_; }
    const std::vector<FileRow>& rows() const { return rows_; }
    // Announces that every new name may have changed.
    void newNamesChanged();
    // While this answers true the rows are being read on another thread: no name can
    // be edited by hand, as a change would tear the name that thread is reading.
    void setRowsBusy(std::function<bool()> busy) { busy_ = std::move(busy); }
    // While a folder is listed on another thread the rows are its own: the grid shows
    // none until they are there (a reset around each change).
    void masquerLignes(bool masquer);
    bool lignesMasquees() const { return masquees_; }
    // A row whose new name is still to be computed shows none: never an old name that
    // would read as the final one.
    void setNomEnAttente(std::function<bool(int ligne)> enAttente) {
        enAttente_ = std::move(enAttente);
    }
    // Announces that the new names of rows [debut, fin) may have changed.
    void newNamesChanged(int debut, int fin);

private:
    bool rowsBusy() const { return busy_ && busy_(); }

    std::vector<FileRow>& rows_;
    std::function<bool()> busy_;
    std::function<bool(int)> enAttente_;
    bool masquees_ = false;
    QString avant_, apres_;
    QString titreAnnexes_ = QStringLiteral("Fichiers annexes varlimés avec lui :");
    // Each marker the grid paints, with its text in the active language.
    std::vector<std::pair<std::string_view, QString>> marqueurs_;
};

} // namespace varlime
