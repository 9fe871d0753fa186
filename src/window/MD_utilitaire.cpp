// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/MD_utilitaire.h"
#include "platform/texteQt.h"

#include "companions/ui/IHM_association_fichier.h"
#include "companions/ui/IHM_canon.h"
#include "companions/ui/MD_association_fichier.h"
#include "core/messageFormat.h"
#include "core/nameUtils.h"
#include "exif_naming/ui/IHM_exif_info.h"
#include "i18n/uLocalization.h"
#include "naming/reglagesNommage.h"
#include "platform/iniFile.h"
#include "platform/ui/MessageService.h"
#include "transfer/ui/IHM_transfert.h"
#include "window/FenetresPrincipal.h"
#include "window/Main.h"
#include "window/PanneauNommage.h"

#include <QLineEdit>
#include <QStatusBar>
#include <utility>

namespace varlime {

TDB_utilitaire::TDB_utilitaire(FenetresPrincipal& app, LiensPrincipal liens)
    : app_(app), liens_(std::move(liens)) {
    minuterie_.setSingleShot(true);
    minuterie_.setInterval(kDelaiEcriture);
    // A refused write is told once, not after every pause in the typing, until a
    // write succeeds again.
    minuterie_.callOnTimeout(
        [this] { refusSignale_ = !Ecrire_parametres_en_attente(!refusSignale_); });
}

TDB_utilitaire::~TDB_utilitaire() {
    // The program is going: the last edits are kept, with no window left to tell.
    Ecrire_parametres_en_attente(false);
}

std::string TDB_utilitaire::cleRepliee(const std::string& section, const std::string& key) {
    return iniNameFold(section) + '\n' + iniNameFold(key);
}

namespace {
// "ERREUR" (a missing key) or a whole number: what a separator index may hold.
bool toIntegerOk(const QString& t) {
    int i = 0;
    return t == QLatin1String("ERREUR") || toInteger(t.toStdString(), i);
}
} // namespace

std::string TDB_utilitaire::Fichier_parametres() const {
    return configFilePath(app_.programFolder(), "varlime.ini");
}

bool TDB_utilitaire::Sauver_parametre(const std::string& section, const std::string& key,
                                      const std::string& value, bool signaler) {
    // Written in the order they were made: the waiting values first, then this one,
    // which replaces a waiting value of the same key.
    const std::string cle = cleRepliee(section, key);
    enAttente_.erase(cle);
    const bool avant = Ecrire_parametres_en_attente(signaler);
    // What this window's user chose stays this window's, even when the file refuses it
    // or another program writes the same key later.
    ecrits_[cle] = {section, key, value};
    return ecrireUne(ecrits_[cle], signaler) && avant;
}

void TDB_utilitaire::Noter_parametre(const std::string& section, const std::string& key,
                                     const std::string& value) {
    const std::string cle = cleRepliee(section, key);
    ecrits_[cle] = {section, key, value};
    enAttente_[cle] = {section, key, value};
    minuterie_.start(); // restarted by each value: one write once the typing pauses
}

bool TDB_utilitaire::Ecrire_parametres_en_attente(bool signaler) {
    minuterie_.stop();
    bool ok = true;
    // Taken first: a message box shown on a refusal runs the event loop.
    const std::map<std::string, Ecrit> valeurs = std::exchange(enAttente_, {});
    for (const auto& [_, e] : valeurs)
        ok = ecrireUne(e, signaler) && ok;
    return ok;
}

bool TDB_utilitaire::ecrireUne(const Ecrit& e, bool signaler) {
    const ConfigFileLocation where = locateConfigFile(app_.programFolder(), "varlime.ini");
    // A value the file already holds is not written again: a dialog closing stores all
    // its keys, changed or not.
    if (IniDocument::load(where.readPath).value(e.section, e.cle) == e.valeur)
        return true;
    if (writeConfigValue(where, e.section, e.cle, e.valeur).ok) {
        ++ecritures_;
        return true;
    }
    if (!signaler)
        return false;
    app_.messages().error(
        formater(app_.texte("RSC_msg_impossible_ecrire", "Impossible d'écrire dans %s"),
                 {qs(where.writePath)}),
        &app_.MainForm());
    return false;
}

bool TDB_utilitaire::Refuser_valeur(const QString& text) {
    if (dernierRefus_ != text)
        app_.messages().error(messageConversion(text), &app_.MainForm());
    dernierRefus_ = text;
    return false;
}

void TDB_utilitaire::Signaler_fichiers_incomplets(const std::string& parametres,
                                                  const IniProblem& probleme) {
    // Each activation reads the files again: a file is told once, until what there is
    // to tell changes.
    const TextLookup texte = lookupMessages(app_.localization());
    for (const std::string& m :
         avertissementsFichiers(texte, parametres, probleme, app_.localization())) {
        if (signales_.count(m))
            continue;
        signales_.insert(m);
        app_.messages().warning(qs(m), &app_.MainForm());
    }
}

IniDocument TDB_utilitaire::Document_parametres() const {
    IniDocument ini = IniDocument::load(Fichier_parametres());
    for (const auto& [_, e] : ecrits_)
        ini.set(e.section, e.cle, e.valeur);
    return ini;
}

void TDB_utilitaire::Lecture_parametres() {
    // The file is read once; the values are then handed to their owners in a fixed
    // order, and a receiver that cannot convert its value ends the pass.
    const std::string chemin = Fichier_parametres();
    const IniDocument ini = Document_parametres();
    Signaler_fichiers_incomplets(chemin, ini.problem());
    auto lire = [&ini](const Reglage& r) { return qs(ini.read(r.section, r.cle, r.defaut)); };
    using namespace reglages;
    const bool complet = [&] {
        TMainForm& main = app_.MainForm();
        // The stored folder is where the picker starts until a folder is listed. After
        // that, another window or program writing the file never moves this grid.
        if (!main.dossierListe())
            main.Repertoire_courant = ini.read(kDossier.section, kDossier.cle, kDossier.defaut);
        const QString largeur = lire(kLargeurCompteur);
        const QString prefixe = lire(kPrefixe);
        const QString masque = lire(kMasqueRecherche);
        main.Positionne_option_main(masque, prefixe, largeur);
        // The formats of the date, time, aperture and exposure dialogs are the model's.
        if (const auto refus = main.reprendreReglages(ini))
            return Refuser_valeur(qs(*refus));
        const QString sepInfo = lire(kSeparateurInfo);
        const QString sepFinal = lire(kSeparateurFinal);
        if (!app_.DLG_exif_info().Positionne_option_exif(
                lire(kZoneLibre), lire(kListeExif), lire(kCompteurCoche), sepFinal,
                lire(kSeparateurFinalCoche), sepInfo, lire(kSeparateurInfoCoche),
                lire(kMasqueCompteurCoche)))
            return Refuser_valeur(toIntegerOk(sepInfo) ? sepFinal : sepInfo);
        // The favourite folders of the transfer dialog, six of each.
        TDLG_transfert& transfert = app_.DLG_transfert();
        for (int n = 1; n <= 6; ++n) {
            const std::string cle = cleFavori(n);
            transfert.Positionne_option_transfert_chemin(
                TDLG_transfert::Panneau::Source, n, qs(ini.read(kFavorisSource, cle, kAbsent)));
            transfert.Positionne_option_transfert_chemin(TDLG_transfert::Panneau::Cible, n,
                                                         qs(ini.read(kFavorisCible, cle, kAbsent)));
        }
        app_.DLG_canon().Positionne_option_raw_canon(lire(kRawCanon));
        const QString source = lire(kAssociationSource);
        const QString cible = lire(kAssociationCible);
        app_.DLG_association_fichier().Positionne_option_association_fichier(cible, source);
        return true;
    }();
    if (complet)
        dernierRefus_.reset();
}

Mode TDB_utilitaire::Retourner_statut() const {
    EntreesStatut e;
    e.exif = modeExif && modeExif();
    e.rawCanon = modeRawCanon && modeRawCanon();
    e.association = modeAssociation && modeAssociation();
    const OptionsNommage& o = app_.MainForm().modele().options();
    e.champPrefixe = o.prefixe;
    e.datePrefixe = o.datePrefixe;
    e.dateFichier = o.dateFichier;
    return varlime::Retourner_statut(e);
}

void TDB_utilitaire::Afficher_statut() {
    dernierStatut_ = Retourner_statut();
    QString ext1, ext2;
    if (dernierStatut_ == Mode::Association && extensionsAssociation)
        extensionsAssociation(ext1, ext2);
    const std::string texte = Texte_statut(dernierStatut_, lookupMessages(app_.localization()),
                                           ext1.toStdString(), ext2.toStdString());
    liens_.afficherStatut(QString::fromStdString(texte));
}

void TDB_utilitaire::Retourner_statut_chaine(QString& texte) {
    dernierStatut_ = Retourner_statut();
    texte = QString::fromStdString(Nom_statut(dernierStatut_, lookupMessages(app_.localization())));
}

void TDB_utilitaire::Desactiver_mode(Mode mode) {
    switch (mode) {
    case Mode::Masque:
        app_.MainForm().panneau().quitterMasque();
        break;
    case Mode::DateCreation:
        app_.MainForm().panneau().quitterDateFichier();
        break;
    case Mode::Exif:
    case Mode::RawCanon:
    case Mode::Association:
        if (desactiverModeExterne)
            desactiverModeExterne(mode);
        break;
    case Mode::Normal:
        break;
    }
}

bool TDB_utilitaire::Proposer_sortie_mode(Mode propre) {
    if (!Doit_proposer_sortie(dernierStatut_, propre))
        return true;
    QString nom;
    Retourner_statut_chaine(nom);
    // The options may have changed since the status line was last drawn.
    if (!Doit_proposer_sortie(dernierStatut_, propre))
        return true;
    const QString question = formater(
        app_.texte("RSC_msg_confirmation_sortir_mode", "Voulez-vous sortir du %s ?"), {nom});
    if (!app_.messages().confirm(question, &app_.MainForm()))
        return false;
    Desactiver_mode(dernierStatut_);
    return true;
}

QString TDB_utilitaire::messageConversion(const QString& text) const {
    return qs(messageValeurNonEntiere(text.toStdString()));
}

QString TDB_utilitaire::formater(const QString& format,
                                 std::initializer_list<QVariant> args) const {
    return formatMessage(format, args);
}

} // namespace varlime
