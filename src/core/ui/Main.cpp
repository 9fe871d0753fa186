#include "core/ui/Main.h"

#include "companions/compagnons.h"
#include "companions/ui/IHM_association_fichier.h"
#include "companions/ui/IHM_canon.h"
#include "companions/ui/MD_association_fichier.h"
#include "companions/ui/MD_canon.h"
#include "info/ui/IHM_information.h"

#include "app/Application.h"
#include "core/nameUtils.h"
#include "core/ui/IHM_masque.h"
#include "core/ui/IHM_option_compteur.h"
#include "core/ui/IHM_option_date.h"
#include "core/ui/IHM_option_heure.h"
#include "core/ui/IHM_option_prefixe.h"
#include "core/ui/IHM_rapport.h"
#include "core/ui/IHM_type_fichier.h"
#include "core/ui/MD_masque.h"
#include "core/ui/MD_utilitaire.h"
#include "core/ui/fileGridModel.h"
#include "exif/ui/IHM_exif_dump.h"
#include "exif_naming/ui/IHM_exif_info.h"
#include "exif_naming/ui/IHM_option_exposition.h"
#include "exif_naming/ui/IHM_option_ouverture.h"
#include "i18n/ui/IHM_langue.h"
#include "imaging/ui/IHM_vignette.h"
#include "imaging/ui/MD_image.h"
#include "info/ui/IHM_a_propos.h"
#include "info/ui/IHM_essai.h"
#include "platform/fileSystem.h"
#include "platform/ui/Controls.h"
#include "platform/ui/MessageService.h"
#include "platform/ui/RadioGroup.h"
#include "transfer/ui/IHM_rep_xp.h"
#include "transfer/ui/IHM_selection_repertoire.h"
#include "transfer/ui/IHM_transfert.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStatusBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace varlime {

namespace {

QString qs(const std::string& s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

// Paints a cell holding exactly the no-EXIF or no-companion marker on pure red, its text centred.
class GrilleDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QString texte = index.data().toString();
        if (texte == qs(std::string(kNonVarlimeSansExif)) ||
            texte == qs(std::string(kNonVarlimeSansCompagnon))) {
            painter->save();
            painter->fillRect(option.rect, QColor(255, 0, 0));
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

TMainForm::TMainForm(Application& app) : app_(app) {
    setObjectName(QStringLiteral("MainForm"));
    auto* central = new QWidget(this);
    setCentralWidget(central);
    auto* top = new QVBoxLayout(central);

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
    connect(actualiser, &QAction::triggered, this, &TMainForm::Chercher_fichier);
    MIT_aide_truc_astuce =
        action(MIT_aide, "MIT_aide_truc_astuce", QStringLiteral("Trucs et astuces"));
    MIT_aide_langue = action(MIT_aide, "MIT_aide_langue", QStringLiteral("Langues"));
    MIT_aide->addSeparator();
    MIT_aide_a_propos = action(MIT_aide, "MIT_aide_a_propos", QStringLiteral("À propos"));

    // Tool bar.
    TBR_outils = addToolBar(QStringLiteral("Outils"));
    TBR_outils->setObjectName(QStringLiteral("TBR_outils"));
    TBR_outils->setMovable(false);
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
    top->addLayout(folderLine);

    // Search mask.
    auto* maskLine = new QHBoxLayout;
    LBL_masque_recherche =
        control<QLabel>("LBL_masque_recherche", QStringLiteral("Masque de recherche :"), central);
    EDT_masque_recherche =
        control<QLineEdit>("EDT_masque_recherche", QStringLiteral("*.*"), central);
    LBL_masque_recherche->setBuddy(EDT_masque_recherche);
    maskLine->addWidget(LBL_masque_recherche);
    maskLine->addWidget(EDT_masque_recherche, 1);
    top->addLayout(maskLine);

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
    top->addLayout(namingLayout_);

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
    optionLine->addWidget(LBL_initialise_compteur);
    optionLine->addWidget(EDT_initialisation);
    optionLine->addWidget(LBL_info_alpha);
    // The room between stays when the counter controls are hidden, so that the extension
    // box keeps to its field.
    optionLine->addStretch(1);
    optionLine->addWidget(CKB_extension);
    optionLine->addWidget(TXT_extension_remplacement);
    optionLine->addWidget(CKB_compteur_inactif);
    top->addLayout(optionLine);

    // The grid and the button panel at its right.
    auto* body = new QHBoxLayout;
    model_ = new FileGridModel(moteur_.lignes(), this);
    GRS_fichier = new QTableView(central);
    GRS_fichier->setObjectName(QStringLiteral("GRS_fichier"));
    GRS_fichier->setModel(model_);
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
    top->addLayout(body, 1);

    STB_main = statusBar();
    STB_main->setObjectName(QStringLiteral("STB_main"));

    // Wiring.
    connect(MIT_select_repertoire, &QAction::triggered, this, &TMainForm::Selection_repertoire);
    connect(BT_selection_repertoire, &QPushButton::clicked, this, &TMainForm::Selection_repertoire);
    connect(MIT_quitter, &QAction::triggered, this, &QWidget::close);
    connect(MIT_annuler_varlimage, &QAction::triggered, this,
            &TMainForm::Annuler_dernier_varlimage);
    connect(MIT_options_compteur, &QAction::triggered, this, [this] {
        app_.DLG_option_compteur().Gerer();
        Voir_rename();
        Positionne_compteur(app_.DLG_option_compteur().Position() ? 1 : 0);
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
                         "extraire les EXIF",
                         "Cependant moins d'informations seront trouvées que dans les jpeg.",
                         "L'essentiel cependant y est."}),
            "RSC_lien_aide_raw");
    });
    connect(MIT_options_raw_pentax, &QAction::triggered, this, [this] {
        app_.DLG_information().Gerer(
            app_.texte("RSC_titre_fenetre_pentax", "Exploitation des PEF Pentax"),
            texteLignes("RSC_message_pentax",
                        {"Cette version de Varlime sait utiliser le format PEF de Pentax pour "
                         "extraire les EXIF",
                         "Cependant l'image n'est pas affichée par Varlime.",
                         "Ceci ne gêne en rien les opérations de \"nommage\"."}),
            "RSC_lien_aide_raw");
    });
    connect(TBT_image, &QToolButton::clicked, this, &TMainForm::TBT_imageClick);
    connect(TBT_exif_plus_image, &QToolButton::clicked, this, &TMainForm::TBT_exif_plus_imageClick);
    // Clicks and arrow keys alike move the current row: the thumbnail follows it.
    connect(GRS_fichier->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TMainForm::Rafraichir_imagette);
    connect(BT_tester, &QPushButton::clicked, this, &TMainForm::Tester_rename);
    connect(BT_exif_info, &QPushButton::clicked, this, &TMainForm::BT_exif_infoClick);
    connect(MIT_option_date, &QAction::triggered, this, [this] {
        app_.DLG_option_date().Gerer(true);
        Voir_rename();
    });
    connect(MIT_option_masque, &QAction::triggered, this, [this] { app_.DLG_masque().Gerer(); });
    connect(BT_option_prefixe, &QPushButton::clicked, this, [this] {
        app_.DLG_option_prefixe().Gerer();
        Voir_rename();
    });
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

