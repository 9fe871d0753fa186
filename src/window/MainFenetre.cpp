// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's widgets, menus, tool bar and layouts, and their connections.
#include "window/Main.h"

#include "companions/ui/IHM_association_fichier.h"
#include "companions/ui/IHM_canon.h"
#include "companions/ui/MD_association_fichier.h"
#include "info/ui/IHM_information.h"

#include "core/nameUtils.h"
#include "exif/ui/IHM_exif_dump.h"
#include "exif_naming/ui/IHM_exif_info.h"
#include "exif_naming/ui/IHM_option_exposition.h"
#include "exif_naming/ui/IHM_option_ouverture.h"
#include "i18n/ui/IHM_langue.h"
#include "imaging/ui/IHM_vignette.h"
#include "imaging/ui/MD_image.h"
#include "import/ui/IHM_import.h"
#include "info/ui/IHM_a_propos.h"
#include "info/ui/IHM_essai.h"
#include "platform/ui/Controls.h"
#include "platform/ui/MessageService.h"
#include "platform/ui/OublieSurvol.h"
#include "platform/ui/RadioGroup.h"
#include "transfer/ui/IHM_rep_xp.h"
#include "transfer/ui/IHM_selection_repertoire.h"
#include "transfer/ui/IHM_transfert.h"
#include "window/FenetresPrincipal.h"
#include "window/IHM_masque.h"
#include "window/IHM_option_compteur.h"
#include "window/IHM_option_date.h"
#include "window/IHM_option_heure.h"
#include "window/IHM_option_prefixe.h"
#include "window/IHM_rapport.h"
#include "window/IHM_type_fichier.h"
#include "window/MD_masque.h"
#include "window/MD_utilitaire.h"
#include "window/PanneauNommage.h"
#include "window/fileGridModel.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <algorithm>
#include <cerrno>

namespace varlime {

namespace {

// Paints a cell holding exactly the no-EXIF or no-companion marker on pure red, its text centred.
class GrilleDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (FileGridModel::estMarqueur(index)) {
            painter->save();
            painter->fillRect(option.rect, index.data(Qt::BackgroundRole).value<QColor>());
            painter->setPen(index.data(Qt::ForegroundRole).value<QColor>());
            painter->drawText(option.rect, Qt::AlignCenter, index.data().toString());
            painter->restore();
            return;
        }
        QStyledItemDelegate::paint(painter, option, index);
    }
    // A name cut to fit its column shows whole as a tip.
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override {
        if (event->type() != QEvent::ToolTip)
            return QStyledItemDelegate::helpEvent(event, view, option, index);
        // The sidecars of a "+N" mark, else a name cut to fit its column.
        if (const QString tip = index.data(Qt::ToolTipRole).toString(); !tip.isEmpty()) {
            QToolTip::showText(event->globalPos(), tip, view);
            return true;
        }
        const QString texte = index.data().toString();
        const int marge = 2 * (view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
        if (!texte.isEmpty() &&
            option.fontMetrics.horizontalAdvance(texte) + marge > option.rect.width())
            QToolTip::showText(event->globalPos(), texte, view);
        else
            QToolTip::hideText();
        return true;
    }
};

} // namespace

