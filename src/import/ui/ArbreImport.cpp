// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/ui/ArbreImport.h"

#include "platform/texteQt.h"

#include <QBrush>
#include <QColor>
#include <QIcon>
#include <QImageReader>
#include <QLocale>
#include <QPointer>
#include <QRunnable>
#include <algorithm>

namespace varlime {

namespace {

constexpr int kVignette = 48;

std::string dossierDe(const std::string& chemin) {
    const auto slash = chemin.rfind('/');
    return slash == std::string::npos ? std::string() : chemin.substr(0, slash + 1);
}

std::string nomDe(const std::string& chemin) {
    const auto slash = chemin.rfind('/');
    return slash == std::string::npos ? chemin : chemin.substr(slash + 1);
}

// A file already in the archive is shown where it is there.
bool dejaPlace(const FichierImport& f) {
    return f.marque == MarqueImport::DejaImporte && !f.deja.empty();
}

} // namespace

ArbreImport::ArbreImport(TextLookup texte, QObject* parent)
    : QAbstractItemModel(parent), texte_(std::move(texte)) {
    lecteurs_.setMaxThreadCount(1);
}

ArbreImport::~ArbreImport() {
    lecteurs_.clear();
    lecteurs_.waitForDone();
}

void ArbreImport::definirPlan(PlanImport plan) {
    plan_ = std::move(plan);
    dossiers_.clear();
    dossiers_.reserve(plan_.fichiers.size());
    for (const FichierImport& f : plan_.fichiers)
        dossiers_.push_back(dejaPlace(f) ? dossierDe(f.deja) : f.dossier);
    reconstruire();
    emit selectionChangee();
}

std::string ArbreImport::cheminAffiche(std::size_t i) const {
    const FichierImport& f = plan_.fichiers[i];
    return dossiers_[i] + (dejaPlace(f) ? nomDe(f.deja) : f.nom);
}

int ArbreImport::dossierNoeud(const std::string& chemin) {
    if (chemin.empty())
        return 0;
    if (auto it = parChemin_.find(chemin); it != parChemin_.end())
        return it->second;
    const std::string sansSlash = chemin.substr(0, chemin.size() - 1);
    const int parent = dossierNoeud(dossierDe(sansSlash));
    Noeud n;
    n.parent = parent;
    n.nom = nomDe(sansSlash);
    noeuds_.push_back(std::move(n));
    const int k = int(noeuds_.size()) - 1;
    noeuds_[std::size_t(parent)].enfants.push_back(k);
    parChemin_.emplace(chemin, k);
    return k;
}

void ArbreImport::reconstruire() {
    beginResetModel();
    noeuds_.assign(1, Noeud{});
    parChemin_.clear();
    const auto& fichiers = plan_.fichiers;
    noeudDuFichier_.assign(fichiers.size(), -1);
    dossierDuFichier_.assign(fichiers.size(), -1);
    annexes_.assign(fichiers.size(), {});
    // Only the folders are made here; each keeps its files for when it is shown.
    for (std::size_t i = 0; i < fichiers.size(); ++i) {
        const std::size_t photo = fichiers[i].photo;
        if (photo < i) {
            annexes_[photo].push_back(int(i));
            continue;
        }
        const int dossier = dossierNoeud(dossiers_[i]);
        dossierDuFichier_[i] = dossier;
        noeuds_[std::size_t(dossier)].enAttente.push_back(int(i));
    }
    for (Noeud& n : noeuds_) {
        std::sort(n.enfants.begin(), n.enfants.end(), [&](int a, int b) {
            return noeuds_[std::size_t(a)].nom < noeuds_[std::size_t(b)].nom;
        });
        for (std::size_t r = 0; r < n.enfants.size(); ++r)
            noeuds_[std::size_t(n.enfants[r])].rang = int(r);
    }
    endResetModel();
}

void ArbreImport::construire(int noeud) const {
    if (noeuds_[std::size_t(noeud)].enAttente.empty())
        return;
    const std::vector<int> attente = std::move(noeuds_[std::size_t(noeud)].enAttente);
    noeuds_[std::size_t(noeud)].enAttente.clear();
    const auto parNom = [this](int a, int b) {
        return cheminAffiche(std::size_t(noeuds_[std::size_t(a)].fichier)) <
               cheminAffiche(std::size_t(noeuds_[std::size_t(b)].fichier));
    };
    auto ajouter = [this](int parent, int fichier) {
        Noeud n;
        n.parent = parent;
        n.fichier = fichier;
        noeuds_.push_back(std::move(n));
        const int k = int(noeuds_.size()) - 1;
        noeudDuFichier_[std::size_t(fichier)] = k;
        noeuds_[std::size_t(parent)].enfants.push_back(k);
        return k;
    };
    const std::size_t premier = noeuds_[std::size_t(noeud)].enfants.size();
    for (int i : attente) {
        const int k = ajouter(noeud, i);
        for (int annexe : annexes_[std::size_t(i)])
            ajouter(k, annexe);
        auto& sous = noeuds_[std::size_t(k)].enfants;
        std::stable_sort(sous.begin(), sous.end(), parNom);
        for (std::size_t r = 0; r < sous.size(); ++r)
            noeuds_[std::size_t(sous[r])].rang = int(r);
    }
    // Files after the folders, by their new name.
    auto& enfants = noeuds_[std::size_t(noeud)].enfants;
    std::stable_sort(enfants.begin() + std::ptrdiff_t(premier), enfants.end(), parNom);
    for (std::size_t r = premier; r < enfants.size(); ++r)
        noeuds_[std::size_t(enfants[r])].rang = int(r);
}

int ArbreImport::nombreEnfants(int noeud) const {
    const Noeud& n = noeuds_[std::size_t(noeud)];
    return int(n.enfants.size() + n.enAttente.size());
}

QStringList ArbreImport::dossiers() const {
    QStringList out;
    for (const auto& [chemin, noeud] : parChemin_)
        out << qs(chemin);
    out.sort();
    return out;
}

std::size_t ArbreImport::lignesFaites() const {
    return std::size_t(std::count_if(noeudDuFichier_.begin(), noeudDuFichier_.end(),
                                     [](int n) { return n >= 0; }));
}

QModelIndex ArbreImport::indexDuDossier(const QString& chemin) const {
    const auto it = parChemin_.find(chemin.toStdString());
    return it == parChemin_.end()
               ? QModelIndex()
               : createIndex(noeuds_[std::size_t(it->second)].rang, 0, quintptr(it->second));
}

bool ArbreImport::tientDesFichiers(const QModelIndex& dossier) const {
    if (!dossier.isValid())
        return false;
    const Noeud& n = noeuds_[dossier.internalId()];
    return !n.enAttente.empty() || std::any_of(n.enfants.begin(), n.enfants.end(), [&](int e) {
        return noeuds_[std::size_t(e)].fichier >= 0;
    });
}

QString ArbreImport::cheminDuDossier(const QModelIndex& index) const {
    if (!index.isValid() || noeuds_[index.internalId()].fichier >= 0)
        return {};
    std::string chemin;
    for (int n = int(index.internalId()); n > 0; n = noeuds_[std::size_t(n)].parent)
        chemin = noeuds_[std::size_t(n)].nom + "/" + chemin;
    return qs(chemin);
}

bool ArbreImport::cochable(std::size_t i) const {
    const FichierImport& f = plan_.fichiers[i];
    return f.photo == kSansPhoto && f.marque == MarqueImport::AImporter;
}

bool ArbreImport::exclu(std::size_t i) const {
    if (exclus_.isEmpty())
        return false;
    const FichierImport& f = plan_.fichiers[i];
    const std::size_t photo = f.photo < plan_.fichiers.size() ? f.photo : i;
    return exclus_.contains(qs(plan_.fichiers[photo].cheminSource()));
}

void ArbreImport::exclure(std::size_t i, bool oui) {
    if (i >= plan_.fichiers.size() || !cochable(i) || exclu(i) == oui)
        return;
    const QString cle = qs(plan_.fichiers[i].cheminSource());
    if (oui)
        exclus_.insert(cle);
    else
        exclus_.remove(cle);
    const int ligne = noeudDuFichier_[i];
    for (int n = ligne >= 0 ? ligne : dossierDuFichier_[i]; n > 0; n = noeuds_[n].parent) {
        const QModelIndex x = createIndex(noeuds_[n].rang, 0, quintptr(n));
        emit dataChanged(x, x, {Qt::CheckStateRole});
    }
    if (ligne >= 0)
        signalerSousArbre(ligne);
    emit selectionChangee();
}

std::vector<std::size_t> ArbreImport::exclus() const {
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < plan_.fichiers.size(); ++i)
        if (exclu(i))
            out.push_back(i);
    return out;
}

