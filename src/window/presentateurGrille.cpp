// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/presentateurGrille.h"

#include "core/nameUtils.h"
#include "core/renameEngine.h"
#include "naming/chaineNommage.h"
#include "platform/texteQt.h"
#include "window/fileGridModel.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>
#include <algorithm>
#include <cmath>
#include <dirent.h>
#include <exception>
#include <utility>

namespace varlime {

namespace {
// A folder of more entries than this is listed on a worker: below it, the listing takes
// less time than a frame.
constexpr std::size_t kListageSurPlace = 3000;
// Up to this many rows, every name is computed at once.
constexpr std::size_t kNomsSurPlace = 5000;
// The time one step of names may hold the event loop.
constexpr qint64 kEtapeMs = 4;
// Up to this many files to check or read, the names are computed at once: reading
// them takes less time than a worker and its progress would save.
constexpr std::size_t kLectureSurPlace = 64;

// Whether the folder holds more entries than a listing on the window thread allows;
// only that many are read to tell.
bool dossierVolumineux(const std::string& dossier) {
    DIR* d = ::opendir(dossier.c_str());
    if (!d)
        return false;
    std::size_t n = 0;
    while (n <= kListageSurPlace && ::readdir(d))
        ++n;
    ::closedir(d);
    return n > kListageSurPlace;
}
} // namespace

PresentateurGrille::PresentateurGrille(ChaineNommage& chaine, QWidget* fenetre, Texte texte)
    : chaine_(chaine), fenetre_(fenetre), texte_(std::move(texte)),
      modele_(new FileGridModel(chaine.lignes(), this)), prechargement_(chaine, fenetre) {
    // The worker reading the facts reads the rows' names, and names computed in steps
    // would overwrite a hand edit: the names stay as they are meanwhile.
    modele_->setRowsBusy([this] { return prechargement_.enCours() || calcul_ != nullptr; });
    modele_->setNomEnAttente([this](int ligne) { return enAttente(ligne); });
    prechargement_.definirListage([this] { return listageEnCours(); });
    // A hand edit of an old name is measured again.
    connect(modele_, &QAbstractItemModel::dataChanged, this, [this](const QModelIndex& debut) {
        if (debut.column() == 0)
            largeurAnciens_ = -1;
    });
    etapes_.setInterval(0);
    connect(&etapes_, &QTimer::timeout, this, &PresentateurGrille::poursuivre);
    traduire();
}

PresentateurGrille::~PresentateurGrille() {
    // A listing cannot be interrupted: it ends before the pipeline goes.
    if (listage_.joinable())
        listage_.join();
}

void PresentateurGrille::attacherVue(QTableView* vue) {
    vue_ = vue;
    // Rows scrolled into view are named before the others.
    connect(vue->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        if (calcul_)
            nommerVisibles();
    });
}

void PresentateurGrille::traduire() {
    modele_->setHeaders(texte_("RSC_avant", "Avant"), texte_("RSC_apres", "Après"));
    modele_->setTitreAnnexes(texte_("RSC_info_annexes", "Fichiers annexes varlimés avec lui :"));
    modele_->setTextesMarqueurs(texte_);
}

void PresentateurGrille::lister(const std::string& dossier, std::function<void(bool)> fin) {
    // A reading of the facts of the rows being replaced, and their names, stop first.
    prechargement_.arreter();
    arreterNoms();
    largeurAnciens_ = -1;
    if (listageEnCours()) {
        relisterDemande_ = true;
        return;
    }
    if (dossierVolumineux(dossier)) {
        modele_->masquerLignes(true);
        const unsigned lancement = ++lancementListage_;
        try {
            listage_ = std::jthread([this, dossier, lancement] {
                bool ok = false;
                try {
                    ok = chaine_.lister(dossier);
                } catch (const std::exception&) {
                    // Told as a folder that could not be listed.
                }
                QMetaObject::invokeMethod(
                    this, [this, lancement, ok] { finirListage(lancement, ok); },
                    Qt::QueuedConnection);
            });
            finListage_ = std::move(fin);
            return;
        } catch (const std::exception&) {
            // No worker: the window lists it, as a small one.
        }
    }
    modele_->debutListing();
    const bool ok = chaine_.lister(dossier);
    modele_->finListing();
    modele_->masquerLignes(false);
    if (fin)
        fin(ok);
}

void PresentateurGrille::vider() {
    prechargement_.arreter();
    arreterNoms();
    largeurAnciens_ = -1;
    modele_->debutListing();
    chaine_.nouvelleGeneration();
    chaine_.lignes().assign(1, FileRow{});
    modele_->finListing();
}

void PresentateurGrille::finirListage(unsigned lancement, bool ok) {
    if (lancement != lancementListage_ || !listage_.joinable())
        return;
    listage_.join();
    modele_->masquerLignes(false);
    std::function<void(bool)> fin = std::exchange(finListage_, nullptr);
    // Options changed while the worker listed: the folder is listed again with them.
    if (std::exchange(relisterDemande_, false) && relister)
        relister();
    else if (fin)
        fin(ok);
    emit listageFini();
}