TMainForm::TMainForm(FenetresPrincipal& app)
    : app_(app), panneau_(std::make_unique<PanneauNommage>(app, *this, modele_)),
      grille_(chaine_, this,
              [this](const char* cle, const char* defaut) { return app_.texte(cle, defaut); }),
      renommage_(chaine_, lookupMessages(app.localization()), app.messages(), fenetreRenommage()) {
    setObjectName(QStringLiteral("MainForm"));
    auto* central = new QWidget(this);
    setCentralWidget(central);
    auto* top = new QVBoxLayout(central);
    construireMenus();
    construireOutils();
    construireLigneDossier(*top, central);
    construireGroupesNommage(*top, central);
    construireLigneOptions(*top, central);
    construireGrille(*top, central);
    STB_main = statusBar();
    STB_main->setObjectName(QStringLiteral("STB_main"));
    // What a cancelled EXIF reading left unread, and the way to read it.
    LBL_non_lus = new QLabel(STB_main);
    LBL_non_lus->setObjectName(QStringLiteral("LBL_non_lus"));
    BT_lire_restants = new QPushButton(STB_main);
    BT_lire_restants->setObjectName(QStringLiteral("BT_lire_restants"));
    STB_main->addPermanentWidget(LBL_non_lus);
    STB_main->addPermanentWidget(BT_lire_restants);
    LBL_non_lus->hide();
    BT_lire_restants->hide();
    connect(BT_lire_restants, &QPushButton::clicked, this, &TMainForm::actualiser);
    relierMenus();
    relierBoutons();
    relierChamps();
    // Options changed while a large folder was listed: it is listed again with them.
    grille_.relister = [this] { Chercher_fichier(); };
    // Every run is journaled, so that it can be undone.
    chaine_.journaux() = dossierJournaux();

    // Creation (FormCreate).
    app_.translate(this);
    LBL_repertoire->clear();
    EDT_masque_recherche->setText(QStringLiteral("*.*"));
    Fichiers_trouves = false;
    TXT_extension_remplacement->setEnabled(false);
    grille_.traduire();
    setWindowTitle(app_.texte("RSC_main_caption", "Varlime ") + QStringLiteral(VARLIME_VERSION) +
                   QStringLiteral(" Linux"));
    setAcceptDrops(true);
    placerFenetre();
}

TMainForm::~TMainForm() = default;

void TMainForm::construireMenus() {
    // Named menus and menu items: language files and tests address them by name.
    auto menu = [this](const char* nom, const QString& texte) {
        QMenu* m = menuBar()->addMenu(texte);
        m->setObjectName(QString::fromLatin1(nom));
        return m;
    };
    auto action = [](QMenu* parent, const char* nom, const QString& texte) {
        QAction* a = parent->addAction(texte);
        a->setObjectName(QString::fromLatin1(nom));
        return a;
    };
    MIT_fichier = menu("MIT_fichier", QStringLiteral("Fichier"));
    MIT_select_repertoire =
        action(MIT_fichier, "MIT_select_repertoire", QStringLiteral("Sélection répertoire"));
    MIT_annuler_varlimage = action(MIT_fichier, "MIT_annuler_varlimage",
                                   QStringLiteral("Annuler le dernier varlimage"));
    MIT_annuler_varlimage->setShortcut(QKeySequence::Undo);
    MIT_importer_carte =
        action(MIT_fichier, "MIT_importer_carte", QStringLiteral("Importer une carte…"));
    MIT_importer_carte->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    MIT_fichier->addSeparator();
    MIT_quitter = action(MIT_fichier, "MIT_quitter", QStringLiteral("Quitter"));
    MIT_quitter->setShortcut(QKeySequence::Quit);
    MIT_options = menu("MIT_options", QStringLiteral("Options"));
    MIT_options_compteur =
        action(MIT_options, "MIT_options_compteur", QStringLiteral("Options compteur"));
    MIT_option_date = action(MIT_options, "MIT_option_date", QStringLiteral("Préfixe avec date"));
    MIT_option_masque =
        action(MIT_options, "MIT_option_masque", QStringLiteral("Utilisation masques"));
    MIT_option_type_fichier =
        action(MIT_options, "MIT_option_type_fichier", QStringLiteral("Type fichiers"));
    MIT_options_association =
        action(MIT_options, "MIT_options_association", QStringLiteral("Association de fichiers"));
    MIT_raw = menu("MIT_raw", QStringLiteral("Fichiers RAW"));
    MIT_options_raw_canon = action(MIT_raw, "MIT_options_raw_canon", QStringLiteral("Canon"));
    MIT_options_raw_nikon = action(MIT_raw, "MIT_options_raw_nikon", QStringLiteral("Nikon"));
    MIT_options_raw_pentax = action(MIT_raw, "MIT_options_raw_pentax", QStringLiteral("Pentax"));
    MIT_aide = menu("MIT_aide", QStringLiteral("Aide"));
    MIT_aide_sommaire = action(MIT_aide, "MIT_aide_sommaire", QStringLiteral("Sommaire"));
    MIT_aide_sommaire->setShortcut(QKeySequence::HelpContents);
    // F5 lists the folder again, as file managers do.
    auto* actualiser = new QAction(this);
    actualiser->setShortcut(QKeySequence::Refresh);
    addAction(actualiser);
    connect(actualiser, &QAction::triggered, this, &TMainForm::actualiser);
    MIT_aide_truc_astuce =
        action(MIT_aide, "MIT_aide_truc_astuce", QStringLiteral("Trucs et astuces"));
    MIT_aide_langue = action(MIT_aide, "MIT_aide_langue", QStringLiteral("Langues"));
    MIT_aide->addSeparator();
    MIT_aide_a_propos = action(MIT_aide, "MIT_aide_a_propos", QStringLiteral("À propos"));
}

