// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/ui/IHM_import.h"

#include "core/messageFormat.h"
#include "i18n/uLocalization.h"
#include "import/ui/ArbreImport.h"
#include "import/ui/FriseAppareils.h"
#include "platform/iniFile.h"
#include "platform/texteQt.h"
#include "platform/ui/Controls.h"
#include "platform/ui/MessageService.h"
#include "platform/ui/ServicesFenetre.h"
#include "platform/ui/traductionsQt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSpinBox>
#include <QSplitter>
#include <QStorageInfo>
#include <QTableWidget>
#include <QThread>
#include <QTreeView>
#include <QVBoxLayout>
#include <map>

namespace varlime {

namespace {

constexpr const char* kSection = "IMPORT";

// A size in the program's language, counted as the run's progress line counts: "Mo",
// 1000 "ko" to the "Mo".
QString tailleEn(ServicesFenetre& app, qint64 octets) {
    return localeDuProgramme(app.localization().ActiveLanguageCode())
        .formattedDataSize(octets, 2, QLocale::DataSizeSIFormat);
}

// A folder not made yet is on the volume of its nearest existing parent.
QString dossierExistant(QString d) {
    while (!d.isEmpty() && !QFileInfo(d).isDir()) {
        const int slash = d.lastIndexOf(QLatin1Char('/'), d.endsWith(QLatin1Char('/')) ? -2 : -1);
        d = slash <= 0 ? QStringLiteral("/") : d.left(slash);
    }
    return d.isEmpty() ? QStringLiteral("/") : d;
}

} // namespace

TDLG_import::TDLG_import(ServicesFenetre& app, QWidget* parent)
    : QDialog(parent), app_(app), surveillance_(this) {
    setObjectName(QStringLiteral("DLG_import"));
    setWindowTitle(QStringLiteral("Importer une carte"));
    setWindowFlag(Qt::Window);
    setModal(false);
    qRegisterMetaType<varlime::CarteTrouvee>();
    arbre_ = new ArbreImport(recherche(), this);
    arbre_->texteTaille = [&app = app_](qint64 octets) { return tailleEn(app, octets); };
    espaceLibre = [](const QString& d) {
        return QStorageInfo(dossierExistant(d)).bytesAvailable();
    };
    attente_.setSingleShot(true);
    attente_.setInterval(250);
    connect(&attente_, &QTimer::timeout, this, &TDLG_import::planifier);

    auto* haut = new QSplitter(Qt::Horizontal, this);
    // The options column scrolls on a short screen rather than push the window off it.
    auto* defile = new QScrollArea(haut);
    defile->setWidgetResizable(true);
    defile->setFrameShape(QFrame::NoFrame);
    defile->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* gauche = new QWidget(defile);
    auto* colonne = new QVBoxLayout(gauche);
    colonne->setContentsMargins(0, 0, 0, 0);
    colonne->addWidget(construireSource());
    colonne->addWidget(construireDestinations());
    colonne->addWidget(construireOptions());
    colonne->addStretch(1);
    defile->setWidget(gauche);
    auto* droite = new QSplitter(Qt::Vertical, haut);
    auto* plan = new QWidget(droite);
    auto* planBoite = new QVBoxLayout(plan);
    planBoite->setContentsMargins(0, 0, 0, 0);
    TRV_plan = new QTreeView(plan);
    TRV_plan->setObjectName(QStringLiteral("TRV_plan"));
    TRV_plan->setModel(arbre_);
    TRV_plan->setUniformRowHeights(true);
    TRV_plan->setIconSize(QSize(32, 32));
    TRV_plan->header()->setSectionResizeMode(0, QHeaderView::Interactive);
    TRV_plan->header()->resizeSection(0, 260);
    TRV_plan->header()->resizeSection(1, 100);
    TRV_plan->header()->resizeSection(2, 70);
    TRV_plan->header()->resizeSection(3, 150);
    LBL_resume = control<QLabel>("LBL_resume", QString(), plan);
    LBL_resume->setWordWrap(true);
    planBoite->addWidget(TRV_plan, 1);
    planBoite->addWidget(LBL_resume);
    droite->addWidget(plan);
    droite->addWidget(construireAppareils());
    droite->setStretchFactor(0, 3);
    droite->setStretchFactor(1, 1);
    haut->addWidget(defile);
    haut->addWidget(droite);
    haut->setStretchFactor(1, 1);
    haut->setSizes({440, 760});

    auto* tout = new QVBoxLayout(this);
    tout->addWidget(haut, 1);
    tout->addWidget(construireExecution());
    relier();
    app_.translate(this);
    ajusterALEcran();
    lireReglages();
}

void TDLG_import::ajusterALEcran() {
    // 1200x760 where there is room; within the screen's free area (less the title bar)
    // on a laptop's 1366x768.
    const QRect libre = screen() ? screen()->availableGeometry() : QRect(0, 0, 1366, 768);
    resize(std::min(1200, libre.width() - 16), std::min(760, libre.height() - 40));
}

void TDLG_import::surveillerCartes() {
    surveillance_.demarrer();
}

TDLG_import::~TDLG_import() {
    attendreTravaux();
    // The destinations and the template are remembered however the program ends.
    modele_.enregistrer(app_.programFolder());
}

QString TDLG_import::texte(const char* cle, const char* defaut) const {
    return app_.texte(cle, defaut);
}

QString TDLG_import::taille(qint64 octets) const {
    return tailleEn(app_, octets);
}

TextLookup TDLG_import::recherche() const {
    // The tree's headers ask for these texts until the very end of the window: the lookup
    // holds the program's services, not the window.
    return [&app = app_](std::string_view cle, std::string_view defaut) {
        return app.texte(std::string(cle).c_str(), std::string(defaut).c_str()).toStdString();
    };
}

QWidget* TDLG_import::construireSource() {
    auto* boite = control<QGroupBox>("GRB_source", QStringLiteral("Carte"), this);
    auto* l = new QVBoxLayout(boite);
    LST_sources = new QTableWidget(0, 4, boite);
    LST_sources->setObjectName(QStringLiteral("LST_sources"));
    LST_sources->setHorizontalHeaderLabels(
        {texte("RSC_import_source_volume", "Volume"), texte("RSC_import_source_taille", "Taille"),
         texte("RSC_import_source_photos", "Photos"), texte("RSC_import_source_films", "Films")});
    LST_sources->verticalHeader()->setVisible(false);
    LST_sources->setSelectionBehavior(QAbstractItemView::SelectRows);
    LST_sources->setSelectionMode(QAbstractItemView::SingleSelection);
    LST_sources->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LST_sources->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int k = 1; k < 4; ++k)
        LST_sources->horizontalHeader()->setSectionResizeMode(k, QHeaderView::ResizeToContents);
    LST_sources->setMaximumHeight(100);
    BT_autre_dossier =
        control<QPushButton>("BT_autre_dossier", QStringLiteral("Autre dossier…"), boite);
    l->addWidget(LST_sources);
    l->addWidget(BT_autre_dossier, 0, Qt::AlignLeft);
    return boite;
}