bool PresentateurGrille::lectureAuLarge() const {
    return chaine_.aPrecharger() > kLectureSurPlace;
}

bool PresentateurGrille::lancerLecture() {
    prechargement_.definirTextes(texte_("RSC_msg_lecture_exif", "Lecture des informations EXIF..."),
                                 texte_("RSC_msg_lecture_exif_annuler", "Annuler"));
    if (!prechargement_.lancer())
        return false;
    modele_->newNamesChanged();
    return true;
}

PresentateurGrille::Lecture PresentateurGrille::lireEtAttendre(bool lireNonLus) {
    // The window goes on answering while it waits: the progress window can be
    // cancelled, and it is modal so that no other command starts meanwhile.
    QEventLoop boucle;
    bool complet = true;
    const QMetaObject::Connection connexions[] = {
        connect(&prechargement_, &PrechargementExif::termine, &boucle,
                [&](bool c) {
                    complet = c;
                    boucle.quit();
                }),
        connect(&prechargement_, &PrechargementExif::interrompu, &boucle, &QEventLoop::quit),
        connect(this, &PresentateurGrille::listageFini, &boucle, &QEventLoop::quit),
    };
    Lecture lecture = Lecture::Complete;
    // A new listing meanwhile (the search mask typed into before the progress showed)
    // brings its own reading: the wait goes on until the pipeline is free.
    for (;;) {
        while (listageEnCours())
            boucle.exec();
        if (lireNonLus && !prechargement_.enCours() && chaine_.aPrecharger() > 0) {
            lireNonLus = false;
            if (!lancerLecture()) {
                lecture = Lecture::Impossible;
                break;
            }
        }
        if (!prechargement_.enCours())
            break;
        prechargement_.rendreModale();
        complet = false;
        boucle.exec();
        lecture = complet ? Lecture::Complete : Lecture::Annulee;
    }
    for (const auto& c : connexions)
        disconnect(c);
    return lecture;
}

void PresentateurGrille::calculer() {
    arreterNoms();
    // In EXIF naming equal names take letters: no name is final before all are made.
    if (chaine_.options().exif.actif || chaine_.lignes().size() <= kNomsSurPlace) {
        chaine_.calculer();
        modele_->newNamesChanged();
        ajusterColonnes();
        emit nomsCalcules();
        return;
    }
    calcul_ = chaine_.moteur().calculParEtapes();
    depart_ = std::make_unique<CalculNouveauxNoms>(*calcul_);
    fait_ = visiblesDebut_ = visiblesFin_ = 0;
    nommerVisibles();
    modele_->newNamesChanged();
    etapes_.start();
}

std::size_t PresentateurGrille::calculerSansLecture() {
    arreterNoms();
    const std::size_t nonLus = chaine_.calculerSansLecture();
    modele_->newNamesChanged();
    ajusterColonnes();
    emit nomsCalcules();
    return nonLus;
}

bool PresentateurGrille::enAttente(int ligne) const {
    // While the facts are read, the names the rows had belong to other options.
    if (prechargement_.enCours())
        return ligne >= 0;
    if (!calcul_ || ligne < 0)
        return false;
    const auto i = std::size_t(ligne);
    return i >= fait_ && (i < visiblesDebut_ || i >= visiblesFin_);
}

void PresentateurGrille::nommerVisibles() {
    if (!calcul_ || !depart_)
        return;
    const std::size_t n = chaine_.lignes().size();
    std::size_t debut = 0, fin = std::min<std::size_t>(n, 100);
    if (vue_) {
        const int haut = vue_->rowAt(0);
        const int bas = vue_->rowAt(vue_->viewport()->height() - 1);
        debut = std::size_t(std::max(0, haut));
        // A grid not laid out yet, or scrolled past its last row: a screenful.
        fin = std::min(n, bas >= 0 ? std::size_t(bas) + 1 : debut + 100);
    }
    debut = std::max(debut, fait_);
    if (fin <= debut || (debut >= visiblesDebut_ && fin <= visiblesFin_))
        return;
    // Counted from the first row, as the whole list is: the rows above only move the
    // counter on, and the rows in view get the names the list will give them.
    CalculNouveauxNoms visibles = *depart_;
    visibles.avancer(fin, debut);
    visiblesDebut_ = debut;
    visiblesFin_ = fin;
    modele_->newNamesChanged(int(debut), int(fin));
}

void PresentateurGrille::poursuivre() {
    if (!calcul_) {
        etapes_.stop();
        return;
    }
    QElapsedTimer temps;
    temps.start();
    const std::size_t debut = calcul_->suivante();
    do
        calcul_->avancer(calcul_->suivante() + 1024);
    while (!calcul_->fini() && temps.elapsed() < kEtapeMs);
    fait_ = calcul_->suivante();
    modele_->newNamesChanged(int(debut), int(fait_));
    if (calcul_->fini())
        finirNoms();
}