std::int64_t ArbreImport::octetsACopier() const {
    std::int64_t total = 0;
    for (std::size_t i = 0; i < plan_.fichiers.size(); ++i)
        if (plan_.fichiers[i].marque == MarqueImport::AImporter && !exclu(i))
            total += plan_.fichiers[i].taille;
    return total;
}

int ArbreImport::fichiersACopier() const {
    int n = 0;
    for (std::size_t i = 0; i < plan_.fichiers.size(); ++i)
        n += plan_.fichiers[i].marque == MarqueImport::AImporter && !exclu(i) ? 1 : 0;
    return n;
}

QModelIndex ArbreImport::indexDuFichier(std::size_t i) const {
    if (i >= noeudDuFichier_.size())
        return {};
    if (noeudDuFichier_[i] < 0) {
        const std::size_t photo = plan_.fichiers[i].photo < i ? plan_.fichiers[i].photo : i;
        construire(dossierDuFichier_[photo]);
    }
    const int n = noeudDuFichier_[i];
    return createIndex(noeuds_[n].rang, 0, quintptr(n));
}

int ArbreImport::fichierDe(const QModelIndex& index) const {
    return index.isValid() ? noeuds_[index.internalId()].fichier : -1;
}

QModelIndex ArbreImport::index(int row, int column, const QModelIndex& parent) const {
    const int p = parent.isValid() ? int(parent.internalId()) : 0;
    if (p >= int(noeuds_.size()) || row < 0 || row >= nombreEnfants(p) || column < 0 ||
        column >= NbColonnes)
        return {};
    if (row >= int(noeuds_[p].enfants.size()))
        construire(p);
    return createIndex(row, column, quintptr(noeuds_[p].enfants[row]));
}