QComboBox* TDLG_import::destination(const char* nom, const char* bouton, QLabel*& place,
                                    QWidget* boite, int ligne, const QString& libelle,
                                    std::pair<const char*, const char*> titre) {
    auto* grille = static_cast<QGridLayout*>(boite->layout());
    const QString n = QString::fromLatin1(nom).mid(4);
    auto* l = control<QLabel>(("LBL_" + n.toStdString()).c_str(), libelle, boite);
    auto* c = new QComboBox(boite);
    c->setObjectName(QString::fromLatin1(nom));
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->setMinimumContentsLength(16);
    grille->setColumnStretch(1, 1);
    auto* b = control<QPushButton>(bouton, QStringLiteral("…"), boite);
    b->setMaximumWidth(32);
    place = control<QLabel>(("LBL_place_" + n.toStdString()).c_str(), QString(), boite);
    grille->addWidget(l, ligne * 2, 0);
    grille->addWidget(c, ligne * 2, 1);
    grille->addWidget(b, ligne * 2, 2);
    grille->addWidget(place, ligne * 2 + 1, 1, 1, 2);
    connect(b, &QPushButton::clicked, this, [this, c, titre] {
        const QString d = choisirDossier(titre.first, titre.second, c->currentText());
        if (!d.isEmpty())
            c->setEditText(d);
    });
    // The favourite target folders of the transfer are offered in each list.
    const IniDocument ini =
        IniDocument::load(locateConfigFile(app_.programFolder(), "varlime.ini").readPath);
    for (int k = 1; k <= 6; ++k) {
        const std::string v = ini.read("CHEMINS_CIBLE", "LIGNE" + std::to_string(k), "");
        const auto pv = v.find(';');
        if (pv != std::string::npos && pv + 1 < v.size())
            c->addItem(qs(v.substr(pv + 1)));
    }
    c->setEditText(QString());
    return c;
}

