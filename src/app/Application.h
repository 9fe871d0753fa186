#pragma once
// The application object: creates every window and data module once, in the
// start-up order, owns them, and hands each a reference to what it calls.
#include <QString>
#include <memory>
#include <string>

class QObject;
class QUrl;
class QWidget;

namespace varlime {

class Localization;
struct PageAide;
class MessageService;
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
class TimgData;
class TDLG_exif_dump;
class TDLG_info_avancement;
class TDLG_transfert;
class TDLG_exif_info;
class TDLG_option_ouverture;
class TDLG_option_exposition;
class TDLG_exif_option_affichage;
class TDLG_canon;
class TDB_canon;
class TDLG_association_fichier;
class TDB_association_fichier;
class LibGfl;
class TDLG_vignette;
class TDLG_info_touche;
class TDB_image;

class Application {
public:
    // programFolder: where the settings and language files live (ending in '/').
    Application(std::string programFolder, MessageService& messages);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    const std::string& programFolder() const { return programFolder_; }
    Localization& localization() { return *localization_; }
    MessageService& messages() { return messages_; }
    // Looks a message up in section MESSAGES of the active language, French default.
    QString texte(const char* key, const char* defaultText);
    // Every window calls this once when it is created.
    void translate(QWidget* window);
    // Opens an address with the desktop's default handler; a message box tells when
    // nothing could open it.
    void ouvrirAdresse(const QString& adresse, QWidget* parent);
    // Opens the shipped help page named by a RSC_lien_aide_ key, in the active language;
    // a message box names the places looked in when no page is there.
    void ouvrirAide(const char* cle, QWidget* parent);
    // The page of a window (F1).
    void ouvrirAideFenetre(const PageAide& page, QWidget* fenetre);

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
    TDB_canon& DB_canon() { return *dbCanon_; }
    TDLG_association_fichier& DLG_association_fichier() { return *association_; }
    TDB_association_fichier& DB_association_fichier() { return *dbAssociation_; }
    // The imaging library binding: loaded on the first picture, closed at exit.
    LibGfl& bibliothequeImage() { return *bibliothequeImage_; }
    TDLG_vignette& DLG_vignette() { return *vignette_; }
    TDLG_info_touche& DLG_info_touche() { return *infoTouche_; }
    TDB_image& DB_image() { return *dbImage_; }

private:
    void ouvrirPageAide(const std::string& valeur, const std::string& defaut, QWidget* parent);
    void ouvrirUrl(const QUrl& url, QWidget* parent);

    std::unique_ptr<QObject> placement_;
    std::unique_ptr<QObject> toucheAide_;
    std::string programFolder_;
    MessageService& messages_;
    std::unique_ptr<Localization> localization_;
    // What no window owns: the picture reader, the imaging library and the data
    // modules. They are declared before the main window, so they outlive every window
    // that calls them.
    std::unique_ptr<TimgData> lecteur_;
    std::unique_ptr<LibGfl> bibliothequeImage_;
    std::unique_ptr<TDB_utilitaire> utilitaire_;
    std::unique_ptr<TDB_masque> dbMasque_;
    std::unique_ptr<TDB_canon> dbCanon_;
    std::unique_ptr<TDB_association_fichier> dbAssociation_;
    std::unique_ptr<TMainForm> mainForm_;
    // The thumbnail worker posts to the main window's controls: it is stopped (this
    // goes) before the windows.
    std::unique_ptr<TDB_image> dbImage_;
    // The dialogs, in the start-up order. Each is owned by its Qt parent (the main
    // window, or the viewer for its key help), which deletes it: these only point.
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
};

} // namespace varlime