QModelIndex ArbreImport::parent(const QModelIndex& index) const {
    if (!index.isValid())
        return {};
    const int p = noeuds_[index.internalId()].parent;
    return p <= 0 ? QModelIndex() : createIndex(noeuds_[p].rang, 0, quintptr(p));
}

int ArbreImport::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() && parent.column() != 0)
        return 0;
    const int p = parent.isValid() ? int(parent.internalId()) : 0;
    return p < int(noeuds_.size()) ? nombreEnfants(p) : 0;
}

int ArbreImport::columnCount(const QModelIndex&) const {
    return NbColonnes;
}

Qt::CheckState ArbreImport::etat(int noeud) const {
    const Noeud& n = noeuds_[noeud];
    if (n.fichier >= 0)
        return exclu(std::size_t(n.fichier)) ? Qt::Unchecked : Qt::Checked;
    bool coche = false, decoche = false;
    std::vector<int> pile{noeud};
    while (!pile.empty() && !(coche && decoche)) {
        const Noeud& m = noeuds_[pile.back()];
        pile.pop_back();
        if (m.fichier >= 0 && cochable(std::size_t(m.fichier)))
            (exclu(std::size_t(m.fichier)) ? decoche : coche) = true;
        else if (m.fichier < 0)
            pile.insert(pile.end(), m.enfants.begin(), m.enfants.end());
        // Files whose rows are not made yet count the same.
        for (int i : m.enAttente)
            if (cochable(std::size_t(i)))
                (exclu(std::size_t(i)) ? decoche : coche) = true;
    }
    return coche && decoche ? Qt::PartiallyChecked : decoche ? Qt::Unchecked : Qt::Checked;
}

void ArbreImport::cocher(int noeud, bool oui) {
    const Noeud& n = noeuds_[noeud];
    if (n.fichier >= 0) {
        if (cochable(std::size_t(n.fichier))) {
            const QString cle = qs(plan_.fichiers[std::size_t(n.fichier)].cheminSource());
            if (oui)
                exclus_.remove(cle);
            else
                exclus_.insert(cle);
        }
        return;
    }
    for (int i : n.enAttente)
        if (cochable(std::size_t(i))) {
            const QString cle = qs(plan_.fichiers[std::size_t(i)].cheminSource());
            if (oui)
                exclus_.remove(cle);
            else
                exclus_.insert(cle);
        }
    for (int e : n.enfants)
        cocher(e, oui);
}

void ArbreImport::signalerSousArbre(int noeud) {
    const Noeud& n = noeuds_[noeud];
    if (n.enfants.empty())
        return;
    emit dataChanged(createIndex(0, 0, quintptr(n.enfants.front())),
                     createIndex(int(n.enfants.size()) - 1, 0, quintptr(n.enfants.back())),
                     {Qt::CheckStateRole});
    for (int e : n.enfants)
        signalerSousArbre(e);
}

bool ArbreImport::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.column() != Nom || role != Qt::CheckStateRole)
        return false;
    const int n = int(index.internalId());
    const bool oui = value.toInt() == Qt::Checked;
    if (noeuds_[n].fichier >= 0) {
        exclure(std::size_t(noeuds_[n].fichier), !oui);
        return true;
    }
    cocher(n, oui);
    for (int p = n; p > 0; p = noeuds_[p].parent) {
        const QModelIndex x = createIndex(noeuds_[p].rang, 0, quintptr(p));
        emit dataChanged(x, x, {Qt::CheckStateRole});
    }
    signalerSousArbre(n);
    emit selectionChangee();
    return true;
}