QWidget* TDLG_import::construireDestinations() {
    auto* boite = control<QGroupBox>("GRB_destinations", QStringLiteral("Destinations"), this);
    new QGridLayout(boite);
    const std::pair<const char*, const char*> sauvegarde{"RSC_import_choisir_sauvegarde",
                                                         "Choisir le dossier de la sauvegarde"};
    CBB_archive = destination("CBB_archive", "BT_archive", LBL_place_archive, boite, 0,
                              QStringLiteral("Archive"),
                              {"RSC_import_choisir_archive", "Choisir le dossier de l'archive"});
    CBB_sauvegarde1 = destination("CBB_sauvegarde1", "BT_sauvegarde1", LBL_place_sauvegarde1, boite,
                                  1, QStringLiteral("Sauvegarde 1"), sauvegarde);
    CBB_sauvegarde2 = destination("CBB_sauvegarde2", "BT_sauvegarde2", LBL_place_sauvegarde2, boite,
                                  2, QStringLiteral("Sauvegarde 2"), sauvegarde);
    return boite;
}

QWidget* TDLG_import::construireOptions() {
    auto* boite = control<QGroupBox>("GRB_options", QStringLiteral("Classement et noms"), this);
    auto* g = new QGridLayout(boite);
    EDT_modele = new QLineEdit(boite);
    EDT_modele->setObjectName(QStringLiteral("EDT_modele"));
    EDT_nom = new QLineEdit(boite);
    EDT_nom->setObjectName(QStringLiteral("EDT_nom"));
    SPN_largeur = new QSpinBox(boite);
    SPN_largeur->setObjectName(QStringLiteral("SPN_largeur"));
    SPN_largeur->setRange(1, 9);
    SPN_largeur->setValue(3);
    SPN_debut = new QSpinBox(boite);
    SPN_debut->setObjectName(QStringLiteral("SPN_debut"));
    SPN_debut->setRange(0, 999999);
    SPN_debut->setValue(1);
    g->addWidget(control<QLabel>("LBL_modele", QStringLiteral("Dossiers"), boite), 0, 0);
    g->addWidget(EDT_modele, 0, 1);
    auto* aide = control<QLabel>("LBL_aide_modele",
                                 QStringLiteral("%Y année, %m mois, %d jour, %b mois en lettres, "
                                                "{make} {model} {job} {ext}"),
                                 boite);
    aide->setWordWrap(true);
    g->addWidget(aide, 1, 1);
    g->addWidget(control<QLabel>("LBL_nom", QStringLiteral("Préfixe ou masque"), boite), 2, 0);
    g->addWidget(EDT_nom, 2, 1);
    g->addWidget(control<QLabel>("LBL_aide_nom",
                                 QStringLiteral("Vide : les fichiers gardent leur nom"), boite),
                 3, 1);
    g->addWidget(control<QLabel>("LBL_largeur", QStringLiteral("Chiffres du compteur"), boite), 4,
                 0);
    g->addWidget(SPN_largeur, 4, 1, Qt::AlignLeft);
    g->addWidget(control<QLabel>("LBL_debut", QStringLiteral("Premier numéro"), boite), 5, 0);
    g->addWidget(SPN_debut, 5, 1, Qt::AlignLeft);
    CKB_nom_date = control<QCheckBox>(
        "CKB_nom_date", QStringLiteral("Nommer par la date et l'heure de prise"), boite);
    g->addWidget(CKB_nom_date, 6, 0, 1, 2);
    CKB_proposer = control<QCheckBox>(
        "CKB_proposer", QStringLiteral("Proposer l'import quand une carte apparaît"), boite);
    g->addWidget(CKB_proposer, 7, 0, 1, 2);
    return boite;
}