void TMainForm::construireOutils() {
    // Tool bar.
    TBR_outils = addToolBar(QStringLiteral("Outils"));
    TBR_outils->setObjectName(QStringLiteral("TBR_outils"));
    TBR_outils->setMovable(false);
    new OublieSurvol(TBR_outils);
    // A named tool button with a standard icon and its text beside it.
    auto outil = [this](const char* nom, QStyle::StandardPixmap icone, const QString& texte,
                        const QString& bulle) {
        auto* b = new QToolButton(TBR_outils);
        b->setObjectName(QString::fromLatin1(nom));
        b->setIcon(style()->standardIcon(icone));
        b->setText(texte);
        b->setToolTip(bulle);
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        return b;
    };
    TBT_exif = outil("TBT_exif", QStyle::SP_FileDialogInfoView, QStringLiteral("EXIF"),
                     QStringLiteral("Informations EXIF"));
    TBR_outils->addWidget(TBT_exif);
    TBT_image = outil("TBT_image", QStyle::SP_FileDialogContentsView, QStringLiteral("Image"),
                      QStringLiteral("Visualisation image"));
    TBR_outils->addWidget(TBT_image);
    TBT_exif_plus_image = outil("TBT_exif_plus_image", QStyle::SP_FileDialogDetailedView,
                                QStringLiteral("EXIF + image"),
                                QStringLiteral("Informations EXIF et visualisation image"));
    TBR_outils->addWidget(TBT_exif_plus_image);
    TBT_transfert = outil("TBT_transfert", QStyle::SP_DriveCDIcon, QStringLiteral("Transfert"),
                          QStringLiteral("Transférer photos"));
    TBR_outils->addWidget(TBT_transfert);
    TBT_raw = outil("TBT_raw", QStyle::SP_DriveHDIcon, QStringLiteral("RAW"),
                    QStringLiteral("Traitement des RAW Canon"));
    actionRaw_ = TBR_outils->addWidget(TBT_raw);
}

void TMainForm::construireLigneDossier(QVBoxLayout& top, QWidget* central) {
    // Folder line.
    auto* folderLine = new QHBoxLayout;
    BT_selection_repertoire =
        control<QPushButton>("BT_selection_repertoire", QStringLiteral("Répertoire..."), central);
    LBL_repertoire = control<QLabel>("LBL_repertoire", QString(), central);
    LBL_repertoire->setTextInteractionFlags(Qt::TextSelectableByMouse);
    LBL_repertoire->setToolTip(QStringLiteral("Double-clic : liste du contenu du répertoire"));
    LBL_repertoire->installEventFilter(this);
    folderLine->addWidget(BT_selection_repertoire);
    folderLine->addWidget(LBL_repertoire, 1);
    top.addLayout(folderLine);

    // Search mask.
    auto* maskLine = new QHBoxLayout;
    LBL_masque_recherche =
        control<QLabel>("LBL_masque_recherche", QStringLiteral("Masque de recherche :"), central);
    EDT_masque_recherche =
        control<QLineEdit>("EDT_masque_recherche", QStringLiteral("*.*"), central);
    LBL_masque_recherche->setBuddy(EDT_masque_recherche);
    maskLine->addWidget(LBL_masque_recherche);
    maskLine->addWidget(EDT_masque_recherche, 1);
    top.addLayout(maskLine);
}

