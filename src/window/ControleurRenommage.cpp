// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/ControleurRenommage.h"

#include "core/identiteDossier.h"
#include "core/renameJournal.h"
#include "naming/chaineNommage.h"
#include "platform/texteQt.h"
#include "platform/ui/MessageService.h"

#include <utility>

namespace varlime {

ControleurRenommage::ControleurRenommage(ChaineNommage& chaine, TextLookup texte,
                                         MessageService& messages, Fenetre fenetre)
    : chaine_(chaine), texte_(std::move(texte)), messages_(messages), fenetre_(std::move(fenetre)) {
}

QString ControleurRenommage::message(const char* cle, const char* defaut) const {
    return qs(texte_(cle, defaut));
}

RapportTest ControleurRenommage::rapport() {
    // The report speaks of every file's new name.
    if (fenetre_.nommerTout)
        fenetre_.nommerTout();
    return chaine_.tester(texte_);
}

void ControleurRenommage::tester() {
    const RapportTest r = rapport();
    if (fenetre_.montrerRapport)
        fenetre_.montrerRapport(r);
}

void ControleurRenommage::varlimer() {
    QWidget* parent = fenetre_.parent;
    // The run renames what the grid shows: every file's name is there before the question.
    if (fenetre_.nommerTout)
        fenetre_.nommerTout();
    // Nothing to rename: no question, only the reason.
    if (!lignesARenommer(chaine_.lignes())) {
        messages_.information(
            message("RSC_msg_rien_a_varlimer", "Aucun fichier à varlimer dans la liste."), parent);
        return;
    }
    // A counter too narrow for the list: the width that fits is offered first.
    if (const auto elargir = chaine_.elargissementCompteur(texte_);
        elargir && messages_.confirm(qs(elargir->question), parent) && fenetre_.largeurCompteur)
        fenetre_.largeurCompteur(elargir->largeur);
    // A declined run touches nothing and says nothing: a summary of zero files would
    // read as if the run had been tried and had found nothing to do.
    if (!messages_.confirm(
            message("RSC_msg_confirmation_varlimer_liste", "Voulez-vous varlimer la liste ?"),
            parent))
        return;
    const BilanRenommage bilan = chaine_.renommer();
    dernierBilan_ = bilan;
    const CompteRendu compte =
        compteRenduRenommage(texte_, bilan, nomAffichable(chaine_.dossier().chemin()));
    if (!compte.fait) {
        // Nothing was renamed (or the rows belong to a folder no longer there): the grid
        // stays as it was so the user sees what was meant.
        messages_.error(qs(compte.message), parent);
        return;
    }
    if (fenetre_.relister)
        fenetre_.relister();
    // A failure is told with its cause, under the warning icon.
    const std::string raisons = raisonsEchecs(bilan, texte_);
    messages_.show(bilan.erreurs ? MessageKind::Warning : MessageKind::Information,
                   qs(compte.message) +
                       (raisons.empty() ? QString() : QStringLiteral("\r\n\r\n") + qs(raisons)),
                   MessageButtons::Ok, parent);
}

void ControleurRenommage::annulerEtDire(const DossierListe& dossier, const PlanAnnulation& plan) {
    const BilanRenommage bilan = annuler(dossier, plan, chaine_.journaux());
    const QString resume =
        qs(compteRenduAnnulation(texte_, plan, bilan, nomAffichable(dossier.chemin())).message);
    // Files of the folder listed may have changed names.
    if (chaine_.dossier().ouvert() && fenetre_.relister)
        fenetre_.relister();
    messages_.information(resume, fenetre_.parent);
}

void ControleurRenommage::annulerDernier() {
    if (fenetre_.finirListe)
        fenetre_.finirListe();
    QWidget* parent = fenetre_.parent;
    const DossierListe& dossier = chaine_.dossier();
    const std::string nomDossier = nomAffichable(dossier.chemin());
    const auto plan = planAnnulation(dossier, chaine_.journaux());
    if (const auto refus = refusAnnulation(texte_, plan, nomDossier)) {
        messages_.show(refus->erreur ? MessageKind::Error : MessageKind::Information,
                       qs(refus->message), MessageButtons::Ok, parent);
        return;
    }
    // The last run in this folder may be an undo that brought every file back: undoing
    // it renames the files again, and the question says so rather than speaking of old names.
    const QString question =
        plan->sens == PlanAnnulation::Sens::Refaire
            ? message("RSC_msg_confirmation_refaire",
                      "Le dernier varlimage a été annulé. Voulez-vous le refaire (%d fichiers) ?")
            : message("RSC_msg_confirmation_annuler",
                      "Voulez-vous remettre %d fichiers sous leur ancien nom ?");
    if (!messages_.confirm(formatMessage(question, {int(plan->retours.size())}), parent))
        return;
    if (!dossier.toujoursEnPlace()) {
        messages_.error(formatMessage(message("RSC_msg_repertoire_deplace", kMessageDossierDeplace),
                                      {qs(nomDossier)}),
                        parent);
        return;
    }
    annulerEtDire(dossier, *plan);
}

void ControleurRenommage::signalerInterrompus() {
    QWidget* parent = fenetre_.parent;
    for (JournalLu& j : journaux(chaine_.journaux())) {
        if (j.termine || j.signale)
            continue;
        const QString dossier = qs(nomAffichable(j.dossier));
        // A run still going holds its journal: it is told, and offered once it has died.
        if (j.enCours) {
            messages_.information(
                formatMessage(message("RSC_msg_varlimage_en_cours", kMessageVarlimageEnCours),
                              {dossier}),
                parent);
            continue;
        }
        marquerSignale(j.fichier);
        // The journal names its folder by its identity: a folder removed, or
        // another one now at its path, is refused.
        DossierListe d;
        if (!d.ouvrir(j.dossier) || !journalDuDossier(j, identiteDossier(d.fd()))) {
            messages_.error(
                formatMessage(message("RSC_msg_repertoire_deplace", kMessageDossierDeplace),
                              {dossier}),
                parent);
            continue;
        }
        // The offer counts the files that would go back, as they are on disk: the
        // marks of the last renames may not have been written.
        const PlanAnnulation plan = planAnnulation(d, std::move(j));
        if (plan.retours.empty())
            continue;
        if (!messages_.confirm(
                formatMessage(message("RSC_msg_varlimage_interrompu", kMessageVarlimageInterrompu),
                              {dossier, int(plan.retours.size())}),
                parent))
            continue;
        annulerEtDire(d, plan);
    }
}

} // namespace varlime