QWidget* TDLG_import::construireExecution() {
    auto* boite = new QWidget(this);
    auto* g = new QGridLayout(boite);
    g->setContentsMargins(0, 0, 0, 0);
    PGB_import = new QProgressBar(boite);
    PGB_import->setObjectName(QStringLiteral("PGB_import"));
    PGB_import->setRange(0, 1000);
    PGB_import->setValue(0);
    PGB_import->setTextVisible(false);
    LBL_avancement = control<QLabel>("LBL_avancement", QString(), boite);
    BT_importer = control<QPushButton>("BT_importer", QStringLiteral("Importer"), boite);
    BT_importer->setDefault(true);
    BT_interrompre = control<QPushButton>("BT_interrompre", QStringLiteral("Interrompre"), boite);
    BT_interrompre->setVisible(false);
    LST_bilan = new QListWidget(boite);
    LST_bilan->setObjectName(QStringLiteral("LST_bilan"));
    LST_bilan->setMaximumHeight(96);
    BT_ouvrir_dossier =
        control<QPushButton>("BT_ouvrir_dossier", QStringLiteral("Ouvrir le dossier"), boite);
    BT_ejecter = control<QPushButton>("BT_ejecter", QStringLiteral("Éjecter la carte"), boite);
    LBL_ejecter = control<QLabel>("LBL_ejecter", QString(), boite);
    LBL_ejecter->setWordWrap(true);
    BT_supprimer_carte =
        control<QPushButton>("BT_supprimer_carte", QStringLiteral("Supprimer de la carte"), boite);
    BT_aide = control<QPushButton>("BT_aide", QStringLiteral("Aide"), boite);
    BT_fermer = control<QPushButton>("BT_fermer", QStringLiteral("Fermer"), boite);
    g->addWidget(PGB_import, 0, 0, 1, 3);
    g->addWidget(BT_importer, 0, 3);
    g->addWidget(BT_interrompre, 0, 4);
    g->addWidget(LBL_avancement, 1, 0, 1, 5);
    g->addWidget(LST_bilan, 2, 0, 3, 2);
    g->addWidget(BT_ouvrir_dossier, 2, 2);
    g->addWidget(BT_ejecter, 3, 2);
    g->addWidget(LBL_ejecter, 2, 3, 2, 2, Qt::AlignTop);
    g->addWidget(BT_supprimer_carte, 4, 2);
    g->addWidget(BT_aide, 4, 3);
    g->addWidget(BT_fermer, 4, 4);
    g->setColumnStretch(1, 1);
    for (QPushButton* b : {BT_ouvrir_dossier, BT_ejecter, BT_supprimer_carte})
        b->setEnabled(false);
    return boite;
}