void TMainForm::construireGroupesNommage(QVBoxLayout& top, QWidget* central) {
    // Prefix group and counter group: swapped on screen when the counter goes left.
    namingLayout_ = new QHBoxLayout;
    prefixGroup_ = new QWidget(central);
    auto* pg = new QHBoxLayout(prefixGroup_);
    pg->setContentsMargins(0, 0, 0, 0);
    LBL_prefixe =
        control<QLabel>("LBL_prefixe", QStringLiteral("Préfixe de remplacement :"), prefixGroup_);
    BT_option_prefixe =
        control<QPushButton>("BT_option_prefixe", QStringLiteral("O"), prefixGroup_);
    EDT_prefixe_remplacement =
        control<QLineEdit>("EDT_prefixe_remplacement", QString(), prefixGroup_);
    LBL_prefixe->setBuddy(EDT_prefixe_remplacement);
    pg->addWidget(LBL_prefixe);
    pg->addWidget(BT_option_prefixe);
    pg->addWidget(EDT_prefixe_remplacement, 1);
    LBL_date_fichier = control<QLabel>("LBL_date_fichier", QString(), prefixGroup_);
    LBL_date_fichier->setVisible(false);
    pg->addWidget(LBL_date_fichier, 1);
    counterGroup_ = new QWidget(central);
    auto* cg = new QHBoxLayout(counterGroup_);
    cg->setContentsMargins(0, 0, 0, 0);
    BT_option_compteur =
        control<QPushButton>("BT_option_compteur", QStringLiteral("O"), counterGroup_);
    BT_option_compteur->setToolTip(QStringLiteral("Options compteur"));
    BT_gauche = control<QPushButton>("BT_gauche", QStringLiteral("<"), counterGroup_);
    BT_gauche->setToolTip(QStringLiteral("Compteur à gauche du préfixe"));
    BT_droite = control<QPushButton>("BT_droite", QStringLiteral(">"), counterGroup_);
    BT_droite->setToolTip(QStringLiteral("Compteur à droite du préfixe"));
    LBL_compteur =
        control<QLabel>("LBL_compteur", QStringLiteral("Largeur compteur :"), counterGroup_);
    CBB_largeur_increment = new QComboBox(counterGroup_);
    CBB_largeur_increment->setObjectName(QStringLiteral("CBB_largeur_increment"));
    CBB_largeur_increment->setEditable(true);
    for (int i = 1; i <= 9; ++i)
        CBB_largeur_increment->addItem(QString::number(i));
    CBB_largeur_increment->setCurrentIndex(2);
    LBL_compteur->setBuddy(CBB_largeur_increment);
    for (QPushButton* b : {BT_option_compteur, BT_gauche, BT_droite})
        b->setMaximumWidth(32);
    BT_option_prefixe->setMaximumWidth(32);
    cg->addWidget(BT_option_compteur);
    cg->addWidget(BT_gauche);
    cg->addWidget(BT_droite);
    cg->addWidget(LBL_compteur);
    cg->addWidget(CBB_largeur_increment);
    namingLayout_->addWidget(prefixGroup_, 1);
    namingLayout_->addWidget(counterGroup_);
    top.addLayout(namingLayout_);
}