Qt::ItemFlags ArbreImport::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const int fichier = noeuds_[index.internalId()].fichier;
    if (index.column() == Nom && (fichier < 0 || cochable(std::size_t(fichier))))
        f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant ArbreImport::headerData(int section, Qt::Orientation o, int role) const {
    if (o != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    struct Entete {
        const char* cle;
        const char* defaut;
    };
    static constexpr Entete kEntetes[NbColonnes] = {
        {"RSC_import_colonne_nom", "Destination"}, {"RSC_import_colonne_origine", "Sur la carte"},
        {"RSC_import_colonne_taille", "Taille"},   {"RSC_import_colonne_date", "Prise de vue"},
        {"RSC_import_colonne_marque", "Remarque"},
    };
    return section >= 0 && section < NbColonnes
               ? QVariant(qs(texte_(kEntetes[section].cle, kEntetes[section].defaut)))
               : QVariant();
}

QVariant ArbreImport::texte(int noeud, int colonne) const {
    const Noeud& n = noeuds_[noeud];
    if (n.fichier < 0)
        return colonne == Nom ? QVariant(qs(n.nom)) : QVariant();
    const std::size_t i = std::size_t(n.fichier);
    const FichierImport& f = plan_.fichiers[i];
    switch (colonne) {
    case Nom:
        return qs(dejaPlace(f) ? nomDe(f.deja) : f.nom);
    case Origine:
        return qs(f.nomSource);
    case Taille:
        return texteTaille ? texteTaille(f.taille) : QLocale().formattedDataSize(f.taille);
    case Date:
        return f.datePrise ? f.datePrise->toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                           : QString();
    case Marque:
        switch (f.marque) {
        case MarqueImport::DejaImporte:
            return qs(texte_("RSC_import_marque_deja", "[déjà importé]"));
        case MarqueImport::DoublonCarte:
            return qs(texte_("RSC_import_marque_doublon", "[doublon sur la carte]") + " " +
                      nomDe(f.deja));
        case MarqueImport::NomPris:
            return qs(texte_("RSC_import_marque_nom_pris", "[nom déjà pris]"));
        case MarqueImport::AImporter:
            break;
        }
        return f.photo == kSansPhoto && !f.datePrise
                   ? qs(texte_("RSC_import_marque_sans_date", "[sans date]"))
                   : QString();
    }
    return {};
}

QVariant ArbreImport::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const int n = int(index.internalId());
    const int fichier = noeuds_[n].fichier;
    switch (role) {
    case Qt::DisplayRole:
        return texte(n, index.column());
    case Qt::CheckStateRole:
        if (index.column() == Nom && (fichier < 0 || cochable(std::size_t(fichier))))
            return etat(n);
        return {};
    case Qt::DecorationRole:
        if (index.column() == Nom && fichier >= 0 && vignettes_)
            return vignette(std::size_t(fichier));
        return {};
    case Qt::ForegroundRole: {
        if (fichier < 0)
            return {};
        const FichierImport& f = plan_.fichiers[std::size_t(fichier)];
        if (f.marque == MarqueImport::DejaImporte || exclu(std::size_t(fichier)))
            return QBrush(Qt::gray);
        if (f.marque == MarqueImport::NomPris)
            return QBrush(Qt::red);
        if (f.marque == MarqueImport::DoublonCarte)
            return QBrush(QColor(176, 96, 0));
        return {};
    }
    case Qt::ToolTipRole:
        if (fichier >= 0)
            return qs(plan_.fichiers[std::size_t(fichier)].cheminSource());
        return {};
    default:
        return {};
    }
}

QVariant ArbreImport::vignette(std::size_t i) const {
    const FichierImport& f = plan_.fichiers[i];
    if (f.photo != kSansPhoto)
        return {};
    const QString chemin = qs(f.cheminSource());
    if (auto it = imagettes_.constFind(chemin); it != imagettes_.cend())
        return it->isNull() ? QVariant() : QVariant(QIcon(QPixmap::fromImage(*it)));
    if (demandees_.contains(chemin))
        return {};
    demandees_.insert(chemin);
    QPointer<ArbreImport> moi(const_cast<ArbreImport*>(this));
    lecteurs_.start([moi, chemin] {
        QImageReader lecteur(chemin);
        lecteur.setAutoTransform(true);
        const QSize taille = lecteur.size();
        if (taille.isValid())
            lecteur.setScaledSize(taille.scaled(kVignette, kVignette, Qt::KeepAspectRatio));
        const QImage image = lecteur.read();
        if (!moi)
            return;
        QMetaObject::invokeMethod(
            moi.data(),
            [moi, chemin, image] {
                if (!moi)
                    return;
                moi->imagettes_.insert(chemin, image);
                for (std::size_t k = 0; k < moi->plan_.fichiers.size(); ++k)
                    if (moi->noeudDuFichier_[k] >= 0 &&
                        qs(moi->plan_.fichiers[k].cheminSource()) == chemin) {
                        const QModelIndex x = moi->indexDuFichier(k);
                        emit moi->dataChanged(x, x, {Qt::DecorationRole});
                        break;
                    }
            },
            Qt::QueuedConnection);
    });
    return {};
}

} // namespace varlime