void TDLG_import::relier() {
    connect(&modele_, &ModeleImport::change, this, &TDLG_import::modeleChange);
    connect(arbre_, &ArbreImport::selectionChangee, this, [this] {
        afficherPlace();
        afficherResume();
    });
    connect(LST_sources, &QTableWidget::itemSelectionChanged, this, [this] {
        const int r = LST_sources->currentRow();
        if (r >= 0 && r < int(sources_.size()))
            modele_.definirSource(sources_[std::size_t(r)].dossier.toStdString());
    });
    connect(BT_autre_dossier, &QPushButton::clicked, this, &TDLG_import::choisirAutreDossier);
    connect(TRV_plan, &QTreeView::expanded, this, [this](const QModelIndex& x) {
        if (const QString c = arbre_->cheminDuDossier(x); !c.isEmpty())
            deplies_.insert(c);
    });
    connect(TRV_plan, &QTreeView::collapsed, this,
            [this](const QModelIndex& x) { deplies_.remove(arbre_->cheminDuDossier(x)); });
    relierDestinations();
    connect(EDT_modele, &QLineEdit::textEdited, this,
            [this](const QString& t) { modele_.definirModele(t.toStdString()); });
    auto nommage = [this] {
        OptionsNommage n = modele_.options().nommage;
        n.prefixe = EDT_nom->text().toStdString();
        n.largeur = SPN_largeur->value();
        n.initialisation = SPN_debut->value();
        // Named by the capture date and time (after the camera's offset), the prefix
        // going before them.
        n.exif.actif = CKB_nom_date->isChecked();
        n.exif.zoneLibre = n.prefixe;
        n.exif.ordre.clear();
        if (!n.prefixe.empty())
            n.exif.ordre.push_back(ItemExif::ZoneLibre);
        n.exif.ordre.insert(n.exif.ordre.end(), {ItemExif::Date, ItemExif::Heure});
        modele_.definirNommage(n);
    };
    connect(EDT_nom, &QLineEdit::textEdited, this, nommage);
    connect(SPN_largeur, &QSpinBox::valueChanged, this, nommage);
    connect(SPN_debut, &QSpinBox::valueChanged, this, nommage);
    connect(CKB_nom_date, &QCheckBox::toggled, this, nommage);
    connect(CKB_proposer, &QCheckBox::toggled, this, [this](bool oui) {
        writeConfigValue(locateConfigFile(app_.programFolder(), "varlime.ini"), kSection,
                         "PROPOSER_CARTE", oui ? "1" : "0");
    });
    connect(TBL_appareils, &QTableWidget::cellChanged, this, &TDLG_import::decalageSaisi);
    connect(FRI_appareils, &FriseAppareils::decalageGlisse, this, [this](int rang, long s) {
        if (rang >= 0 && rang < int(cles_.size()))
            modele_.definirDecalage(cles_[std::size_t(rang)], s);
    });
    connect(BT_importer, &QPushButton::clicked, this, &TDLG_import::Importer);
    connect(BT_interrompre, &QPushButton::clicked, this, &TDLG_import::Interrompre);
    connect(LST_bilan, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* i) { ouvrirLigne(LST_bilan->row(i)); });
    connect(LST_bilan, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* i) { ouvrirLigne(LST_bilan->row(i)); });
    connect(BT_ouvrir_dossier, &QPushButton::clicked, this, &TDLG_import::OuvrirDossier);
    connect(BT_ejecter, &QPushButton::clicked, this, &TDLG_import::Ejecter);
    connect(BT_supprimer_carte, &QPushButton::clicked, this, &TDLG_import::SupprimerDeLaCarte);
    connect(BT_aide, &QPushButton::clicked, this,
            [this] { app_.ouvrirAide("RSC_lien_aide_import", this); });
    connect(BT_fermer, &QPushButton::clicked, this, &TDLG_import::close);
    connect(&surveillance_, &SurveillanceCartes::carteApparue, this, [this](const CarteTrouvee& c) {
        if (!CKB_proposer->isChecked() || isVisible() || enCours())
            return;
        if (app_.messages().confirm(
                qs(formatMessage(texte("RSC_import_carte_apparue",
                                       "Une carte d'appareil photo est apparue : %s. "
                                       "L'importer ?")
                                     .toStdString(),
                                 {c.volume.toStdString()})),
                parentWidget()))
            Gerer(c.dossier);
    });
}

void TDLG_import::relierDestinations() {
    connect(CBB_archive, &QComboBox::editTextChanged, this,
            [this](const QString& t) { modele_.definirArchive(t.toStdString()); });
    connect(CBB_sauvegarde1, &QComboBox::editTextChanged, this,
            [this](const QString& t) { modele_.definirSauvegarde(0, t.toStdString()); });
    connect(CBB_sauvegarde2, &QComboBox::editTextChanged, this,
            [this](const QString& t) { modele_.definirSauvegarde(1, t.toStdString()); });
}

void TDLG_import::lireReglages() {
    modele_.lire(app_.programFolder());
    const IniDocument ini =
        IniDocument::load(locateConfigFile(app_.programFolder(), "varlime.ini").readPath);
    const QSignalBlocker b(CKB_proposer);
    CKB_proposer->setChecked(ini.read(kSection, "PROPOSER_CARTE", "1") != "0");
    const OptionsImport& o = modele_.options();
    EDT_modele->setText(qs(o.modeleDossiers));
    for (auto [c, v] : {std::pair{CBB_archive, o.archive},
                        {CBB_sauvegarde1, modele_.sauvegarde(0)},
                        {CBB_sauvegarde2, modele_.sauvegarde(1)}}) {
        const QSignalBlocker bc(c);
        c->setEditText(qs(v));
    }
}