void PresentateurGrille::finirNoms() {
    chaine_.moteur().finirCalcul(*calcul_);
    arreterNoms();
    ajusterColonnes();
    emit nomsCalcules();
}

bool PresentateurGrille::terminerNoms() {
    if (listageEnCours())
        return false;
    if (!calcul_)
        return true;
    const std::size_t debut = calcul_->suivante();
    calcul_->avancer(chaine_.lignes().size());
    fait_ = calcul_->suivante();
    modele_->newNamesChanged(int(debut), int(fait_));
    finirNoms();
    return true;
}

void PresentateurGrille::arreterNoms() {
    etapes_.stop();
    calcul_.reset();
    depart_.reset();
    fait_ = visiblesDebut_ = visiblesFin_ = 0;
}

QString PresentateurGrille::cellule(int colonne, int ligne) const {
    if (ligne == 0)
        return modele_->headerData(colonne, Qt::Horizontal, Qt::DisplayRole).toString();
    if (modele_->lignesMasquees())
        return {};
    const auto& rows = chaine_.lignes();
    if (ligne < 1 || std::size_t(ligne) > rows.size() || colonne < 0 || colonne > 1)
        return {};
    if (colonne == 1 && enAttente(ligne - 1))
        return {};
    const FileRow& r = rows[std::size_t(ligne - 1)];
    return qs(colonne == 0 ? r.ancien : nomAffichable(r.nouveau));
}

int PresentateurGrille::nombreLignes() const {
    return modele_->lignesMasquees() ? 2 : int(chaine_.lignes().size()) + 1;
}

std::string PresentateurGrille::cheminLigne(int ligne) const {
    if (listageEnCours())
        return {};
    const auto& rows = chaine_.lignes();
    if (ligne < 0 || ligne >= int(rows.size()) ||
        rows[std::size_t(ligne)].ancienSurDisque().empty())
        return {};
    // The file is opened by its name on disk, bytes and all.
    return chaine_.dossier().chemin() + rows[std::size_t(ligne)].ancienSurDisque();
}

int PresentateurGrille::largeurNoms(int colonne) const {
    if (colonne == 0 && largeurAnciens_ >= 0)
        return largeurAnciens_;
    // The widest names are among the longest: only those few are measured, so that a
    // folder of many thousand photos costs one pass over the lengths.
    constexpr std::size_t kMesures = 24;
    const auto& rows = chaine_.lignes();
    const bool masquees = modele_->lignesMasquees();
    auto texte = [colonne](const FileRow& r) -> const std::string& {
        return colonne == 0 ? r.ancien : r.nouveau;
    };
    std::vector<std::pair<std::size_t, std::size_t>> longs; // (length, row)
    longs.reserve(kMesures + 1);
    for (std::size_t i = 0; !masquees && i < rows.size(); ++i) {
        const std::size_t n = texte(rows[i]).size();
        if (longs.size() == kMesures && n <= longs.back().first)
            continue;
        longs.insert(
            std::upper_bound(longs.begin(), longs.end(), std::pair{n, i},
                             [](const auto& a, const auto& b) { return a.first > b.first; }),
            {n, i});
        if (longs.size() > kMesures)
            longs.pop_back();
    }
    const QFontMetrics fm = vue_->fontMetrics();
    int largeur = QFontMetrics(vue_->horizontalHeader()->font())
                      .horizontalAdvance(
                          modele_->headerData(colonne, Qt::Horizontal, Qt::DisplayRole).toString());
    for (const auto& [n, i] : longs)
        largeur = std::max(largeur,
                           fm.horizontalAdvance(colonne == 0 ? qs(rows[i].ancien)
                                                             : qs(nomAffichable(rows[i].nouveau))));
    largeur += 2 * vue_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 12;
    // The old names change only with a listing or a hand edit.
    if (colonne == 0 && !masquees)
        largeurAnciens_ = largeur;
    return largeur;
}

void PresentateurGrille::ajusterColonnes() {
    if (!vue_)
        return;
    // Each column as wide as its names when both fit, the room left shared between them;
    // otherwise the room shared in the ratio of their widths (a column never below a
    // quarter), the names cut in the middle and shown whole as a tip.
    const int place = std::max(80, vue_->viewport()->width());
    const int a = largeurNoms(0), b = largeurNoms(1);
    int w0;
    if (a + b <= place)
        w0 = a + (place - a - b) / 2;
    else
        w0 = std::clamp(int(std::lround(double(place) * a / double(a + b))), place / 4,
                        place - place / 4);
    vue_->horizontalHeader()->setDefaultSectionSize(place / 2);
    vue_->setColumnWidth(0, w0);
    vue_->setColumnWidth(1, place - w0);
}

} // namespace varlime
