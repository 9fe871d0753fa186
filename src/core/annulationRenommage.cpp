// SPDX-License-Identifier: GPL-3.0-or-later
// Undoing a run from its journal: which rows to take back, whether the files are still the
// ones the run renamed, and the renames back, under the folder's lock.
#include "core/renameEngine.h"
#include "core/renommageInterne.h"

#include "core/identiteDossier.h"
#include "core/renameJournal.h"
#include "platform/fileSystem.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_set>
#include <vector>

namespace varlime {

namespace {

using Sens = PlanAnnulation::Sens;

// True when a row knows its file by something.
bool identiteConnue(const IdentiteFichier& id) {
    return id.inode != 0 || id.contenu;
}

// Whether the files of a journal are known by their content (cards), and whether their
// inode numbers still mean something.
bool parContenu(const JournalLu& j) {
    return j.version >= 2 && !j.inodesStables;
}

// What stands under a name: on disk, unless an earlier step of the plan changed it.
class EtatPrevu {
public:
    EtatPrevu(int fd, bool contenu) : fd_(fd), contenu_(contenu) {}
    struct Entree {
        bool existe = false;
        IdentiteFichier id;
    };
    Entree sous(const std::string& nom) const {
        if (const auto it = prevus_.find(nom); it != prevus_.end())
            return it->second;
        Entree e;
        e.existe = entreeExisteAt(fd_, nom);
        if (e.existe)
            e.id = identiteFichier(fd_, nom, contenu_);
        return e;
    }
    void deplacer(const std::string& de, const std::string& vers) {
        const Entree e = sous(de);
        prevus_[de] = Entree{};
        prevus_[vers] = e;
    }

private:
    int fd_;
    bool contenu_;
    std::map<std::string, Entree> prevus_;
};

// The rows of the run to make, each with the file it moves. A row's file is known by the
// identity taken before the run; a row whose old name did not exist then (it was freed
// and taken during the run) moves the file an earlier row brought there.
std::vector<JournalLu::Ligne> lignesDuRun(const JournalLu& j, Sens sens) {
    std::vector<JournalLu::Ligne> lignes = j.lignes;
    std::map<std::string, IdentiteFichier> apporte;
    for (JournalLu::Ligne& l : lignes) {
        if (!identiteConnue(identiteLigne(l))) {
            if (const auto it = apporte.find(l.ancien); it != apporte.end())
                poserIdentite(l, it->second);
        }
        apporte.erase(l.ancien);
        apporte[l.nouveau] = identiteLigne(l);
    }
    if (sens == Sens::Terminer)
        return lignes; // the undo's rows already lead back
    // Going back: newest first, each from its new name to its old one.
    std::reverse(lignes.begin(), lignes.end());
    for (JournalLu::Ligne& l : lignes)
        std::swap(l.ancien, l.nouveau);
    return lignes;
}

// `requis`: whether each row must reach its new name (a row the undone run never made
// has nothing to undo).
PlanAnnulation planifier(int fd, JournalLu journal, Sens sens) {
    PlanAnnulation plan;
    plan.sens = sens;
    plan.lignes = lignesDuRun(journal, sens);
    std::vector<bool> requis(plan.lignes.size(), true);
    if (sens == Sens::Annuler)
        for (std::size_t i = 0; i < journal.lignes.size(); ++i)
            requis[journal.lignes.size() - 1 - i] = journal.lignes[i].fait;
    const bool stables = !parContenu(journal);
    plan.inodesStables = stables;
    EtatPrevu etat(fd, !stables);
    auto memeIdentite = [stables](const IdentiteFichier& vu, const IdentiteFichier& attendu) {
        return memeFichier(vu, attendu, stables);
    };
    for (std::size_t i = 0; i < plan.lignes.size(); ++i) {
        JournalLu::Ligne& l = plan.lignes[i];
        l.fait = false;
        if (l.ancien == l.nouveau)
            continue;
        const EtatPrevu::Entree depart = etat.sous(l.ancien);
        const EtatPrevu::Entree arrivee = etat.sous(l.nouveau);
        const IdentiteFichier id = identiteLigne(l);
        bool aPartir, arrive;
        if (identiteConnue(id)) {
            aPartir = depart.existe && memeIdentite(depart.id, id);
            arrive = arrivee.existe && memeIdentite(arrivee.id, id);
            // A file system that ignores letter case finds the file under both spellings.
            if (aPartir && arrive)
                arrive = !requis[i];
        } else {
            // Nothing tells the file: a row marked done goes when its target is free.
            aPartir = requis[i] && depart.existe && !arrivee.existe;
            arrive = false;
        }
        if (arrive)
            continue; // already there
        if (!aPartir) {
            if (requis[i])
                ++plan.impossibles; // renamed or replaced since
            continue;
        }
        if (arrivee.existe && !(identiteConnue(id) && memeIdentite(arrivee.id, id))) {
            ++plan.impossibles; // its name is taken
            continue;
        }
        FileRow retour;
        retour.ancien = l.ancien;
        retour.nouveau = l.nouveau;
        plan.retours.push_back(std::move(retour));
        plan.indices.push_back(i);
        etat.deplacer(l.ancien, l.nouveau);
    }
    plan.journal = std::move(journal);
    return plan;
}

bool runEnCours(const std::vector<JournalLu>& liste) {
    return std::any_of(liste.begin(), liste.end(), [](const JournalLu& j) { return j.enCours; });
}

} // namespace

PlanAnnulation planAnnulation(const DossierListe& dossier, JournalLu journal) {
    if (journal.enCours || journal.tropGrand) {
        PlanAnnulation plan;
        plan.enCours = journal.enCours;
        if (journal.tropGrand)
            plan.journalTropGrand = journal.fichier;
        plan.journal = std::move(journal);
        return plan;
    }
    const Sens sens = journal.annulation ? Sens::Terminer : Sens::Annuler;
    return planifier(dossier.fd(), std::move(journal), sens);
}

std::optional<PlanAnnulation> planAnnulation(const DossierListe& dossier,
                                             const std::string& journaux) {
    if (!dossier.ouvert())
        return std::nullopt;
    std::vector<JournalLu> liste = journauxDuDossier(journaux, identiteDossier(dossier.fd()));
    if (liste.empty())
        return std::nullopt;
    if (liste.front().tropGrand) {
        PlanAnnulation plan;
        plan.journalTropGrand = liste.front().fichier;
        plan.journal = std::move(liste.front());
        return plan;
    }
    if (runEnCours(liste)) {
        PlanAnnulation plan;
        plan.enCours = true;
        plan.journal = std::move(liste.front());
        return plan;
    }
    JournalLu& dernier = liste.front();
    if (!dernier.annulation)
        return planifier(dossier.fd(), std::move(dernier), Sens::Annuler);
    // An undo that left files behind is finished; one that brought every file back is
    // undone in turn (the run is made again).
    PlanAnnulation fin = planifier(dossier.fd(), dernier, Sens::Terminer);
    if (!fin.retours.empty() || fin.impossibles != 0)
        return fin;
    return planifier(dossier.fd(), std::move(dernier), Sens::Refaire);
}

BilanRenommage annuler(const DossierListe& dossier, const PlanAnnulation& plan,
                       const std::string& journaux) {
    BilanRenommage bilan;
    if (plan.enCours) {
        bilan.enCours = true;
        return bilan;
    }
    if (!plan.journalTropGrand.empty())
        return bilan;
    if (!dossier.toujoursEnPlace()) {
        bilan.dossierDeplace = true;
        return bilan;
    }
    const int fd = dossier.fd();
    const IdentiteDossier id = identiteDossier(fd);
    VerrouDossier verrou;
    if (auto refus = prendreVerrou(verrou, journaux, id))
        return *refus;
    // No undo goes without its own journal: an undo cut short must be finished or
    // undone in turn. A redo is an ordinary run: undoing it puts the files back again.
    JournalEcrit journal;
    if (!journal.ouvrir(journaux, dossier.chemin(), id, plan.lignes, plan.sens != Sens::Refaire))
        return refusSansJournal(journaux, journal.erreur());
    // Checked with this journal held: a run that died without its lock's file
    // removed, or of another version of the program, may still be going.
    std::vector<JournalLu> liste = journauxDuDossier(journaux, id);
    if (std::any_of(liste.begin(), liste.end(), [&](const JournalLu& j) {
            return j.enCours && j.fichier != journal.chemin();
        })) {
        journal.abandonner();
        bilan.enCours = true;
        return bilan;
    }
    const bool contenu = !plan.inodesStables;
    // A file that goes on from where a step brought it (a change of case through a
    // temporary name) is counted once, at its last step.
    std::vector<bool> continue_(plan.retours.size(), false);
    {
        std::unordered_set<std::string> departsSuivants;
        for (std::size_t k = plan.retours.size(); k-- > 0;) {
            continue_[k] = estNomTemporaireCasse(plan.retours[k].nouveau) &&
                           departsSuivants.count(plan.retours[k].nouveau) != 0;
            departsSuivants.insert(plan.retours[k].ancien);
        }
    }
    for (std::size_t k = 0; k < plan.retours.size(); ++k) {
        const FileRow& r = plan.retours[k];
        const std::size_t index = k < plan.indices.size() ? plan.indices[k] : plan.lignes.size();
        // The file is the one planned: another one may have taken the name meanwhile.
        bool sur = entreeExisteAt(fd, r.ancien);
        if (sur && index < plan.lignes.size() && identiteConnue(identiteLigne(plan.lignes[index])))
            sur = memeFichier(identiteFichier(fd, r.ancien, contenu),
                              identiteLigne(plan.lignes[index]), plan.inodesStables);
        // The names go back as they were, hidden ones included.
        if (sur && renommerSansEcraserAt(fd, r.ancien, r.nouveau) == ResultatRenommage::Renomme) {
            bilan.renommes += continue_[k] ? 0 : 1;
            if (index < plan.lignes.size())
                journal.fait(index);
        } else {
            bilan.erreurs += continue_[k] ? 0 : 1;
        }
    }
    journal.fermer();
    bilan.erreurs += plan.impossibles;
    return bilan;
}

} // namespace varlime