void TDLG_import::listerSources() {
    const QString actuelle = qs(modele_.options().source);
    sources_ = cartesMontees();
    bool trouvee = false;
    for (const CarteTrouvee& c : sources_)
        trouvee = trouvee || c.dossier == actuelle;
    if (!actuelle.isEmpty() && !trouvee && QFileInfo(actuelle).isDir())
        sources_.push_back(decrireDossier(actuelle, {}));
    const QSignalBlocker b(LST_sources);
    LST_sources->setRowCount(int(sources_.size()));
    for (int r = 0; r < int(sources_.size()); ++r) {
        const CarteTrouvee& c = sources_[std::size_t(r)];
        const QStringList cellules{c.volume, taille(c.taille), QString::number(c.photos),
                                   QString::number(c.films)};
        for (int k = 0; k < cellules.size(); ++k) {
            auto* item = new QTableWidgetItem(cellules[k]);
            item->setToolTip(c.dossier);
            LST_sources->setItem(r, k, item);
        }
        if (c.dossier == actuelle)
            LST_sources->selectRow(r);
    }
}

QString TDLG_import::choisirDossier(const char* cle, const char* titre, const QString& depart) {
    // Qt's picker speaks the program's language, its buttons too.
    traduireQt(app_.localization().ActiveLanguageCode());
    return QFileDialog::getExistingDirectory(this, texte(cle, titre), depart);
}

void TDLG_import::choisirAutreDossier() {
    const QString d = choisirDossier("RSC_import_choisir_source", "Choisir le dossier à importer",
                                     qs(modele_.options().source));
    if (d.isEmpty())
        return;
    modele_.definirSource(d.toStdString());
    listerSources();
}

void TDLG_import::Gerer(const QString& source) {
    if (!source.isEmpty())
        modele_.definirSource(source.toStdString());
    listerSources();
    if (modele_.options().source.empty() && !sources_.empty())
        modele_.definirSource(sources_.front().dossier.toStdString());
    listerSources();
    const QString raison = raisonSansUDisks();
    BT_ejecter->setEnabled(false);
    LBL_ejecter->setText(
        raison.isEmpty() ? QString()
        : raison == QLatin1String("bus")
            ? texte("RSC_import_ejecter_sans_bus",
                    "Éjection impossible ici : le bus système D-Bus ne répond pas. Éjectez la "
                    "carte depuis le gestionnaire de fichiers.")
            : texte("RSC_import_ejecter_sans_udisks",
                    "Éjection impossible ici : UDisks2 ne fonctionne pas sur ce système. Éjectez "
                    "la carte depuis le gestionnaire de fichiers."));
    show();
    raise();
    activateWindow();
    if (!planPret_ && !planificateur_ && !enCours())
        planifier();
}

void TDLG_import::modeleChange(ModeleImport::Champ champ) {
    if (champ == ModeleImport::Champ::Destinations && isVisible())
        afficherPlace();
    // The template, the offsets and the naming options are planned again at once from
    // what the plan read; the rest needs the card read again.
    const bool rapide = champ == ModeleImport::Champ::Modele ||
                        champ == ModeleImport::Champ::Decalages ||
                        champ == ModeleImport::Champ::Nommage;
    if (isVisible() && rapide && replanifier(champ == ModeleImport::Champ::Decalages))
        return;
    planPret_ = false;
    BT_importer->setEnabled(false);
    // A hidden window reads no card: the plan is made when it is shown.
    if (!isVisible())
        return;
    if (champ == ModeleImport::Champ::Source)
        planifier();
    else
        attente_.start();
}

OptionsImport TDLG_import::optionsDuPlan() const {
    OptionsImport o = modele_.options();
    o.moisAbreges = moisAbregesDuSysteme();
    if (preparerOptions)
        preparerOptions(o);
    return o;
}

bool TDLG_import::replanifier(bool appareils) {
    // A plan under way takes the newest options once it is made (planFini).
    if (planificateur_)
        return true;
    if (!import_ || !planPret_ || enCours() || !import_->replanifier(optionsDuPlan()))
        return false;
    montrerPlan(appareils);
    return true;
}

void TDLG_import::montrerPlan(bool appareils) {
    arbre_->definirPlan(import_->plan());
    deplier();
    if (appareils) {
        remplirAppareils();
        remplirFrise();
    }
    planPret_ = true;
    BT_importer->setEnabled(!enCours() && arbre_->fichiersACopier() > 0);
    afficherPlace();
    afficherResume();
}