    // Every run is journaled, so that it can be undone.
    moteur_.journaux = dossierJournaux();

    // Creation (FormCreate).
    app_.translate(this);
    LBL_repertoire->clear();
    EDT_masque_recherche->setText(QStringLiteral("*.*"));
    Fichiers_trouves = false;
    TXT_extension_remplacement->setEnabled(false);
    model_->setHeaders(app_.texte("RSC_avant", "Avant"), app_.texte("RSC_apres", "Après"));
    model_->setTitreAnnexes(app_.texte("RSC_info_annexes", "Fichiers annexes varlimés avec lui :"));
    setWindowTitle(app_.texte("RSC_main_caption", "Varlime ") + QStringLiteral(VARLIME_VERSION) +
                   QStringLiteral(" Linux"));
    setAcceptDrops(true);
    placerFenetre();
}

TMainForm::~TMainForm() = default;

void TMainForm::placerFenetre() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect s = screen->availableGeometry();
    const int w = std::min(1000, s.width());
    const int h = int(std::lround(s.height() * 0.85));
    resize(w, h);
    move(s.x() + int(std::lround((s.width() - w) / 2.0)),
         s.y() + int(std::lround(s.height() / 20.0)));
}

void TMainForm::decalerFenetre(int rang) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || rang <= 0)
        return;
    const QRect zone = screen->availableGeometry();
    // One title bar's height a step, as desktops cascade their windows.
    const int pas = std::max(24, fontMetrics().height() * 2);
    int dx = pas * rang;
    if (x() + dx + width() > zone.right() + 1)
        dx = std::max(zone.left() - x(), -dx); // no room at the right: to the left
    const int dy = pas * rang;
    if (y() + dy + height() > zone.bottom() + 1)
        resize(width(), std::max(minimumSizeHint().height(), zone.bottom() + 1 - y() - dy));
    move(x() + dx, y() + dy);
}

QString TMainForm::cellule(int colonne, int ligne) const {
    if (ligne == 0)
        return model_->headerData(colonne, Qt::Horizontal, Qt::DisplayRole).toString();
    const auto& rows = model_->rows();
    if (ligne < 1 || std::size_t(ligne) > rows.size() || colonne < 0 || colonne > 1)
        return {};
    const FileRow& r = rows[std::size_t(ligne - 1)];
    return qs(colonne == 0 ? r.ancien : nomAffichable(r.nouveau));
}

int TMainForm::nombreLignes() const {
    return int(model_->rows().size()) + 1;
}

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