void TMainForm::construireLigneOptions(QVBoxLayout& top, QWidget* central) {
    // Initial value, extension, inactive counter.
    auto* optionLine = new QHBoxLayout;
    LBL_initialise_compteur = control<QLabel>(
        "LBL_initialise_compteur", QStringLiteral("Initialiser le compteur à :"), central);
    EDT_initialisation = control<QLineEdit>("EDT_initialisation", QStringLiteral("1"), central);
    EDT_initialisation->setMaxLength(8);
    EDT_initialisation->setMaximumWidth(90);
    LBL_initialise_compteur->setBuddy(EDT_initialisation);
    LBL_info_alpha = control<QLabel>("LBL_info_alpha", QStringLiteral("soit"), central);
    CKB_extension = new QCheckBox(QStringLiteral("Préciser extension"), central);
    CKB_extension->setObjectName(QStringLiteral("CKB_extension"));
    TXT_extension_remplacement =
        control<QLineEdit>("TXT_extension_remplacement", QStringLiteral("*"), central);
    TXT_extension_remplacement->setMaximumWidth(90);
    CKB_compteur_inactif = new QCheckBox(QStringLiteral("Rendre le compteur inactif"), central);
    CKB_compteur_inactif->setObjectName(QStringLiteral("CKB_compteur_inactif"));
    CKB_compteur_inactif->setChecked(true);
    CKB_compteur_inactif->setVisible(false);
    CKB_extension_minuscule = new QCheckBox(QStringLiteral("Extension en minuscules"), central);
    CKB_extension_minuscule->setObjectName(QStringLiteral("CKB_extension_minuscule"));
    optionLine->addWidget(LBL_initialise_compteur);
    optionLine->addWidget(EDT_initialisation);
    optionLine->addWidget(LBL_info_alpha);
    // The room between stays when the counter controls are hidden, so that the extension
    // box keeps to its field.
    optionLine->addStretch(1);
    optionLine->addWidget(CKB_extension);
    optionLine->addWidget(TXT_extension_remplacement);
    optionLine->addWidget(CKB_extension_minuscule);
    optionLine->addWidget(CKB_compteur_inactif);
    top.addLayout(optionLine);
}

void TMainForm::construireGrille(QVBoxLayout& top, QWidget* central) {
    // The grid and the button panel at its right.
    auto* body = new QHBoxLayout;
    model_ = &grille_.modele();
    GRS_fichier = new QTableView(central);
    GRS_fichier->setObjectName(QStringLiteral("GRS_fichier"));
    GRS_fichier->setModel(model_);
    grille_.attacherVue(GRS_fichier);
    GRS_fichier->setItemDelegate(new GrilleDelegate(GRS_fichier));
    GRS_fichier->viewport()->installEventFilter(this);
    GRS_fichier->verticalHeader()->setVisible(false);
    GRS_fichier->verticalHeader()->setDefaultSectionSize(
        std::max(16, GRS_fichier->fontMetrics().height() + 4));
    GRS_fichier->setSelectionBehavior(QAbstractItemView::SelectItems);
    GRS_fichier->setSelectionMode(QAbstractItemView::SingleSelection);
    GRS_fichier->setEditTriggers(QAbstractItemView::DoubleClicked |
                                 QAbstractItemView::EditKeyPressed |
                                 QAbstractItemView::AnyKeyPressed);
    GRS_fichier->setWordWrap(false);
    // A name cut to fit keeps its beginning and its extension.
    GRS_fichier->setTextElideMode(Qt::ElideMiddle);
    GRS_fichier->horizontalHeader()->setStyleSheet(QStringLiteral(
        "QHeaderView::section { background-color: rgb(255,255,204); font-weight: bold; }"));
    GRS_fichier->horizontalHeader()->setDefaultAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    PAN_main = new QWidget(central);
    PAN_main->setObjectName(QStringLiteral("PAN_main"));
    panelLayout_ = new QVBoxLayout(PAN_main);
    IMG_imagette = control<QLabel>("IMG_imagette", QString(), PAN_main);
    IMG_imagette->setScaledContents(false);
    IMG_imagette->setVisible(false);
    IMG_imagette->setAlignment(Qt::AlignCenter);
    IMG_imagette->installEventFilter(this);
    panelLayout_->addWidget(IMG_imagette);
    panelLayout_->addStretch(1);
    BT_exif_info = control<QPushButton>("BT_exif_info", QStringLiteral("EXIF infos"), PAN_main);
    panelLayout_->addWidget(BT_exif_info);
    BT_canon = control<QPushButton>("BT_canon", QStringLiteral("Raw Canon"), PAN_main);
    BT_canon->setVisible(false); // shown while the Canon RAW mode is on
    panelLayout_->addWidget(BT_canon);
    BT_tester = control<QPushButton>("BT_tester", QStringLiteral("Tester avant"), PAN_main);
    BT_valider_rename =
        control<QPushButton>("BT_valider_rename", QStringLiteral("Varlimer"), PAN_main);
    panelLayout_->addWidget(BT_tester);
    panelLayout_->addWidget(BT_valider_rename);
    body->addWidget(GRS_fichier, 81);
    body->addWidget(PAN_main, 19);
    top.addLayout(body, 1);
}

