// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The windows and data modules of the program as the main window and its modules
// reach them: each made once by the application object, which fills these pointers
// as it makes them and owns what they point to.
#include "platform/ui/ServicesFenetre.h"

namespace varlime {

class TMainForm;
class TDLG_type_fichier;
class TDB_utilitaire;
class TDLG_option_compteur;
class TDLG_a_propos;
class TDLG_selection_repertoire;
class TDLG_rep_xp;
class TDLG_essai;
class TDLG_information;
class TDLG_option_date;
class TDLG_rapport;
class TDLG_option_heure;
class TDLG_option_prefixe;
class TDLG_masque;
class TDB_masque;
class TDLG_langue;
class TDLG_exif_dump;
class TDLG_info_avancement;
class TDLG_transfert;
class TDLG_exif_info;
class TDLG_option_ouverture;
class TDLG_option_exposition;
class TDLG_exif_option_affichage;
class TDLG_canon;
class TDLG_association_fichier;
class TDB_association_fichier;
class TDLG_vignette;
class TDLG_info_touche;
class TDB_image;
class TDLG_import;

class FenetresPrincipal : public ServicesFenetre {
public:
    TMainForm& MainForm() { return *mainForm_; }
    TDLG_option_date& DLG_option_date() { return *optionDate_; }
    TDLG_type_fichier& DLG_type_fichier() { return *typeFichier_; }
    TDB_utilitaire& DB_utilitaire() { return *utilitaire_; }
    TDLG_option_compteur& DLG_option_compteur() { return *optionCompteur_; }
    TDLG_a_propos& DLG_a_propos() { return *aPropos_; }
    TDLG_rapport& DLG_rapport() { return *rapport_; }
    TDLG_option_heure& DLG_option_heure() { return *optionHeure_; }
    TDLG_option_prefixe& DLG_option_prefixe() { return *optionPrefixe_; }
    TDLG_masque& DLG_masque() { return *masque_; }
    TDB_masque& DB_masque() { return *dbMasque_; }
    TDLG_selection_repertoire& DLG_selection_repertoire() { return *selectionRepertoire_; }
    TDLG_rep_xp& DLG_rep_xp() { return *repXp_; }
    TDLG_essai& DLG_essai() { return *essai_; }
    TDLG_information& DLG_information() { return *information_; }
    TDLG_langue& DLG_langue() { return *langue_; }
    TDLG_exif_dump& DLG_exif_dump() { return *exifDump_; }
    TDLG_info_avancement& DLG_info_avancement() { return *infoAvancement_; }
    TDLG_transfert& DLG_transfert() { return *transfert_; }
    TDLG_exif_info& DLG_exif_info() { return *exifInfo_; }
    TDLG_option_ouverture& DLG_option_ouverture() { return *optionOuverture_; }
    TDLG_option_exposition& DLG_option_exposition() { return *optionExposition_; }
    TDLG_exif_option_affichage& DLG_exif_option_affichage() { return *exifOptionAffichage_; }
    TDLG_canon& DLG_canon() { return *canon_; }
    TDLG_association_fichier& DLG_association_fichier() { return *association_; }
    TDB_association_fichier& DB_association_fichier() { return *dbAssociation_; }
    TDLG_vignette& DLG_vignette() { return *vignette_; }
    TDLG_info_touche& DLG_info_touche() { return *infoTouche_; }
    TDB_image& DB_image() { return *dbImage_; }
    TDLG_import& DLG_import() { return *import_; }

protected:
    ~FenetresPrincipal() = default;

    TMainForm* mainForm_ = nullptr;
    TDB_utilitaire* utilitaire_ = nullptr;
    TDB_masque* dbMasque_ = nullptr;
    TDB_association_fichier* dbAssociation_ = nullptr;
    TDB_image* dbImage_ = nullptr;
    // The dialogs, in the start-up order.
    TDLG_option_date* optionDate_ = nullptr;
    TDLG_type_fichier* typeFichier_ = nullptr;
    TDLG_option_compteur* optionCompteur_ = nullptr;
    TDLG_a_propos* aPropos_ = nullptr;
    TDLG_rapport* rapport_ = nullptr;
    TDLG_option_heure* optionHeure_ = nullptr;
    TDLG_option_prefixe* optionPrefixe_ = nullptr;
    TDLG_masque* masque_ = nullptr;
    TDLG_selection_repertoire* selectionRepertoire_ = nullptr;
    TDLG_vignette* vignette_ = nullptr;
    TDLG_exif_dump* exifDump_ = nullptr;
    TDLG_info_touche* infoTouche_ = nullptr;
    TDLG_rep_xp* repXp_ = nullptr;
    TDLG_option_ouverture* optionOuverture_ = nullptr;
    TDLG_option_exposition* optionExposition_ = nullptr;
    TDLG_exif_option_affichage* exifOptionAffichage_ = nullptr;
    TDLG_exif_info* exifInfo_ = nullptr;
    TDLG_canon* canon_ = nullptr;
    TDLG_essai* essai_ = nullptr;
    TDLG_information* information_ = nullptr;
    TDLG_langue* langue_ = nullptr;
    TDLG_info_avancement* infoAvancement_ = nullptr;
    TDLG_transfert* transfert_ = nullptr;
    TDLG_association_fichier* association_ = nullptr;
    TDLG_import* import_ = nullptr;
};

} // namespace varlime
