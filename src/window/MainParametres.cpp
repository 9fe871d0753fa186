// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's activation, which reads the settings file the first time, and the
// writing of its own options.
#include "window/Main.h"

#include "companions/ui/IHM_association_fichier.h"
#include "companions/ui/IHM_canon.h"
#include "companions/ui/MD_association_fichier.h"

#include "core/nameUtils.h"
#include "exif/ui/IHM_exif_dump.h"
#include "exif_naming/ui/IHM_exif_info.h"
#include "exif_naming/ui/IHM_option_exposition.h"
#include "imaging/ui/IHM_vignette.h"
#include "naming/reglagesNommage.h"
#include "platform/fileSystem.h"
#include "platform/ui/Controls.h"
#include "platform/ui/MessageService.h"
#include "transfer/ui/IHM_rep_xp.h"
#include "transfer/ui/IHM_transfert.h"
#include "window/FenetresPrincipal.h"
#include "window/IHM_masque.h"
#include "window/IHM_option_compteur.h"
#include "window/MD_masque.h"
#include "window/MD_utilitaire.h"
#include "window/PanneauNommage.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QShowEvent>
#include <QTimer>
#include <utility>

namespace varlime {

bool TMainForm::event(QEvent* e) {
    // The status line holds the mode: menus and tips passing over it never wipe it.
    if (e->type() == QEvent::StatusTip)
        return true;
    if (e->type() == QEvent::WindowActivate && revenuDAutreProgramme_) {
        // Coming back from another program is not an activation of this window within
        // the program: the options typed and not yet saved stay as they are.
        revenuDAutreProgramme_ = false;
    } else if (e->type() == QEvent::WindowActivate && !activationPending_) {
        // Run the activation once the event is delivered: it may open modal dialogs.
        activationPending_ = true;
        QTimer::singleShot(0, this, [this] {
            activationPending_ = false;
            FormActivate();
        });
    }
    return QMainWindow::event(e);
}

void TMainForm::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    if (!dejaMontree_) {
        // Without a window manager no activation may ever come: the first showing
        // counts as one.
        dejaMontree_ = true;
        activateWindow();
        if (!activationPending_) {
            activationPending_ = true;
            QTimer::singleShot(0, this, [this] {
                activationPending_ = false;
                FormActivate();
            });
        }
    }
}

void TMainForm::FormActivate() {
    if (!isVisible())
        return;
    // The first activation may show messages (an interrupted run, a folder that cannot
    // be read, a stored value refused): they wait until the desktop has placed this
    // window and drawn its frame, so that they open centred over it.
    if (!premiereActivation_) {
        if (attentePlacement_)
            return;
        if (!fenetrePlacee() && essaisPlacement_ < 40) {
            ++essaisPlacement_;
            attentePlacement_ = true;
            QTimer::singleShot(25, this, [this] {
                attentePlacement_ = false;
                FormActivate();
            });
            return;
        }
        premiereActivation_ = true;
    }
    if (!messageDiffere_.isEmpty()) {
        const QString message = std::exchange(messageDiffere_, QString());
        app_.messages().error(message, this);
    }
    app_.DLG_option_compteur().Informe_init_alpha(0);
    // The user may have changed photos in another program meanwhile.
    prechargement_.nouvelleGeneration();
    // The settings file is read when the window first becomes active, and written at
    // each change from then on: what another window sharing the file writes later never
    // replaces what this window shows.
    if (!parametresLus_) {
        parametresLus_ = true;
        app_.DB_utilitaire().Lecture_parametres();
    }
    if (!interrompusSignales_) {
        interrompusSignales_ = true;
        Signaler_varlimage_interrompu();
    }
    if (LBL_repertoire->text().isEmpty()) {
        // A cancelled picker must not reopen at once, or the program could never be left.
        if (pickerJustCancelled_) {
            pickerJustCancelled_ = false;
            return;
        }
        Selection_repertoire();
    }
}