void TMainForm::relierMenus() {
    connect(MIT_select_repertoire, &QAction::triggered, this, &TMainForm::Selection_repertoire);
    connect(BT_selection_repertoire, &QPushButton::clicked, this, &TMainForm::Selection_repertoire);
    connect(MIT_quitter, &QAction::triggered, this, &QWidget::close);
    connect(MIT_importer_carte, &QAction::triggered, this, [this] { app_.DLG_import().Gerer(); });
    connect(MIT_annuler_varlimage, &QAction::triggered, this,
            &TMainForm::Annuler_dernier_varlimage);
    connect(MIT_options_compteur, &QAction::triggered, this, [this] {
        if (auto o = app_.DLG_option_compteur().Gerer(modele_.copie())) {
            modele_.remplacer(*o);
            app_.DB_utilitaire().Ecrire_parametres_en_attente();
        }
        Voir_rename();
        Positionne_compteur(modele_.options().compteurADroite ? 1 : 0);
    });
    connect(BT_option_compteur, &QPushButton::clicked, MIT_options_compteur, &QAction::trigger);
    connect(BT_gauche, &QPushButton::clicked, this, [this] { Positionne_compteur(0); });
    connect(BT_droite, &QPushButton::clicked, this, [this] { Positionne_compteur(1); });
    connect(MIT_option_type_fichier, &QAction::triggered, this, [this] {
        app_.DLG_type_fichier().Gerer();
        Chercher_fichier();
    });
    connect(MIT_aide_sommaire, &QAction::triggered, this,
            [this] { ouvrirAide("RSC_lien_aide_sommaire"); });
    connect(MIT_aide_truc_astuce, &QAction::triggered, this,
            [this] { ouvrirAide("RSC_lien_aide_truc_astuce"); });
    connect(MIT_aide_langue, &QAction::triggered, this, [this] { app_.DLG_langue().Gerer(); });
    connect(MIT_aide_a_propos, &QAction::triggered, this, [this] { app_.DLG_a_propos().Gerer(); });
    connect(BT_valider_rename, &QPushButton::clicked, this, &TMainForm::Varlimer);
    connect(TBT_exif, &QToolButton::clicked, this, &TMainForm::TBT_exifClick);
    connect(TBT_transfert, &QToolButton::clicked, this, &TMainForm::TBT_transfertClick);
    connect(MIT_options_raw_canon, &QAction::triggered, this, [this] { app_.DLG_canon().Gerer(); });
    connect(TBT_raw, &QToolButton::clicked, MIT_options_raw_canon, &QAction::trigger);
    connect(BT_canon, &QPushButton::clicked, MIT_options_raw_canon, &QAction::trigger);
    connect(MIT_options_association, &QAction::triggered, this,
            [this] { app_.DLG_association_fichier().Gerer(); });
    connect(MIT_options_raw_nikon, &QAction::triggered, this, [this] {
        app_.DLG_information().Gerer(
            app_.texte("RSC_titre_fenetre_nikon", "Exploitation des NEF Nikon"),
            texteLignes("RSC_message_nikon",
                        {"Cette version de Varlime sait utiliser le format NEF de Nikon pour "
                         "extraire les EXIF.",
                         "Cependant moins d'informations seront trouvées que dans les jpeg.",
                         "L'essentiel cependant y est."}),
            "RSC_lien_aide_raw");
    });
    connect(MIT_options_raw_pentax, &QAction::triggered, this, [this] {
        app_.DLG_information().Gerer(
            app_.texte("RSC_titre_fenetre_pentax", "Exploitation des PEF Pentax"),
            texteLignes("RSC_message_pentax",
                        {"Cette version de Varlime sait utiliser le format PEF de Pentax pour "
                         "extraire les EXIF.",
                         "Cependant l'image n'est pas affichée par Varlime.",
                         "Ceci ne gêne en rien les opérations de \"nommage\"."}),
            "RSC_lien_aide_raw");
    });
}

