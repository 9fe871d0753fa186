// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The destination as an import will make it, for a tree view: the template's folders,
// then each file under its new name with its thumbnail, its sidecars folded under it,
// and its mark (already imported, duplicate on the card, no date, name taken). Built
// from the plan's vectors and nothing more, so that a view asks only for the rows it
// shows; a box per folder and per file takes files out of the import.
#include "core/messageFormat.h"
#include "import/importCarte.h"

#include <QAbstractItemModel>
#include <QHash>
#include <QImage>
#include <QSet>
#include <QThreadPool>
#include <string>
#include <vector>

namespace varlime {

class ArbreImport : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Colonne { Nom, Origine, Taille, Date, Marque, NbColonnes };

    explicit ArbreImport(TextLookup texte, QObject* parent = nullptr);
    ~ArbreImport() override;

    // A new plan. Files taken out stay out (known by their card path).
    void definirPlan(PlanImport plan);
    const PlanImport& plan() const { return plan_; }
    // Where each file goes before the plan is made again: the folder (relative, ending in
    // '/') and the capture date of each file of the plan, in plan order.
    void apercu(std::vector<std::string> dossiers, std::vector<std::optional<QDateTime>> dates);
    // The folder and date each file is shown with.
    const std::string& dossierAffiche(std::size_t i) const { return dossiers_[i]; }
    const std::optional<QDateTime>& dateAffichee(std::size_t i) const { return dates_[i]; }
    std::string cheminAffiche(std::size_t i) const;

    // The folders and dates of the preview for other options (template, offsets),
    // before planning again: files already imported stay where they are.
    static void calculerApercu(const PlanImport& plan, const OptionsImport& options,
                               std::vector<std::string>& dossiers,
                               std::vector<std::optional<QDateTime>>& dates);

    bool exclu(std::size_t i) const;
    void exclure(std::size_t i, bool oui);
    // The files of the plan taken out, sidecars with their photo.
    std::vector<std::size_t> exclus() const;
    // What the import copies: files to import that are not taken out.
    std::int64_t octetsACopier() const;
    int fichiersACopier() const;
    // The row of a plan file, for tests and for selecting it.
    QModelIndex indexDuFichier(std::size_t i) const;
    // The plan file of a row, or -1 for a folder.
    int fichierDe(const QModelIndex& index) const;
    // Thumbnails are read on helper threads as rows are shown; tests turn them off.
    void definirVignettes(bool oui) { vignettes_ = oui; }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& index) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;

signals:
    // Files were taken out or put back.
    void selectionChangee();

private:
    struct Noeud {
        int parent = -1;
        int rang = 0;
        int fichier = -1; // plan index; -1 for a folder
        std::string nom;  // a folder's level
        std::vector<int> enfants;
    };
    void reconstruire();
    int dossierNoeud(const std::string& chemin);
    Qt::CheckState etat(int noeud) const;
    void cocher(int noeud, bool oui);
    void signalerSousArbre(int noeud);
    QVariant texte(int noeud, int colonne) const;
    QVariant vignette(std::size_t i) const;
    bool cochable(std::size_t i) const;

    TextLookup texte_;
    PlanImport plan_;
    std::vector<std::string> dossiers_;
    std::vector<std::optional<QDateTime>> dates_;
    std::vector<Noeud> noeuds_;
    std::vector<int> noeudDuFichier_;
    QHash<QString, int> parChemin_; // folder path -> node, while building
    QSet<QString> exclus_;          // card paths
    bool vignettes_ = true;
    mutable QHash<QString, QImage> imagettes_;
    mutable QSet<QString> demandees_;
    mutable QThreadPool lecteurs_;
};

} // namespace varlime