void TDLG_import::deplier() {
    // Folders of folders open; of the folders that hold files, those the user opened,
    // else the first: only their rows are made.
    const QSignalBlocker b(TRV_plan);
    QString premier;
    bool ouvert = false;
    for (const QString& chemin : arbre_->dossiers()) {
        const QModelIndex x = arbre_->indexDuDossier(chemin);
        const bool feuille = arbre_->tientDesFichiers(x);
        if (!feuille || deplies_.contains(chemin)) {
            TRV_plan->expand(x);
            ouvert = ouvert || feuille;
        } else if (premier.isEmpty()) {
            premier = chemin;
        }
    }
    if (!ouvert && !premier.isEmpty())
        TRV_plan->expand(arbre_->indexDuDossier(premier));
}

void TDLG_import::planifier() {
    attente_.stop();
    // A closed window reads no card (a plan it stopped, the end of a run): the plan is
    // made when it shows again.
    if (!isVisible()) {
        planPret_ = false;
        return;
    }
    const OptionsImport& m = modele_.options();
    if (m.source.empty() || m.archive.empty()) {
        refusPlan_ = m.source.empty()
                         ? texte("RSC_import_sans_source", "Choisissez une carte.")
                         : texte("RSC_import_sans_archive", "Choisissez le dossier de l'archive.");
        arbre_->definirPlan({});
        LBL_resume->setText(refusPlan_);
        planPret_ = false;
        return;
    }
    if (planificateur_) {
        // One plan at a time: the one under way stops, the newest options follow it.
        relancer_ = true;
        if (planEnCours_)
            planEnCours_->arreter();
        return;
    }
    planPret_ = false;
    BT_importer->setEnabled(false);
    const OptionsImport o = optionsDuPlan();
    auto import = std::make_shared<ImportCarte>(o);
    planEnCours_ = import;
    const quint64 generation = ++generation_;
    LBL_resume->setText(texte("RSC_import_plan_en_cours", "Lecture de la carte…"));
    planificateur_ = QThread::create([this, import, generation] {
        std::string refus;
        const bool ok = import->planifier(&refus);
        QMetaObject::invokeMethod(
            this,
            [this, import, ok, refus, generation] {
                planFini(import, ok ? QString() : qs(refus), generation);
            },
            Qt::QueuedConnection);
    });
    planificateur_->start();
}

void TDLG_import::planFini(std::shared_ptr<ImportCarte> import, QString refus, quint64 generation) {
    if (planificateur_) {
        planificateur_->wait();
        delete planificateur_;
        planificateur_ = nullptr;
    }
    planEnCours_.reset();
    if (relancer_ || generation != generation_ || import->arrete()) {
        relancer_ = false;
        planifier();
        return;
    }
    if (!refus.isEmpty()) {
        const QString genre = refus.section(QLatin1Char(':'), 0, 0);
        const QString detail = refus.section(QLatin1Char(':'), 1);
        refusPlan_ =
            genre == QLatin1String("history")
                ? qs(formatMessage(texte("RSC_import_historique_endommage",
                                         "L'historique des imports %s ne peut pas être lu (%s) : "
                                         "l'import s'arrête.")
                                       .toStdString(),
                                   {detail.section(QLatin1Char('\n'), 0, 0).toStdString(),
                                    detail.section(QLatin1Char('\n'), 1).toStdString()}))
            : genre == QLatin1String("inside")
                ? qs(formatMessage(texte("RSC_import_destination_dans_source",
                                         "La destination %s et la carte %s se "
                                         "contiennent l'une l'autre.")
                                       .toStdString(),
                                   {detail.toStdString(), modele_.options().source}))
                : qs(formatMessage(texte("RSC_import_dossier_absent", "Le dossier %s n'existe pas.")
                                       .toStdString(),
                                   {detail.toStdString()}));
        import_.reset();
        arbre_->definirPlan({});
        LBL_resume->setText(refusPlan_);
        planPret_ = false;
        return;
    }
    refusPlan_.clear();
    import_ = std::move(import);
    // Options typed while the card was read: planned again from what was read.
    const OptionsImport o = optionsDuPlan();
    const OptionsImport& p = import_->options();
    if ((o.modeleDossiers != p.modeleDossiers || o.decalages != p.decalages ||
         !(o.nommage == p.nommage)) &&
        !import_->replanifier(o)) {
        planifier();
        return;
    }
    montrerPlan(true);
}