void TMainForm::relierBoutons() {
    connect(TBT_image, &QToolButton::clicked, this, &TMainForm::TBT_imageClick);
    connect(TBT_exif_plus_image, &QToolButton::clicked, this, &TMainForm::TBT_exif_plus_imageClick);
    // Clicks and arrow keys alike move the current row: the thumbnail follows it.
    connect(GRS_fichier->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TMainForm::Rafraichir_imagette);
    connect(BT_tester, &QPushButton::clicked, this, &TMainForm::Tester_rename);
    connect(&prechargement_, &PrechargementExif::termine, this, &TMainForm::finPrechargement);
    connect(BT_exif_info, &QPushButton::clicked, this, &TMainForm::BT_exif_infoClick);
    connect(MIT_option_date, &QAction::triggered, this, [this] {
        panneau_->ouvrirDate(true);
        Voir_rename();
    });
    connect(MIT_option_masque, &QAction::triggered, this, [this] { panneau_->ouvrirMasque(); });
    connect(BT_option_prefixe, &QPushButton::clicked, this, [this] {
        app_.DLG_option_prefixe().Gerer();
        Voir_rename();
    });
}

void TMainForm::relierChamps() {
    // The fields send their edits to the model before anything else hears of them, so
    // that the listing, the names and the settings see the options as typed.
    panneau_->relier();
    connect(EDT_masque_recherche, &QLineEdit::textChanged, this, &TMainForm::Chercher_fichier);
    // The settings file always holds what the three main fields show, so that reading
    // it again (at every activation) never brings back older values.
    connect(EDT_masque_recherche, &QLineEdit::textChanged, this,
            &TMainForm::enregistrerOptionsMain);
    connect(EDT_prefixe_remplacement, &QLineEdit::textChanged, this,
            &TMainForm::enregistrerOptionsMain);
    connect(CBB_largeur_increment, &QComboBox::currentTextChanged, this,
            &TMainForm::enregistrerOptionsMain);
    connect(EDT_prefixe_remplacement, &QLineEdit::textChanged, this, &TMainForm::Voir_rename);
    connect(EDT_prefixe_remplacement, &QLineEdit::editingFinished, this, &TMainForm::Voir_rename);
    connect(CBB_largeur_increment, &QComboBox::currentTextChanged, this, &TMainForm::Voir_rename);
    connect(TXT_extension_remplacement, &QLineEdit::textChanged, this, &TMainForm::Voir_rename);
    connect(CKB_extension, &QCheckBox::clicked, this, [this] {
        TXT_extension_remplacement->setEnabled(CKB_extension->isChecked());
        Voir_rename();
    });
    connect(EDT_initialisation, &QLineEdit::textChanged, this,
            &TMainForm::EDT_initialisationChange);
    connect(CKB_compteur_inactif, &QCheckBox::clicked, this,
            [this] { Positionne_compteur(CKB_compteur_inactif->isChecked() ? 2 : 3); });

    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state != Qt::ApplicationActive && dejaMontree_)
                    revenuDAutreProgramme_ = true;
            });
}

} // namespace varlime
