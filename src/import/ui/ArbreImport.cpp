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

std::string extensionDe(const std::string& nom) {
    const auto point = nom.rfind('.');
    return point == std::string::npos ? std::string() : nom.substr(point + 1);
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

void ArbreImport::calculerApercu(const PlanImport& plan, const OptionsImport& o,
                                 std::vector<std::string>& dossiers,
                                 std::vector<std::optional<QDateTime>>& dates) {
    const auto& fichiers = plan.fichiers;
    dossiers.resize(fichiers.size());
    dates.resize(fichiers.size());
    for (std::size_t i = 0; i < fichiers.size(); ++i) {
        const FichierImport& f = fichiers[i];
        const FichierImport& p = f.photo < fichiers.size() ? fichiers[f.photo] : f;
        std::optional<QDateTime> date = p.datePrise;
        if (date)
            date =
                date->addSecs(decalageDe(o.decalages, p.fabricant, p.modele, p.serie) - p.decalage);
        dates[i] = date;
        if (dejaPlace(f)) {
            dossiers[i] = dossierDe(f.deja);
        } else if (f.reprise) {
            dossiers[i] = f.dossier;
        } else {
            dossiers[i] =
                dossierDuModele(o.modeleDossiers,
                                {date, p.fabricant, p.modele, o.travail, extensionDe(f.nomSource)},
                                o.moisAbreges, o.dossierSansDate);
        }
    }
}

void ArbreImport::definirPlan(PlanImport plan) {
    plan_ = std::move(plan);
    dossiers_.clear();
    dates_.clear();
    for (const FichierImport& f : plan_.fichiers) {
        dossiers_.push_back(dejaPlace(f) ? dossierDe(f.deja) : f.dossier);
        dates_.push_back(f.datePrise);
    }
    reconstruire();
    emit selectionChangee();
}

void ArbreImport::apercu(std::vector<std::string> dossiers,
                         std::vector<std::optional<QDateTime>> dates) {
    if (dossiers.size() != plan_.fichiers.size() || dates.size() != plan_.fichiers.size())
        return;
    dossiers_ = std::move(dossiers);
    dates_ = std::move(dates);
    reconstruire();
}

std::string ArbreImport::cheminAffiche(std::size_t i) const {
    const FichierImport& f = plan_.fichiers[i];
    return dossiers_[i] + (dejaPlace(f) ? nomDe(f.deja) : f.nom);
}

int ArbreImport::dossierNoeud(const std::string& chemin) {
    if (chemin.empty())
        return 0;
    const QString cle = qs(chemin);
    if (auto it = parChemin_.constFind(cle); it != parChemin_.cend())
        return *it;
    const std::string sansSlash = chemin.substr(0, chemin.size() - 1);
    const int parent = dossierNoeud(dossierDe(sansSlash));
    Noeud n;
    n.parent = parent;
    n.nom = nomDe(sansSlash);
    noeuds_.push_back(n);
    const int k = int(noeuds_.size()) - 1;
    noeuds_[parent].enfants.push_back(k);
    parChemin_.insert(cle, k);
    return k;
}

void ArbreImport::reconstruire() {
    beginResetModel();
    noeuds_.assign(1, Noeud{});
    parChemin_.clear();
    const auto& fichiers = plan_.fichiers;
    noeudDuFichier_.assign(fichiers.size(), -1);
    noeuds_.reserve(fichiers.size() + 64);
    for (std::size_t i = 0; i < fichiers.size(); ++i) {
        const FichierImport& f = fichiers[i];
        const bool annexe = f.photo < i && noeudDuFichier_[f.photo] >= 0;
        const int parent = annexe ? noeudDuFichier_[f.photo] : dossierNoeud(dossiers_[i]);
        Noeud n;
        n.parent = parent;
        n.fichier = int(i);
        noeuds_.push_back(n);
        noeudDuFichier_[i] = int(noeuds_.size()) - 1;
        noeuds_[parent].enfants.push_back(noeudDuFichier_[i]);
    }
    parChemin_.clear();
    // Folders first, by name; then the files, by their new name.
    for (Noeud& n : noeuds_) {
        if (n.enfants.size() < 2)
            continue;
        std::stable_sort(n.enfants.begin(), n.enfants.end(), [&](int a, int b) {
            const Noeud& x = noeuds_[a];
            const Noeud& y = noeuds_[b];
            if ((x.fichier < 0) != (y.fichier < 0))
                return x.fichier < 0;
            if (x.fichier < 0)
                return x.nom < y.nom;
            return cheminAffiche(std::size_t(x.fichier)) < cheminAffiche(std::size_t(y.fichier));
        });
    }
    for (Noeud& n : noeuds_)
        for (std::size_t r = 0; r < n.enfants.size(); ++r)
            noeuds_[n.enfants[r]].rang = int(r);
    endResetModel();
}

bool ArbreImport::cochable(std::size_t i) const {
    const FichierImport& f = plan_.fichiers[i];
    return f.photo == kSansPhoto && f.marque == MarqueImport::AImporter;
}

bool ArbreImport::exclu(std::size_t i) const {
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
    for (int n = noeudDuFichier_[i]; n > 0; n = noeuds_[n].parent) {
        const QModelIndex x = createIndex(noeuds_[n].rang, 0, quintptr(n));
        emit dataChanged(x, x, {Qt::CheckStateRole});
    }
    signalerSousArbre(noeudDuFichier_[i]);
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
    const int n = noeudDuFichier_[i];
    return createIndex(noeuds_[n].rang, 0, quintptr(n));
}

int ArbreImport::fichierDe(const QModelIndex& index) const {
    return index.isValid() ? noeuds_[index.internalId()].fichier : -1;
}

QModelIndex ArbreImport::index(int row, int column, const QModelIndex& parent) const {
    const int p = parent.isValid() ? int(parent.internalId()) : 0;
    if (p >= int(noeuds_.size()) || row < 0 || row >= int(noeuds_[p].enfants.size()) ||
        column < 0 || column >= NbColonnes)
        return {};
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
    return p < int(noeuds_.size()) ? int(noeuds_[p].enfants.size()) : 0;
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
        return QLocale().formattedDataSize(f.taille);
    case Date:
        return dates_[i] ? dates_[i]->toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : QString();
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
        return f.photo == kSansPhoto && !dates_[i]
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
                    if (qs(moi->plan_.fichiers[k].cheminSource()) == chemin) {
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
