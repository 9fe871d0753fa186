// SPDX-License-Identifier: GPL-3.0-or-later
#include "naming/chaineNommage.h"

#include "companions/compagnons.h"
#include "core/messageFormat.h"
#include "core/nameUtils.h"
#include "exif_naming/composeurExif.h"
#include "exif_naming/faitsExif.h"

#include <algorithm>
#include <fcntl.h>
#include <unistd.h>

namespace varlime {

void appliquerDateFixe(OptionsNommage& o, const QDate& date) {
    o.dateFichier = false;
    o.prefixe = Retourne_date_et_compteur_formate(Formate_date(o.formatDate, date), o.separateur,
                                                  o.compteurADroite);
}

void appliquerDateFichier(OptionsNommage& o) {
    o.dateFichier = true;
    o.prefixe.clear();
}

std::string prefixeModeExif(const OptionsExif& e) {
    return e.actif && e.garderCompteur ? std::string(kMasqueGarderCompteur) : std::string();
}

void appliquerModeExif(OptionsNommage& o) {
    if (!o.exif.actif)
        return;
    o.dateFichier = false;
    o.prefixe = prefixeModeExif(o.exif);
}

void appliquerRawCanon(OptionsNommage& o) {
    o.compagnons.rawCanon = true;
    o.compagnons.association = false;
    o.exif.actif = true;
    o.masqueRecherche = kMasqueModeCompagnon;
}

void appliquerAssociation(OptionsNommage& o, const std::string& cible, const std::string& source) {
    OptionsCompagnons& a = o.compagnons;
    a.association = true;
    a.rawCanon = false;
    a.cible = cible;
    a.source = source;
    o.exif.actif = true;
    o.masqueRecherche = kMasqueModeCompagnon;
}

namespace {
// A run or an undo refused before any file was touched.
std::optional<CompteRendu> refusBilan(const TextLookup& texte, const BilanRenommage& bilan,
                                      const std::string& dossier) {
    if (bilan.dossierDeplace)
        return CompteRendu{
            false, true,
            formatMessage(texte("RSC_msg_repertoire_deplace", kMessageDossierDeplace), {dossier})};
    if (bilan.enCours)
        return CompteRendu{
            false, true,
            formatMessage(texte("RSC_msg_varlimage_en_cours", kMessageVarlimageEnCours),
                          {dossier})};
    if (bilan.sansJournal)
        return CompteRendu{false, true, messageSansJournal(texte, bilan)};
    return std::nullopt;
}

CompteRendu bilanFait(const std::string& texteBilan, const BilanRenommage& bilan) {
    return {
        true, false,
        formatMessage(texteBilan, {std::to_string(bilan.renommes), std::to_string(bilan.erreurs)})};
}
} // namespace

CompteRendu compteRenduRenommage(const TextLookup& texte, const BilanRenommage& bilan,
                                 const std::string& dossier) {
    if (auto refus = refusBilan(texte, bilan, dossier))
        return *refus;
    return bilanFait(texte("RSC_msg_bilan_varlimage", "%d fichiers varlimés\r\n%d erreurs"), bilan);
}

std::optional<CompteRendu> refusAnnulation(const TextLookup& texte,
                                           const std::optional<PlanAnnulation>& plan,
                                           const std::string& dossier) {
    if (!plan)
        return CompteRendu{
            false, false,
            texte("RSC_msg_rien_a_annuler", "Aucun varlimage à annuler dans ce répertoire.")};
    if (!plan->journalTropGrand.empty())
        return CompteRendu{
            false, true,
            formatMessage(texte("RSC_msg_journal_trop_grand", kMessageJournalTropGrand),
                          {nomAffichable(plan->journalTropGrand)})};
    if (plan->enCours)
        return CompteRendu{
            false, false,
            formatMessage(texte("RSC_msg_varlimage_en_cours", kMessageVarlimageEnCours),
                          {dossier})};
    return std::nullopt;
}

CompteRendu compteRenduAnnulation(const TextLookup& texte, const PlanAnnulation& plan,
                                  const BilanRenommage& bilan, const std::string& dossier) {
    if (!plan.journalTropGrand.empty())
        return *refusAnnulation(texte, plan, dossier);
    if (auto refus = refusBilan(texte, bilan, dossier))
        return *refus;
    return bilanFait(texte("RSC_msg_bilan_annulation", kMessageBilanAnnulation), bilan);
}

ChaineNommage::ChaineNommage() : cache_(std::make_unique<CacheFaitsExif>()) {}

ChaineNommage::~ChaineNommage() = default;

bool ChaineNommage::lister(const std::string& chemin) {
    // A listing says nothing of the next one: a folder that cannot be opened keeps no
    // CR2 of the folder listed before.
    cr2Vu_ = false;
    precharge_ = false;
    // Every file's facts are checked again (the cache forgets another folder's).
    cache_->nouvelleGeneration();
    // The companion modes keep only their pairs; the Canon filter also needs to know,
    // before the first entry, whether the listing holds a CR2 at all. Outside them
    // every file is kept, and the filter is not asked 100,000 times for nothing.
    const OptionsCompagnons& c = moteur_.options.compagnons;
    moteur_.garderFichier = nullptr;
    moteur_.voirListing = nullptr;
    if (c.rawCanon || c.association) {
        moteur_.garderFichier = [this](const std::string& nom) {
            return Fichier_compagnon_a_traiter(moteur_.options.compagnons, cr2Vu_,
                                               nomAffichable(nom));
        };
        moteur_.voirListing = [this](const std::vector<std::string>& noms) {
            Noter_cr2(moteur_.options.compagnons, cr2Vu_, noms);
        };
    }
    return moteur_.lister(chemin);
}

std::size_t ChaineNommage::aPrecharger() const {
    if (!moteur_.fichiersTrouves() || precharge_)
        return 0;
    return cache_->aVerifier(moteur_.dossier(), moteur_.lignes());
}

bool ChaineNommage::precharger(const std::function<void(std::size_t, std::size_t)>& progression,
                               const std::atomic<bool>* arret) {
    if (!moteur_.fichiersTrouves())
        return true;
    bool arrete = false;
    cache_->precharger(moteur_.dossier(), moteur_.lignes(),
                       [&](std::size_t fait, std::size_t total) {
                           if (progression)
                               progression(fait, total);
                           arrete = arret && arret->load();
                           return !arrete;
                       });
    precharge_ = !arrete;
    return !arrete;
}

void ChaineNommage::nouvelleGeneration() {
    precharge_ = false;
    cache_->nouvelleGeneration();
}

void ChaineNommage::oublierFaits() {
    precharge_ = false;
    cache_->vider();
}

void ChaineNommage::retoucherFaits(std::function<void(FaitsExif&)> retouche) {
    precharge_ = false;
    cache_->retoucher(std::move(retouche));
}

void ChaineNommage::retoucherFaitsLus(const std::function<void(FaitsExif&)>& retouche) {
    cache_->retoucherLus(retouche);
}

ChaineNommage::Partie ChaineNommage::nommerPartie(const std::vector<std::size_t>& indices,
                                                  int debut) {
    Partie p;
    const std::vector<FileRow>& tout = moteur_.lignes();
    OptionsNommage options = moteur_.options;
    options.initialisation = debut;
    const DossierListe& dossier = moteur_.dossier();
    NamePartFn partie;
    LigneCompagnonFn compagnon;
    if (options.exif.actif) {
        const QDate jour = aujourdhui ? *aujourdhui : dateDuJour();
        partie = partieNomExifCompagnons(*cache_, dossier, tout, options, jour);
        compagnon = lignesCompagnons(*cache_, dossier, options.compagnons, tout);
    } else {
        const int fd = dossier.fd();
        partie = [&options, fd](std::size_t, const FileRow& row) {
            return partieNomStandard(options, fd, row);
        };
    }
    // The part's rows by their place in the listing, and back.
    std::vector<std::size_t> place(tout.size(), kSansPhoto);
    for (std::size_t i = 0; i < indices.size(); ++i) {
        p.lignes.push_back(tout[indices[i]]);
        place[indices[i]] = i;
    }
    const NamePartFn partieLocale = [&](std::size_t i, const FileRow& row) {
        std::string nom = partie(indices[i], row);
        p.parties[i] = nom;
        return nom;
    };
    const LigneCompagnonFn compagnonLocal =
        compagnon ? LigneCompagnonFn([&](std::size_t i) -> std::optional<std::size_t> {
            const auto autre = compagnon(indices[i]);
            if (!autre || place[*autre] == kSansPhoto)
                return std::nullopt;
            return place[*autre];
        })
                  : LigneCompagnonFn();
    p.parties.resize(indices.size());
    calculerNouveauxNoms(p.lignes, !indices.empty(), options, partieLocale, compagnonLocal);
    if (options.exif.actif) {
        std::vector<std::string> nouveaux;
        for (const FileRow& r : p.lignes)
            nouveaux.push_back(r.nouveau);
        Supprimer_doublons(nouveaux, groupesDeLignes(p.lignes.size(), compagnonLocal));
        for (std::size_t i = 0; i < nouveaux.size(); ++i)
            p.lignes[i].nouveau = std::move(nouveaux[i]);
    }
    return p;
}

const FaitsExif& ChaineNommage::faits(const std::string& nom) {
    return cache_->faits(moteur_.dossier(), nom);
}

VerificationExif ChaineNommage::verifierListeExif() {
    return varlime::verifierListeExif(*cache_, moteur_.dossier(), moteur_.lignes());
}

void ChaineNommage::calculer() {
    if (!moteur_.options.exif.actif) {
        moteur_.calculer();
        return;
    }
    const QDate jour = aujourdhui ? *aujourdhui : dateDuJour();
    moteur_.calculer(
        partieNomExifCompagnons(*cache_, moteur_.dossier(), moteur_.lignes(), moteur_.options,
                                jour),
        lignesCompagnons(*cache_, moteur_.dossier(), moteur_.options.compagnons, moteur_.lignes()));
}

std::size_t ChaineNommage::calculerSansLecture() {
    if (!moteur_.options.exif.actif) {
        calculer();
        return 0;
    }
    cache_->suspendreLecture(true);
    try {
        calculer();
    } catch (...) {
        cache_->suspendreLecture(false);
        throw;
    }
    std::size_t nonLus = 0;
    for (FileRow& r : moteur_.lignes())
        if (!r.ancien.empty() && cache_->nonLu(r.ancienSurDisque())) {
            r.nouveau = std::string(kNonVarlimeNonLu);
            ++nonLus;
        }
    cache_->suspendreLecture(false);
    return nonLus;
}

RapportTest ChaineNommage::tester(const TextLookup& texte) const {
    RapportTest rapport = moteur_.tester(texte);
    // Rows checked one by one cannot tell that the folder itself refuses every rename
    // (read-only folder or card): the report says so first, and never "no error".
    const bool aRenommer =
        std::any_of(moteur_.lignes().begin(), moteur_.lignes().end(), [](const FileRow& r) {
            return !r.ancien.empty() && !r.nouveau.empty() &&
                   !Remplacement_indique_pas_varlime(r.nouveau) && r.nouveau != r.ancienSurDisque();
        });
    const DossierListe& dossier = moteur_.dossier();
    if (!aRenommer || !dossier.ouvert() ||
        ::faccessat(dossier.fd(), ".", W_OK | X_OK, AT_EACCESS) == 0)
        return rapport;
    if (!rapport.erreur) {
        const auto fin =
            messageLines(texte("RSC_aucune_erreur", "*** Aucune erreur à signaler ***"));
        rapport.lignes.resize(rapport.lignes.size() - std::min(rapport.lignes.size(), fin.size()));
    }
    auto lignes = messageLines(formatMessage(
        texte("RSC_msg_test_repertoire_protege",
              "Le répertoire %s n'autorise pas le renommage (lecture seule) : aucun fichier "
              "ne pourra être varlimé.\r\n"),
        {nomAffichable(dossier.chemin())}));
    rapport.lignes.insert(rapport.lignes.begin(), lignes.begin(), lignes.end());
    rapport.erreur = true;
    return rapport;
}

BilanRenommage ChaineNommage::renommer() const {
    return moteur_.renommer();
}

std::optional<ChaineNommage::Elargissement>
ChaineNommage::elargissementCompteur(const TextLookup& texte) const {
    const int largeur = moteur_.largeurCompteurManquante();
    if (largeur <= 0)
        return std::nullopt;
    return Elargissement{
        largeur,
        formatMessage(texte("RSC_msg_proposer_largeur_compteur", kMessageProposerLargeur),
                      {std::to_string(moteur_.options.largeur),
                       std::to_string(moteur_.dernierCompteur()), std::to_string(largeur)})};
}

} // namespace varlime