bool TMainForm::fenetrePlacee() const {
    // Without a window manager (offscreen, tests) there is no frame to wait for.
    const QString plateforme = QGuiApplication::platformName();
    if (plateforme == QLatin1String("offscreen") || plateforme == QLatin1String("minimal"))
        return true;
    return windowHandle() && windowHandle()->isExposed() && frameGeometry() != geometry();
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
    cacheExif_.nouvelleGeneration();
    app_.DB_utilitaire().Lecture_parametres();
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

void TMainForm::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    ajusterColonnes();
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

int TMainForm::largeurNoms(int colonne) const {
    // The widest names are among the longest: only those few are measured, so that a
    // folder of many thousand photos costs one pass over the lengths.
    constexpr std::size_t kMesures = 24;
    const auto& rows = model_->rows();
    auto texte = [colonne](const FileRow& r) -> const std::string& {
        return colonne == 0 ? r.ancien : r.nouveau;
    };
    std::vector<std::pair<std::size_t, std::size_t>> longs; // (length, row)
    longs.reserve(kMesures + 1);
    for (std::size_t i = 0; i < rows.size(); ++i) {
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
    const QFontMetrics fm = GRS_fichier->fontMetrics();
    int largeur = QFontMetrics(GRS_fichier->horizontalHeader()->font())
                      .horizontalAdvance(
                          model_->headerData(colonne, Qt::Horizontal, Qt::DisplayRole).toString());
    for (const auto& [n, i] : longs)
        largeur = std::max(largeur,
                           fm.horizontalAdvance(colonne == 0 ? qs(rows[i].ancien)
                                                             : qs(nomAffichable(rows[i].nouveau))));
    return largeur + 2 * GRS_fichier->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 12;
}

void TMainForm::ajusterColonnes() {
    // Each column as wide as its names when both fit, the room left shared between them;
    // otherwise the room shared in the ratio of their widths (a column never below a
    // quarter), the names cut in the middle and shown whole as a tip.
    const int place = std::max(80, GRS_fichier->viewport()->width());
    const int a = largeurNoms(0), b = largeurNoms(1);
    int w0;
    if (a + b <= place)
        w0 = a + (place - a - b) / 2;
    else
        w0 = std::clamp(int(std::lround(double(place) * a / double(a + b))), place / 4,
                        place - place / 4);
    GRS_fichier->horizontalHeader()->setDefaultSectionSize(place / 2);
    GRS_fichier->setColumnWidth(0, w0);
    GRS_fichier->setColumnWidth(1, place - w0);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* e) {
    if (watched == GRS_fichier->viewport() && e->type() == QEvent::Resize)
        ajusterColonnes();
    if (watched == IMG_imagette && e->type() == QEvent::MouseButtonRelease) {
        IMG_imagetteClick();
        return true;
    }
    if (watched == LBL_repertoire && e->type() == QEvent::MouseButtonDblClick) {
        app_.DLG_essai().Gerer(Repertoire_courant);
        return true;
    }
    return QMainWindow::eventFilter(watched, e);
}

void TMainForm::closeEvent(QCloseEvent* e) {
    Sauver_parametres_main();
    app_.DB_image().Cloturer_DLL_LibGfl();
    e->accept();
}

void TMainForm::Selection_repertoire() {
    TDLG_rep_xp& picker = app_.DLG_rep_xp();
    if (picker.Selection_repertoire(qs(nomAffichable(Repertoire_courant)))) {
        // The picker shows the path as text; the folder is found again by its bytes.
        Repertoire_courant = cheminSurDisque(picker.cheminSelectionne());
        Validation_repertoire();
    } else if (LBL_repertoire->text().isEmpty()) {
        pickerJustCancelled_ = true;
    }
}

void TMainForm::Validation_repertoire(bool enregistrer) {
    Repertoire_courant = Retourne_repertoire_slash(Repertoire_courant);
    LBL_repertoire->setText(qs(nomAffichable(Repertoire_courant)));
    // Bare names of the grid resolve in this folder.
    changerRepertoireCourant(Repertoire_courant);
    // The settings file is text: a path that is not UTF-8 would turn the whole file
    // into another encoding, so such a folder is listed but not remembered.
    if (enregistrer && nomAffichable(Repertoire_courant) == Repertoire_courant)
        app_.DB_utilitaire().Sauver_parametre("CHEMINS", "DEFAUT", Repertoire_courant);
    Chercher_fichier();
}

void TMainForm::Chercher_fichier() {
    if (calculEnCours_) {
        // The rows are being read: the listing comes right after.
        listingDemande_ = true;
        return;
    }
    model_->setHeaders(app_.texte("RSC_avant", "Avant"), app_.texte("RSC_apres", "Après"));
    model_->setTitreAnnexes(app_.texte("RSC_info_annexes", "Fichiers annexes varlimés avec lui :"));
    OptionsNommage& o = moteur_.options;
    o.masqueRecherche = EDT_masque_recherche->text().toStdString();
    o.attributs = app_.DLG_type_fichier().Determiner();
    {
        const OptionsCompagnons c = app_.DB_association_fichier().options();
        listeFiltree_ = c.rawCanon || c.association;
    }
    // Outside the companion modes every file is kept: the filter is not asked 100,000
    // times for nothing.
    TDB_utilitaire& util = app_.DB_utilitaire();
    TDB_canon& canon = app_.DB_canon();
    moteur_.garderFichier = nullptr;
    moteur_.voirListing = nullptr;
    if (listeFiltree_) {
        moteur_.garderFichier = [&util](const std::string& nom) {
            return util.Fichier_a_traiter(nom);
        };
        moteur_.voirListing = [&canon](const std::vector<std::string>& noms) {
            canon.Voir_listing(noms);
        };
    }
    // A listing checks every file's facts again (the cache forgets another folder's).
    cacheExif_.nouvelleGeneration();
    model_->debutListing();
    bool listeOk = true;
    if (Repertoire_courant != "Erreur")
        listeOk = moteur_.lister(Repertoire_courant);
    else
        moteur_.lignes().assign(1, FileRow{});
    model_->finListing();
    signalerDossierIllisible(listeOk);
    Fichiers_trouves = moteur_.fichiersTrouves();
    Voir_rename();
    Rafraichir_imagette();
}

void TMainForm::signalerDossierIllisible(bool listeOk) {
    // A folder that is there but cannot be read would otherwise look empty. It is told
    // once, not at every keystroke in the search mask; a missing folder is the picker's
    // to report.
    int erreur = 0;
    if (!listeOk) {
        const int fd = ::open(Repertoire_courant.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0)
            ::close(fd);
        else
            erreur = errno;
    }
    struct stat st;
    const bool illisible = erreur != 0 && erreur != ENOENT && erreur != ENOTDIR &&
                           ::stat(Repertoire_courant.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    if (!illisible) {
        dossierIllisibleSignale_.clear();
        return;
    }
    if (dossierIllisibleSignale_ == Repertoire_courant)
        return;
    dossierIllisibleSignale_ = Repertoire_courant;
    const QString message = app_.DB_utilitaire().formater(
        app_.texte("RSC_msg_repertoire_illisible",
                   "Le répertoire %s ne peut pas être lu (%s) : aucun fichier n'est listé."),
        {qs(nomAffichable(Repertoire_courant)), QString::fromLocal8Bit(std::strerror(erreur))});
    // A folder given at start is listed before the window shows: its message waits for
    // the window, over which it opens.
    if (differerMessages && !premiereActivation_)
        messageDiffere_ = message;
    else
        app_.messages().error(message, this);
}

bool TMainForm::lireOptions(OptionsNommage& o) {
    const QString largeur = CBB_largeur_increment->currentText();
    if (!toInteger(largeur.toStdString(), o.largeur)) {
        app_.messages().error(app_.DB_utilitaire().messageConversion(largeur), this);
        return false;
    }
    TDLG_option_compteur& compteur = app_.DLG_option_compteur();
    // The main window's copy is the one the user types into; the dialog's copy only
    // follows it while it holds a number.
    const QString init = EDT_initialisation->text();
    if (!toInteger(init.toStdString(), o.initialisation)) {
        app_.messages().error(app_.DB_utilitaire().messageConversion(init), this);
        return false;
    }
    o.prefixe = EDT_prefixe_remplacement->text().toStdString();
    o.extensionImposee = CKB_extension->isChecked();
    o.extension = TXT_extension_remplacement->text().toStdString();
    o.alphabetique = compteur.Type_compteur();
    o.compteurADroite = compteur.Position();
    o.compteurInactif = CKB_compteur_inactif->isChecked();
    const TDLG_option_date& date = app_.DLG_option_date();
    o.dateFichier = date.Utilise_date_fichier();
    o.formatDate = date.formatDate();
    o.separateur = date.separateur();
    o.formatHeure = app_.DLG_option_heure().formatHeure();
    app_.DLG_exif_info().remplirOptions(o.exif);
    o.compagnons = app_.DB_association_fichier().options();
    o.exif.formatOuverture = app_.DLG_option_ouverture().index();
    o.exif.formatExposition = app_.DLG_option_exposition().index();
    return true;
}

OptionsNommage TMainForm::optionsAffichees() const {
    OptionsNommage o = moteur_.options;
    o.prefixe = EDT_prefixe_remplacement->text().toStdString();
    o.formatDate = app_.DLG_option_date().formatDate();
    o.formatHeure = app_.DLG_option_heure().formatHeure();
    o.exif.formatOuverture = app_.DLG_option_ouverture().index();
    o.exif.formatExposition = app_.DLG_option_exposition().index();
    return o;
}

void TMainForm::definirPrefixe(const QString& texte) {
    EDT_prefixe_remplacement->setText(texte);
}

void TMainForm::Voir_rename() {
    // Masks that search and replace, add a prefix and suffix or remove a counter let
    // the user switch the counter off.
    CKB_compteur_inactif->setVisible(Type_masque(EDT_prefixe_remplacement->text().toStdString()) >=
                                     kMasqueChercherRemplacer);
    if (calculEnCours_) {
        calculDemande_ = true;
        return;
    }
    if (!lireOptions(moteur_.options))
        return; // the grid keeps its previous new names
    // A companion mode left (by EXIF infos, or with EXIF naming) no longer filters the
    // listing: the folder is listed again, whole, rather than left showing the pairs only.
    const bool filtre =
        moteur_.options.compagnons.rawCanon || moteur_.options.compagnons.association;
    if (listeFiltree_ && !filtre) {
        Chercher_fichier();
        return;
    }
    // The counter controls are there whenever names get a counter.
    const OptionsNommage& o = moteur_.options;
    const bool sansCompteur = (o.compteurInactif && !CKB_compteur_inactif->isHidden()) ||
                              (o.exif.actif && o.exif.sansCompteur);
    Option_compteur_visible(!sansCompteur);
    app_.DB_utilitaire().Afficher_statut();
    if (moteur_.options.exif.actif) {
        prechargerExif();
        moteur_.calculer(partieNomExifCompagnons(cacheExif_, moteur_.dossier(), moteur_.lignes(),
                                                 moteur_.options, dateDuJour()),
                         lignesCompagnons(cacheExif_, moteur_.dossier(), moteur_.options.compagnons,
                                          moteur_.lignes()));
    } else {
        moteur_.calculer();
    }
    model_->newNamesChanged();
    ajusterColonnes();
    if (listingDemande_) {
        listingDemande_ = false;
        calculDemande_ = false;
        Chercher_fichier();
    } else if (calculDemande_) {
        calculDemande_ = false;
        Voir_rename();
    }
}

void TMainForm::prechargerExif() {
    if (!moteur_.fichiersTrouves())
        return;
    calculEnCours_ = true;
    // A progress window appears only when the reading lasts beyond half a second, so a
    // keystroke over known files makes no window at all; while it shows, the main
    // window keeps being redrawn.
    QElapsedTimer chrono;
    chrono.start();
    std::unique_ptr<QProgressDialog> progression;
    cacheExif_.precharger(
        moteur_.dossier(), moteur_.lignes(), [&](std::size_t fait, std::size_t total) {
            if (!progression && chrono.elapsed() > 500) {
                progression = std::make_unique<QProgressDialog>(
                    app_.texte("RSC_msg_lecture_exif", "Lecture des informations EXIF..."),
                    QString(), 0, int(total), this);
                progression->setObjectName(QStringLiteral("DLG_lecture_exif"));
                progression->setWindowModality(Qt::WindowModal);
                progression->setCancelButton(nullptr);
                progression->setMinimumDuration(0);
            }
            if (progression)
                progression->setValue(int(fait)); // also lets the window answer
            return true;
        });
    calculEnCours_ = false;
}

void TMainForm::afficherOutilRaw(bool visible) {
    actionRaw_->setVisible(visible);
}

bool TMainForm::outilRawVisible() const {
    return actionRaw_->isVisible();
}

QStringList TMainForm::texteLignes(const char* cle, const std::vector<std::string>& defaut) {
    QStringList lignes;
    for (const std::string& l : app_.localization().GetLangLines("MESSAGES", cle, defaut))
        lignes << QString::fromStdString(l);
    return lignes;
}

bool TMainForm::Test_liste_exif() {
    // The companion modes name files that carry no EXIF of their own: nothing to ask.
    TDB_utilitaire& utilitaire = app_.DB_utilitaire();
    if ((utilitaire.modeRawCanon && utilitaire.modeRawCanon()) ||
        (utilitaire.modeAssociation && utilitaire.modeAssociation()))
        return true;
    prechargerExif(); // a large folder shows its progress here already
    if (listingDemande_) {
        listingDemande_ = false;
        Chercher_fichier();
    }
    const VerificationExif v = verifierListeExif(cacheExif_, moteur_.dossier(), moteur_.lignes());
    // An empty list has no file without EXIF data to name.
    if (v.sansExif == 0 || !moteur_.fichiersTrouves())
        return true;
    TDB_utilitaire& util = app_.DB_utilitaire();
    QString message =
        v.sansExif == 1
            ? util.formater(app_.texte("RSC_msg_un_fichier_sans_exif",
                                       "Le fichier %s n'a pas d'en-tête Exif"),
                            {qs(v.premier)})
            : util.formater(app_.texte("RSC_msg_plusieurs_fichiers_sans_exif",
                                       "%d fichiers de la liste ne portent pas d'en-tête "
                                       "Exif\r\npar exemple : %s"),
                            {v.sansExif, qs(v.premier)});
    message +=
        QStringLiteral("\r\n") +
        app_.texte("RSC_msg_confirmation_varlimer_autres_exif",
                   "Voulez-vous varlimer les autres fichiers porteurs d'informations Exif ?");
    return app_.messages().confirm(message, this);
}

void TMainForm::Ecran_principal_exif() {
    TDLG_exif_info& exif = app_.DLG_exif_info();
    const bool on = exif.Est_mode_exif();
    for (QWidget* w :
         std::initializer_list<QWidget*>{LBL_prefixe, BT_option_prefixe, EDT_prefixe_remplacement})
        w->setVisible(!on);
    if (on)
        LBL_date_fichier->setVisible(false);
    if (on) {
        // The Canon RAW mode writes its own status.
        TDB_utilitaire& util = app_.DB_utilitaire();
        if (!(util.modeRawCanon && util.modeRawCanon()))
            STB_main->showMessage(app_.texte("RSC_statut_exif", "Mode EXIF"));
        Option_compteur_visible(!exif.CKB_compteur->isChecked());
    } else {
        STB_main->showMessage(app_.texte("RSC_statut_normal", "Mode NORMAL"));
        Option_compteur_visible(true);
        // Leaving EXIF naming brings back the stored prefix, mask and width.
        app_.DB_utilitaire().Lecture_parametres();
    }
}

void TMainForm::Desactive_option_exif() {
    TDB_utilitaire& util = app_.DB_utilitaire();
    const QString nom = nomLigneCourante();
    // With no file listed there is no name to give.
    app_.messages().warning(
        nom.isEmpty()
            ? app_.texte("RSC_msg_aucun_fichier_dans_liste", "Aucun fichier dans la liste.")
            : util.formater(app_.texte("RSC_fichier_sans_exif",
                                       "Le fichier %s ne porte pas d'information EXIF.\nVeuillez "
                                       "cliquer sur une autre ligne pour\nlire les informations "
                                       "du fichier."),
                            {nom}),
        this);
    // The companion modes are kinds of EXIF naming: they go with it, or their filter
    // would go on hiding files in the normal mode.
    if (util.desactiverModeExterne) {
        util.desactiverModeExterne(Mode::RawCanon);
        util.desactiverModeExterne(Mode::Association);
    }
    app_.DLG_exif_info().CKB_exploitation_exif->setChecked(false);
    Ecran_principal_exif();
}

void TMainForm::BT_exif_infoClick() {
    const QModelIndex current = GRS_fichier->currentIndex();
    const std::size_t ligne = current.isValid() ? std::size_t(current.row()) : 0;
    const auto& rows = moteur_.lignes();
    TDLG_exif_info& exif = app_.DLG_exif_info();
    if (ligne < rows.size() && !rows[ligne].ancienSurDisque().empty()) {
        const std::string& nom = rows[ligne].ancienSurDisque();
        exif.definirFichier(cacheExif_.faits(moteur_.dossier(), nom), nom);
    } else {
        exif.definirFichier(FaitsExif{}, std::string());
    }
    if (exif.Test_fichier_exif())
        exif.Gerer();
    else
        Desactive_option_exif();
    Voir_rename();
}

RapportTest TMainForm::Rapport_test() {
    const TextLookup texte = lookupMessages(app_.localization());
    RapportTest rapport = moteur_.tester(texte);
    // Rows checked one by one cannot tell that the folder itself refuses every rename
    // (read-only folder or card): the report says so first, and never "no error".
    bool aRenommer = false;
    for (const FileRow& r : moteur_.lignes())
        aRenommer = aRenommer || (!r.ancien.empty() && !r.nouveau.empty() &&
                                  !Remplacement_indique_pas_varlime(r.nouveau) &&
                                  r.nouveau != r.ancienSurDisque());
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

void TMainForm::Tester_rename() {
    TDLG_rapport& rapport = app_.DLG_rapport();
    rapport.Remplir(Rapport_test().lignes);
    rapport.Gerer();
}

void TMainForm::Varlimer() {
    // A declined run touches nothing and says nothing: a summary of zero files would
    // read as if the run had been tried and had found nothing to do.
    if (!app_.messages().confirm(
            app_.texte("RSC_msg_confirmation_varlimer_liste", "Voulez-vous varlimer la liste ?"),
            this))
        return;
    const BilanRenommage bilan = moteur_.renommer();
    dernierBilan = bilan;
    if (bilan.sansJournal)
        app_.messages().warning(app_.texte("RSC_msg_journal_impossible", kMessageJournalImpossible),
                                this);
    if (bilan.dossierDeplace) {
        // The rows belong to a folder that is no longer there: nothing was renamed,
        // and the grid stays as it was so the user sees what was meant.
        app_.messages().error(app_.DB_utilitaire().formater(
                                  app_.texte("RSC_msg_repertoire_deplace", kMessageDossierDeplace),
                                  {qs(nomAffichable(moteur_.dossier().chemin()))}),
                              this);
        return;
    }
    Chercher_fichier();
    const QString bilanTexte =
        app_.texte("RSC_msg_bilan_varlimage", "%d fichiers varlimés\r\n%d erreurs");
    app_.messages().information(
        app_.DB_utilitaire().formater(bilanTexte, {bilan.renommes, bilan.erreurs}), this);
}

namespace {
// Undoes a plan in its folder and returns the summary to show.
QString annulerPlan(Application& app, const DossierListe& dossier, const PlanAnnulation& plan,
                    const std::string& journaux) {
    const BilanRenommage bilan = annuler(dossier, plan, journaux);
    if (bilan.enCours)
        return app.DB_utilitaire().formater(
            app.texte("RSC_msg_varlimage_en_cours", kMessageVarlimageEnCours),
            {QString::fromUtf8(nomAffichable(dossier.chemin()).c_str())});
    return app.DB_utilitaire().formater(
        app.texte("RSC_msg_bilan_annulation", kMessageBilanAnnulation),
        {bilan.renommes, bilan.erreurs});
}
} // namespace

void TMainForm::Annuler_dernier_varlimage() {
    const auto plan = planAnnulation(moteur_.dossier(), moteur_.journaux);
    if (!plan) {
        app_.messages().information(
            app_.texte("RSC_msg_rien_a_annuler", "Aucun varlimage à annuler dans ce répertoire."),
            this);
        return;
    }
    if (plan->enCours) {
        app_.messages().information(
            app_.DB_utilitaire().formater(
                app_.texte("RSC_msg_varlimage_en_cours", kMessageVarlimageEnCours),
                {qs(nomAffichable(moteur_.dossier().chemin()))}),
            this);
        return;
    }
    // The last run in this folder may be an undo that brought every file back: undoing
    // it renames the files again, and the question says so rather than speaking of old names.
    const QString question =
        plan->sens == PlanAnnulation::Sens::Refaire
            ? app_.texte("RSC_msg_confirmation_refaire",
                         "Le dernier varlimage a été annulé. Voulez-vous le refaire "
                         "(%d fichiers) ?")
            : app_.texte("RSC_msg_confirmation_annuler",
                         "Voulez-vous remettre %d fichiers sous leur ancien nom ?");
    if (!app_.messages().confirm(
            app_.DB_utilitaire().formater(question, {int(plan->retours.size())}), this))
        return;
    if (!moteur_.dossier().toujoursEnPlace()) {
        app_.messages().error(app_.DB_utilitaire().formater(
                                  app_.texte("RSC_msg_repertoire_deplace", kMessageDossierDeplace),
                                  {qs(nomAffichable(moteur_.dossier().chemin()))}),
                              this);
        return;
    }
    const QString resume = annulerPlan(app_, moteur_.dossier(), *plan, moteur_.journaux);
    Chercher_fichier();
    app_.messages().information(resume, this);
}

void TMainForm::Signaler_varlimage_interrompu() {
    for (JournalLu& j : journaux(moteur_.journaux)) {
        if (j.termine || j.signale)
            continue;
        const QString dossier = qs(nomAffichable(j.dossier));
        // A run still going holds its journal: it is told, and offered once it has died.
        if (j.enCours) {
            app_.messages().information(
                app_.DB_utilitaire().formater(
                    app_.texte("RSC_msg_varlimage_en_cours", kMessageVarlimageEnCours), {dossier}),
                this);
            continue;
        }
        marquerSignale(j.fichier);
        // The journal names its folder by device and inode: a folder removed, or
        // another one now at its path, is refused.
        DossierListe d;
        struct stat st;
        if (!d.ouvrir(j.dossier) || ::fstat(d.fd(), &st) != 0 || st.st_dev != j.device ||
            st.st_ino != j.inode) {
            app_.messages().error(
                app_.DB_utilitaire().formater(
                    app_.texte("RSC_msg_repertoire_deplace", kMessageDossierDeplace), {dossier}),
                this);
            continue;
        }
        // The offer counts the files that would go back, as they are on disk: the
        // marks of the last renames may not have been written.
        const PlanAnnulation plan = planAnnulation(d, std::move(j));
        if (plan.retours.empty())
            continue;
        if (!app_.messages().confirm(
                app_.DB_utilitaire().formater(
                    app_.texte("RSC_msg_varlimage_interrompu", kMessageVarlimageInterrompu),
                    {dossier, int(plan.retours.size())}),
                this))
            continue;
        const QString resume = annulerPlan(app_, d, plan, moteur_.journaux);
        if (dossierListe())
            Chercher_fichier();
        app_.messages().information(resume, this);
    }
}

void TMainForm::Selection(int direction, QString& name) {
    const int n = int(model_->rows().size());
    int row = GRS_fichier->currentIndex().isValid() ? GRS_fichier->currentIndex().row() : -1;
    if (direction == 0)
        row = (row + 1 >= n) ? 0 : row + 1;
    else if (direction == 1)
        row = (row <= 0) ? n - 1 : row - 1;
    if (row < 0)
        row = 0;
    GRS_fichier->setCurrentIndex(model_->index(row, 0));
    name = cellule(0, row + 1);
}

QString TMainForm::nomLigneCourante() const {
    const QModelIndex current = GRS_fichier->currentIndex();
    return cellule(0, current.isValid() ? current.row() + 1 : 1);
}

void TMainForm::TBT_exifClick() {
    Sauver_parametres_main();
    const QModelIndex current = GRS_fichier->currentIndex();
    const std::size_t ligne = current.isValid() ? std::size_t(current.row()) : 0;
    const auto& rows = moteur_.lignes();
    if (ligne >= rows.size() || rows[ligne].ancienSurDisque().empty()) {
        app_.messages().error(
            app_.texte("RSC_msg_aucun_fichier_dans_liste", "Aucun fichier dans la liste."), this);
        return;
    }
    // The file is opened by its name on disk, bytes and all.
    app_.DLG_exif_dump().Liste_info_exif_centree(moteur_.dossier().chemin() +
                                                 rows[ligne].ancienSurDisque());
}

int TMainForm::ligneCourante() const {
    const QModelIndex current = GRS_fichier->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void TMainForm::selectionnerLigne(int ligne) {
    const int n = int(moteur_.lignes().size());
    if (n > 0)
        GRS_fichier->setCurrentIndex(model_->index(std::clamp(ligne, 0, n - 1), 0));
}

std::string TMainForm::cheminLigne(int ligne) const {
    const auto& rows = moteur_.lignes();
    if (ligne < 0 || ligne >= int(rows.size()) || rows[ligne].ancienSurDisque().empty())
        return {};
    // The file is opened by its name on disk, bytes and all.
    return moteur_.dossier().chemin() + rows[ligne].ancienSurDisque();
}

void TMainForm::Rafraichir_imagette() {
    const QMargins m = panelLayout_->contentsMargins();
    IMG_imagette->setFixedWidth(
        std::max(16, PAN_main->contentsRect().width() - m.left() - m.right()));
    // Decoded on the side: the arrow keys move through the grid at once, and the
    // thumbnail follows when its picture is there.
    app_.DB_image().ImageEnArrierePlan(cheminLigne(ligneCourante()), IMG_imagette);
}

void TMainForm::IMG_imagetteClick() {
    const std::string chemin = cheminLigne(ligneCourante());
    if (!chemin.empty())
        app_.DLG_vignette().Image_centree(chemin);
}

void TMainForm::TBT_imageClick() {
    Sauver_parametres_main();
    const std::string chemin = cheminLigne(std::max(0, ligneCourante()));
    if (chemin.empty()) {
        app_.messages().error(
            app_.texte("RSC_msg_aucun_fichier_dans_liste", "Aucun fichier dans la liste."), this);
        return;
    }
    app_.DLG_vignette().Image_centree(chemin);
}

void TMainForm::TBT_exif_plus_imageClick() {
    Sauver_parametres_main();
    const std::string chemin = cheminLigne(std::max(0, ligneCourante()));
    if (chemin.empty()) {
        app_.messages().error(
            app_.texte("RSC_msg_aucun_fichier_dans_liste", "Aucun fichier dans la liste."), this);
        return;
    }
    TDLG_exif_dump& dump = app_.DLG_exif_dump();
    // At the screen's left edge; the viewer then sizes it beside itself.
    dump.move(0, dump.y());
    dump.Liste_info_exif_chemin(chemin);
    app_.DLG_vignette().Image_positionnee(chemin);
}

void TMainForm::TBT_transfertClick() {
    app_.DLG_transfert().Gerer();
    if (Repertoire_courant == "Erreur" || !Chemin_valide(Repertoire_courant))
        return;
    // The hidden folder list makes the folder the process's current directory.
    app_.DLG_selection_repertoire().definirRepertoire(qs(nomAffichable(Repertoire_courant)));
    Validation_repertoire();
}

void TMainForm::Masque(QString& text) const {
    text = EDT_prefixe_remplacement->text();
}

void TMainForm::Positionne_compteur(int type) {
    switch (type) {
    case 1:
        namingLayout_->removeWidget(counterGroup_);
        namingLayout_->insertWidget(1, counterGroup_);
        app_.DLG_option_compteur().Positionne(1);
        break;
    case 0:
        namingLayout_->removeWidget(counterGroup_);
        namingLayout_->insertWidget(0, counterGroup_);
        app_.DLG_option_compteur().Positionne(0);
        break;
    case 2:
        Option_compteur_visible(false);
        break;
    case 3:
        Option_compteur_visible(true);
        break;
    default:
        break;
    }
    Voir_rename();
}

void TMainForm::Prefixe_visible(bool visible) {
    EDT_prefixe_remplacement->setVisible(visible);
    // Without it the prefix's "O" would stand right beside the counter's, behind an
    // empty gap: the date's source fills the place and tells what names begin with.
    LBL_date_fichier->setText(app_.DLG_option_date().RGA_select_source_date->itemText(1));
    LBL_date_fichier->setVisible(!visible);
}

void TMainForm::Option_compteur_visible(bool visible) {
    for (QWidget* w : std::initializer_list<QWidget*>{
             BT_option_compteur, BT_gauche, BT_droite, LBL_compteur, CBB_largeur_increment,
             LBL_initialise_compteur, EDT_initialisation, LBL_info_alpha})
        w->setVisible(visible);
}

void TMainForm::EDT_initialisationChange() {
    app_.DLG_option_compteur().Informe_init_alpha(1);
    Voir_rename();
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
    if (!util.Sauver_parametre("MAIN", "MASQUE_RECHERCHE",
                               EDT_masque_recherche->text().toStdString()))
        return;
    if (!exif && !util.Sauver_parametre("MAIN", "PREFIXE_REMPLACEMENT",
                                        EDT_prefixe_remplacement->text().toStdString()))
        return;
    if (largeurEnregistrable())
        util.Sauver_parametre("MAIN", "LARGEUR_COMPTEUR",
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

void TMainForm::ouvrirAide(const char* key) {
    app_.ouvrirAide(key, this);
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
    static constexpr const char* kCles[3] = {"MASQUE_RECHERCHE", "PREFIXE_REMPLACEMENT",
                                             "LARGEUR_COMPTEUR"};
    TDB_utilitaire& util = app_.DB_utilitaire();
    for (int i = 0; i < 3; ++i) {
        if (enregistre_[i] == valeurs[i] || (i == 2 && !largeurEnregistrable()))
            continue;
        // A refused write is told once, not at every keystroke.
        if (!util.Sauver_parametre("MAIN", kCles[i], valeurs[i], !ecritureRefusee_)) {
            ecritureRefusee_ = true;
            return;
        }
        ecritureRefusee_ = false;
        enregistre_[i] = valeurs[i];
    }
}

void TMainForm::dragEnterEvent(QDragEnterEvent* e) {
    const QList<QUrl> urls = e->mimeData()->urls();
    if (urls.size() == 1 && urls.front().isLocalFile() &&
        Chemin_valide(cheminSurDisque(urls.front().toLocalFile())))
        e->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* e) {
    const QList<QUrl> urls = e->mimeData()->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile())
        return;
    // A folder dropped onto the window is listed as if it had been picked.
    const std::string dossier = cheminSurDisque(urls.front().toLocalFile());
    if (!Chemin_valide(dossier))
        return;
    e->acceptProposedAction();
    Repertoire_courant = dossier;
    Validation_repertoire();
}

} // namespace varlime
