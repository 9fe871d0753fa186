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
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

namespace varlime {

class ArbreImport : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Colonne { Nom, Origine, Taille, Date, Marque, NbColonnes };

    explicit ArbreImport(TextLookup texte, QObject* parent = nullptr);
    ~ArbreImport() override;

    // A new plan (a first one, or the same card planned again for other options). Files
    // taken out stay out (known by their card path); folders are made at once, the rows
    // of a folder's files only when a view asks for them (an expanded folder).
    void definirPlan(PlanImport plan);
    const PlanImport& plan() const { return plan_; }
    // The folder (relative, ending in '/') and date each file is shown with: where it
    // goes, or where it already is in the archive.
    const std::string& dossierAffiche(std::size_t i) const { return dossiers_[i]; }
    const std::optional<QDateTime>& dateAffichee(std::size_t i) const {
        return plan_.fichiers[i].datePrise;
    }
    std::string cheminAffiche(std::size_t i) const;
    // The folders shown, by path ("2008/2008-05-30/"), and the file rows made so far.
    QStringList dossiers() const;
    std::size_t lignesFaites() const;
    QModelIndex indexDuDossier(const QString& chemin) const;
    QString cheminDuDossier(const QModelIndex& index) const;
    // Whether a folder holds files of its own (rather than folders only).
    bool tientDesFichiers(const QModelIndex& dossier) const;

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
    // How the size column writes a size (the window's language); Qt's default locale
    // until the window gives its own.
    std::function<QString(qint64)> texteTaille;
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
        // A folder's files (plan indices) whose rows are not made yet; they come after
        // its subfolders.
        std::vector<int> enAttente;
    };
    void reconstruire();
    int dossierNoeud(const std::string& chemin);
    // Makes the rows of a folder's files (and of their sidecars), sorted by name.
    void construire(int noeud) const;
    int nombreEnfants(int noeud) const;
    Qt::CheckState etat(int noeud) const;
    void cocher(int noeud, bool oui);
    void signalerSousArbre(int noeud);
    QVariant texte(int noeud, int colonne) const;
    QVariant vignette(std::size_t i) const;
    bool cochable(std::size_t i) const;

    TextLookup texte_;
    PlanImport plan_;
    std::vector<std::string> dossiers_;
    // Rows are made as they are asked for, from const accessors.
    mutable std::vector<Noeud> noeuds_;
    mutable std::vector<int> noeudDuFichier_;        // -1 until its row is made
    std::vector<int> dossierDuFichier_;              // the folder node of each photo
    std::vector<std::vector<int>> annexes_;          // each photo's sidecars (plan indices)
    std::unordered_map<std::string, int> parChemin_; // folder path -> node
    QSet<QString> exclus_;                           // card paths
    bool vignettes_ = true;
    mutable QHash<QString, QImage> imagettes_;
    mutable QSet<QString> demandees_;
    mutable QThreadPool lecteurs_;
};

} // namespace varlime