std::vector<std::string> TDLG_import::destinations() const {
    std::vector<std::string> out{modele_.options().archive};
    for (const std::string& s : modele_.options().sauvegardes)
        out.push_back(s);
    return out;
}

QStringList TDLG_import::manquesDePlace() const {
    // Destinations on one volume share its free space.
    std::map<QString, std::pair<qint64, QStringList>> parVolume;
    const qint64 besoin = arbre_->octetsACopier();
    for (const std::string& d : destinations()) {
        if (d.empty())
            continue;
        const QString dossier = qs(d);
        const QString volume = QStorageInfo(dossierExistant(dossier)).rootPath();
        auto& [demande, noms] = parVolume[volume];
        demande += besoin;
        noms << dossier;
    }
    QStringList manques;
    for (const auto& [volume, v] : parVolume) {
        qint64 libre = -1;
        for (const QString& d : v.second) {
            const qint64 l = espaceLibre(d);
            libre = libre < 0 ? l : std::min(libre, l);
        }
        if (libre >= 0 && libre < v.first)
            manques << qs(formatMessage(
                texte("RSC_import_place_manque", "%s : %s libres pour %s à importer").toStdString(),
                {v.second.join(QStringLiteral(", ")).toStdString(), taille(libre).toStdString(),
                 taille(v.first).toStdString()}));
    }
    return manques;
}

void TDLG_import::afficherPlace() {
    const qint64 besoin = arbre_->octetsACopier();
    const std::pair<QComboBox*, QLabel*> lignes[] = {{CBB_archive, LBL_place_archive},
                                                     {CBB_sauvegarde1, LBL_place_sauvegarde1},
                                                     {CBB_sauvegarde2, LBL_place_sauvegarde2}};
    for (const auto& [c, l] : lignes) {
        const QString d = c->currentText().trimmed();
        if (d.isEmpty()) {
            l->clear();
            continue;
        }
        const qint64 libre = espaceLibre(d);
        l->setText(
            qs(formatMessage(texte("RSC_import_place", "%s libres, %s à importer").toStdString(),
                             {taille(libre).toStdString(), taille(besoin).toStdString()})));
        l->setStyleSheet(libre >= 0 && libre < besoin ? QStringLiteral("color: #c00000;")
                                                      : QString());
    }
}

void TDLG_import::afficherResume() {
    if (!planPret_ && !refusPlan_.isEmpty())
        return;
    int deja = 0, doublons = 0, sansDate = 0, pris = 0;
    for (const FichierImport& f : arbre_->plan().fichiers) {
        deja += f.marque == MarqueImport::DejaImporte;
        doublons += f.marque == MarqueImport::DoublonCarte;
        pris += f.marque == MarqueImport::NomPris;
        sansDate += f.marque == MarqueImport::AImporter && f.photo == kSansPhoto && f.sansDate();
    }
    LBL_resume->setText(qs(formatMessage(
        texte("RSC_import_resume", "%s fichiers à importer (%s), %s déjà importés, %s en double "
                                   "sur la carte, %s sans date, %s noms déjà pris")
            .toStdString(),
        {std::to_string(arbre_->fichiersACopier()), taille(arbre_->octetsACopier()).toStdString(),
         std::to_string(deja), std::to_string(doublons), std::to_string(sansDate),
         std::to_string(pris)})));
}

void TDLG_import::attendreTravaux() {
    attente_.stop();
    if (enMarche_)
        enMarche_->arreter();
    if (planEnCours_)
        planEnCours_->arreter();
    if (travail_) {
        travail_->wait();
        delete travail_;
        travail_ = nullptr;
    }
    if (planificateur_) {
        planificateur_->wait();
        delete planificateur_;
        planificateur_ = nullptr;
    }
}

void TDLG_import::reject() {
    // Fermer, Escape and the title bar all end here: QDialog's close event asks reject(),
    // which must hide the window itself (asking close() again would be refused as a close
    // already under way, and the window would stay). A run goes on to its next file
    // boundary only when asked to stop first.
    if (enCours() &&
        !app_.messages().confirm(
            texte("RSC_import_fermer_en_cours", "Un import est en cours. L'interrompre ?"), this))
        return;
    // A hidden window reads no card: a plan under way stops, and is made again on show.
    attendreTravaux();
    modele_.enregistrer(app_.programFolder());
    QDialog::reject();
}

} // namespace varlime