bool TMainForm::lireOptions(OptionsNommage& o) {
    // The model holds what the window's fields and the dialogs handed back; the file types
    // are the listing's. The EXIF naming and companion dialogs still keep their part in
    // their controls.
    const int attributs = o.attributs;
    o = modele_.options();
    o.attributs = attributs;
    app_.DLG_exif_info().remplirOptions(o.exif);
    o.compagnons = app_.DB_association_fichier().options();
    // How exposures end is a text of the active language, read from the dialog's caption.
    o.exif.suffixeExposition = app_.DLG_option_exposition().suffixe(o.exif.formatExposition);
    return true;
}

bool TMainForm::largeurEnregistrable() const {
    // A width being typed (empty, or not a number yet) is not stored: the next start
    // would stop on it.
    bool ok = false;
    CBB_largeur_increment->currentText().toInt(&ok);
    return ok;
}

void TMainForm::Sauver_parametres_main() {
    TDB_utilitaire& util = app_.DB_utilitaire();
    // In EXIF naming the prefix field holds what the EXIF dialog put there (the
    // keep-counter mask, which the names depend on): it stays, and the stored prefix is
    // left for leaving that mode to bring back.
    const bool exif = util.Est_mode_exif();
    if (!exif && EDT_prefixe_remplacement->text() == QStringLiteral("[*&N]"))
        EDT_prefixe_remplacement->clear();
    using namespace reglages;
    if (!util.Sauver_parametre(kMasqueRecherche.section, kMasqueRecherche.cle,
                               EDT_masque_recherche->text().toStdString()))
        return;
    if (!exif && !util.Sauver_parametre(kPrefixe.section, kPrefixe.cle,
                                        EDT_prefixe_remplacement->text().toStdString()))
        return;
    if (largeurEnregistrable())
        util.Sauver_parametre(kLargeurCompteur.section, kLargeurCompteur.cle,
                              CBB_largeur_increment->currentText().toStdString());
}

void TMainForm::Positionne_option_main(const QString& masque, const QString& prefixe,
                                       const QString& largeur) {
    enLecture_ = true;
    if (EDT_masque_recherche->text() != masque)
        EDT_masque_recherche->setText(masque);
    // In EXIF naming the prefix field holds what the EXIF dialog put there (the
    // keep-counter mask): the stored prefix comes back when that mode is left.
    if (EDT_prefixe_remplacement->text() != prefixe && !app_.DB_utilitaire().Est_mode_exif())
        EDT_prefixe_remplacement->setText(prefixe);
    if (CBB_largeur_increment->currentText() != largeur)
        CBB_largeur_increment->setCurrentText(largeur);
    enLecture_ = false;
    // What the settings file holds is now what the fields show.
    enregistre_[0] = masque.toStdString();
    enregistre_[1] = prefixe.toStdString();
    enregistre_[2] = largeur.toStdString();
    optionsLues_ = true;
    enregistrerOptionsMain();
}

std::optional<std::string> TMainForm::reprendreReglages(const IniDocument& ini) {
    return panneau_->reprendreReglages(ini);
}

void TMainForm::enregistrerOptionsMain() {
    // A keep-the-digits mask alone is not kept (see Sauver_parametres_main); while the
    // user types, the field itself is left alone.
    // Nothing is stored before the stored values were read, nor while they are shown.
    // In EXIF naming the prefix field belongs to the EXIF dialog: the stored options
    // are the ones leaving that mode brings back.
    if (!optionsLues_ || enLecture_ || app_.DB_utilitaire().Est_mode_exif())
        return;
    const QString prefixe = EDT_prefixe_remplacement->text();
    const std::string valeurs[3] = {EDT_masque_recherche->text().toStdString(),
                                    prefixe == QStringLiteral("[*&N]") ? std::string()
                                                                       : prefixe.toStdString(),
                                    CBB_largeur_increment->currentText().toStdString()};
    static constexpr const Reglage* kCles[3] = {&reglages::kMasqueRecherche, &reglages::kPrefixe,
                                                &reglages::kLargeurCompteur};
    TDB_utilitaire& util = app_.DB_utilitaire();
    for (int i = 0; i < 3; ++i) {
        if (enregistre_[i] == valeurs[i] || (i == 2 && !largeurEnregistrable()))
            continue;
        // Written once the typing pauses, as the model's own options are.
        util.Noter_parametre(kCles[i]->section, kCles[i]->cle, valeurs[i]);
        enregistre_[i] = valeurs[i];
    }
}

} // namespace varlime
