// SPDX-License-Identifier: GPL-3.0-or-later
// The import window's run and what comes after it: the import started on a worker
// thread with its progress, its result lines and their files, then opening the
// archive, ejecting the card or deleting from the card what every destination verified.
#include "import/ui/IHM_import.h"

#include "core/messageFormat.h"
#include "import/ui/ArbreImport.h"
#include "import/ui/FriseAppareils.h"
#include "platform/texteQt.h"
#include "platform/ui/MessageService.h"
#include "platform/ui/ServicesFenetre.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QThread>
#include <QUrl>
#include <QVBoxLayout>

namespace varlime {

bool TDLG_import::Importer() {
    if (enCours() || !planPret_ || !import_)
        return false;
    const QStringList manques = manquesDePlace();
    if (!manques.isEmpty()) {
        app_.messages().error(
            texte("RSC_import_place_insuffisante",
                  "L'import ne tient pas sur chaque destination ; rien n'a été copié.") +
                QStringLiteral("\n\n") + manques.join(QLatin1Char('\n')),
            this);
        return false;
    }
    modele_.enregistrer(app_.programFolder());
    for (std::size_t i : arbre_->exclus())
        import_->ecarter(i);
    lancer(import_, false);
    return true;
}

void TDLG_import::lancer(std::shared_ptr<ImportCarte> import, bool deplacement) {
    basculer(true);
    LST_bilan->clear();
    PGB_import->setValue(0);
    dernierAvancement_ = 0;
    planDuBilan_ = import->plan();
    enMarche_ = import;
    travail_ = QThread::create([this, import, deplacement] {
        SuiviImport suivi;
        QElapsedTimer montre;
        montre.start();
        suivi.progression = [this, &montre](const ProgressionImport& p) {
            // A few updates a second are enough for the eye.
            if (montre.elapsed() < 100 && !p.fichier.empty())
                return;
            montre.restart();
            QMetaObject::invokeMethod(
                this, [this, p] { avancement(p); }, Qt::QueuedConnection);
        };
        BilanImport bilan = import->executer(suivi);
        QMetaObject::invokeMethod(
            this, [this, bilan = std::move(bilan), deplacement] { termine(bilan, deplacement); },
            Qt::QueuedConnection);
    });
    travail_->start();
}

void TDLG_import::avancement(const ProgressionImport& p) {
    if (p.octetsTotal > 0)
        PGB_import->setValue(int(1000.0 * double(p.octetsFaits) / double(p.octetsTotal)));
    const TextLookup t = recherche();
    LBL_avancement->setText(qs(ligneProgression(p, t)));
}

void TDLG_import::termine(BilanImport bilan, bool deplacement) {
    if (travail_) {
        travail_->wait();
        delete travail_;
        travail_ = nullptr;
    }
    enMarche_.reset();
    bilan_ = std::move(bilan);
    bilanDeplacement_ = deplacement;
    PGB_import->setValue(bilan_.interrompu ? PGB_import->value() : 1000);
    basculer(false);
    afficherBilan(deplacement);
    if (!bilan_.erreur.empty())
        app_.messages().error(
            qs(formatMessage(texte("RSC_import_arret", "L'import s'arrête : %s").toStdString(),
                             {bilan_.erreur})),
            this);
    // Every file verified on every destination, none left out: the card may be emptied.
    const bool toutVerifie =
        bilan_.reussi() && !deplacement && arbre_->exclus().empty() &&
        bilan_.importes.size() + bilan_.dejaImportes.size() + bilan_.doublons.size() ==
            planDuBilan_.fichiers.size();
    BT_supprimer_carte->setEnabled(toutVerifie && !planDuBilan_.fichiers.empty());
    BT_ouvrir_dossier->setEnabled(!bilan_.importes.empty());
    BT_ejecter->setEnabled(raisonSansUDisks().isEmpty());
    // The tree then shows what this run imported as already imported.
    planifier();
}

void TDLG_import::afficherBilan(bool deplacement) {
    const TextLookup t = recherche();
    const std::vector<std::string> lignes = lignesBilan(bilan_, deplacement, t);
    listesBilan_ = {bilan_.importes, bilan_.dejaImportes, bilan_.doublons, bilan_.sansDate,
                    bilan_.echecs};
    if (deplacement)
        listesBilan_.push_back(bilan_.effaces);
    // The failures' list tells why each one failed.
    for (std::size_t k = 0; k < bilan_.echecs.size() && k < bilan_.raisons.size(); ++k)
        listesBilan_[4][k] += "  (" + bilan_.raisons[k] + ")";
    std::vector<std::string> restants;
    if (bilan_.interrompu) {
        for (std::size_t i = planDuBilan_.fichiers.size() - std::size_t(bilan_.restants);
             i < planDuBilan_.fichiers.size(); ++i)
            restants.push_back(planDuBilan_.fichiers[i].cheminSource());
        listesBilan_.push_back(restants);
    }
    LST_bilan->clear();
    for (const std::string& l : lignes)
        LST_bilan->addItem(qs(l));
}

QStringList TDLG_import::fichiersDeLigne(int ligne) const {
    QStringList out;
    if (ligne >= 0 && ligne < int(listesBilan_.size()))
        for (const std::string& f : listesBilan_[std::size_t(ligne)])
            out << qs(f);
    return out;
}

void TDLG_import::ouvrirLigne(int ligne) {
    const QStringList fichiers = fichiersDeLigne(ligne);
    QDialog d(this);
    d.setObjectName(QStringLiteral("DLG_import_liste"));
    d.setWindowTitle(LST_bilan->item(ligne) ? LST_bilan->item(ligne)->text() : QString());
    auto* l = new QVBoxLayout(&d);
    auto* liste = new QListWidget(&d);
    liste->addItems(fichiers);
    l->addWidget(liste);
    auto* ok = new QPushButton(QStringLiteral("OK"), &d);
    connect(ok, &QPushButton::clicked, &d, &QDialog::accept);
    l->addWidget(ok, 0, Qt::AlignRight);
    d.resize(700, 400);
    d.exec();
}

void TDLG_import::basculer(bool marche) {
    BT_importer->setEnabled(!marche && planPret_);
    BT_interrompre->setVisible(marche);
    for (QWidget* w : std::initializer_list<QWidget*>{
             LST_sources, BT_autre_dossier, CBB_archive, CBB_sauvegarde1, CBB_sauvegarde2,
             EDT_modele, EDT_nom, SPN_largeur, SPN_debut, CKB_nom_date, TBL_appareils,
             FRI_appareils, BT_supprimer_carte, BT_ejecter, BT_ouvrir_dossier})
        w->setEnabled(!marche);
}

void TDLG_import::Interrompre() {
    if (enCours() && enMarche_)
        enMarche_->arreter();
}

void TDLG_import::SupprimerDeLaCarte() {
    if (enCours() || !BT_supprimer_carte->isEnabled())
        return;
    // A plan of its own, as a move: the engine deletes only what it finds already
    // imported and still the same as its verified copy.
    OptionsImport o = modele_.options();
    o.moisAbreges = moisAbregesDuSysteme();
    o.deplacer = true;
    if (preparerOptions)
        preparerOptions(o);
    auto import = std::make_shared<ImportCarte>(o);
    std::string refus;
    bool nouveaux = false;
    if (import->planifier(&refus))
        for (const FichierImport& f : import->plan().fichiers)
            nouveaux = nouveaux || f.marque == MarqueImport::AImporter;
    if (!refus.empty() || nouveaux) {
        app_.messages().warning(texte("RSC_import_suppression_refusee",
                                      "La carte a changé depuis l'import : rien n'est supprimé."),
                                this);
        BT_supprimer_carte->setEnabled(false);
        return;
    }
    const std::size_t n = import->plan().fichiers.size();
    if (!app_.messages().confirm(
            qs(formatMessage(texte("RSC_import_confirmer_suppression",
                                   "Supprimer de la carte les %s fichiers vérifiés sur chaque "
                                   "destination ?")
                                 .toStdString(),
                             {std::to_string(n)})),
            this))
        return;
    lancer(import, true);
}

void TDLG_import::Ejecter() {
    const QString raison = raisonSansUDisks();
    if (!raison.isEmpty() || enCours())
        return;
    // The plans keep the card's folders open: they let go first.
    attendreTravaux();
    if (import_)
        import_->liberer();
    const QString erreur = ejecterCarte(qs(modele_.options().source));
    if (!erreur.isEmpty()) {
        app_.messages().warning(qs(formatMessage(texte("RSC_import_ejection_impossible",
                                                       "La carte n'a pas pu être éjectée : %s")
                                                     .toStdString(),
                                                 {erreur.toStdString()})),
                                this);
        return;
    }
    BT_ejecter->setEnabled(false);
    LBL_ejecter->setText(texte("RSC_import_carte_ejectee", "La carte peut être retirée."));
}

void TDLG_import::OuvrirDossier() {
    // The folder of the first file this run imported, in the archive.
    if (bilan_.importes.empty())
        return;
    std::string dossier;
    for (const FichierImport& f : planDuBilan_.fichiers)
        if (f.cheminSource() == bilan_.importes.front()) {
            dossier = f.dossier;
            break;
        }
    std::string archive = modele_.options().archive;
    if (!archive.ends_with('/'))
        archive += '/';
    app_.ouvrirAdresse(QUrl::fromLocalFile(qs(archive + dossier)).toString(), this);
}

} // namespace varlime
