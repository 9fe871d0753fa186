// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/ui/IHM_transfert.h"
#include "platform/texteQt.h"

#include "core/messageFormat.h"
#include "core/nameUtils.h"
#include "core/renameEngine.h"
#include "naming/reglagesNommage.h"
#include "platform/fileSystem.h"
#include "platform/iniFile.h"
#include "platform/ui/Controls.h"
#include "platform/ui/MessageService.h"
#include "platform/ui/ServicesFenetre.h"
#include "platform/ui/Utilitaire.h"
#include "platform/volumes.h"
#include "transfer/transfert.h"
#include "transfer/ui/CLA_thread_copie.h"
#include "transfer/ui/IHM_info_avancement.h"
#include "transfer/ui/IHM_rep_xp.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QEventLoop>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <sys/stat.h>

namespace varlime {

namespace {

constexpr int kPlaces = 6;

// The favourite lists: light orange for sources, light green for targets, pale yellow headers.
const QColor kCouleurSource(253, 203, 149);
const QColor kCouleurCible(208, 254, 186);
const QColor kCouleurEntete(255, 255, 204);

QTableWidget* nouvelleGrille(QWidget* parent, const char* nom, const QColor& fond) {
    auto* g = new QTableWidget(kPlaces, 2, parent);
    g->setObjectName(QLatin1String(nom));
    g->verticalHeader()->setVisible(false);
    g->verticalHeader()->setDefaultSectionSize(std::max(15, g->fontMetrics().height() + 4));
    g->setSelectionBehavior(QAbstractItemView::SelectRows);
    g->setSelectionMode(QAbstractItemView::SingleSelection);
    g->setStyleSheet(QStringLiteral("QTableWidget { background-color: %1; }"
                                    "QHeaderView::section { background-color: %2; }")
                         .arg(fond.name(), kCouleurEntete.name()));
    for (int r = 0; r < kPlaces; ++r)
        for (int c = 0; c < 2; ++c)
            g->setItem(r, c, new QTableWidgetItem);
    // The label column keeps its width, the path takes the rest.
    g->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    g->setColumnWidth(0, 110);
    g->setHorizontalHeaderLabels({QStringLiteral("Libellé"), QStringLiteral("Chemin")});
    g->setFixedHeight(g->horizontalHeader()->sizeHint().height() +
                      kPlaces * g->verticalHeader()->defaultSectionSize() + 2 * g->frameWidth());
    g->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    g->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return g;
}

QPushButton* bouton(QWidget* parent, const char* nom, const char* texte) {
    auto* b = new QPushButton(QString::fromUtf8(texte), parent);
    b->setObjectName(QLatin1String(nom));
    b->setAutoDefault(false);
    if (std::string_view(texte) == "...")
        b->setFixedWidth(32);
    return b;
}

} // namespace

TDLG_transfert::TDLG_transfert(ServicesFenetre& app, Utilitaire& utilitaire, LiensPrincipal liens,
                               TDLG_rep_xp& selecteur, TDLG_info_avancement& avancement,
                               QWidget* parent)
    : QDialog(parent), app_(app), utilitaire_(utilitaire), liens_(std::move(liens)),
      selecteur_(selecteur), avancement_(avancement) {
    setObjectName(QStringLiteral("DLG_transfert"));
    setWindowTitle(QStringLiteral("Module de transfert des photos"));
    // No title-bar buttons: the dialog closes through Quitter.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    auto* layout = new QVBoxLayout(this);
    creerPanneaux(*layout);
    creerBoutons(*layout);
    relierControles();
    resize(760, 360);
    app.translate(this);
    // The placeholders are the captions as translated: a folder text equal to one means
    // that no folder is chosen.
    placeholderSource_ = LBL_repertoire_source->text();
    placeholderCible_ = LBL_repertoire_cible->text();
}

void TDLG_transfert::creerPanneaux(QVBoxLayout& layout) {
    QFont gras = font();
    gras.setBold(true);
    auto* panneaux = new QGridLayout;
    LBL_origine = new QLabel(QStringLiteral("Répertoire origine "), this);
    LBL_origine->setObjectName(QStringLiteral("LBL_origine"));
    LBL_destination = new QLabel(QStringLiteral("vers Répertoire destination"), this);
    LBL_destination->setObjectName(QStringLiteral("LBL_destination"));
    // A deep folder's path never pushes the buttons off the screen.
    LBL_repertoire_source = new LibelleAbrege(QStringLiteral("Répertoire source"), this);
    LBL_repertoire_source->setObjectName(QStringLiteral("LBL_repertoire_source"));
    LBL_repertoire_cible = new LibelleAbrege(QStringLiteral("Répertoire cible"), this);
    LBL_repertoire_cible->setObjectName(QStringLiteral("LBL_repertoire_cible"));
    for (QLabel* l : {LBL_repertoire_source, LBL_repertoire_cible}) {
        l->setFont(gras);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        l->setMinimumWidth(240);
        l->setWordWrap(true);
    }
    LBL_info_fichier_source = new QLabel(QStringLiteral("0 fichier"), this);
    LBL_info_fichier_source->setObjectName(QStringLiteral("LBL_info_fichier_source"));
    LBL_info_fichier_cible = new QLabel(QStringLiteral("0 fichier"), this);
    LBL_info_fichier_cible->setObjectName(QStringLiteral("LBL_info_fichier_cible"));
    GRS_rep_source = nouvelleGrille(this, "GRS_rep_source", kCouleurSource);
    GRS_rep_cible = nouvelleGrille(this, "GRS_rep_cible", kCouleurCible);
    CHK_apn = new QCheckBox(QStringLiteral("Origine carte flash d'un APN"), this);
    CHK_apn->setObjectName(QStringLiteral("CHK_apn"));
    BT_selection_repertoire_source = bouton(this, "BT_selection_repertoire_source", "...");
    BT_selection_repertoire_cible = bouton(this, "BT_selection_repertoire_cible", "...");
    BT_sauve_source = bouton(this, "BT_sauve_source", "Ajouter dans la liste");
    BT_sauve_cible = bouton(this, "BT_sauve_cible", "Ajouter dans la liste");
    EDT_sous_repertoire = new QLineEdit(this);
    EDT_sous_repertoire->setObjectName(QStringLiteral("EDT_sous_repertoire"));
    BT_creer_sous_repertoire = bouton(this, "BT_creer_sous_repertoire", "Créer sous-répertoire");

    auto ligneDossier = [this](QLabel* l, QPushButton* b) {
        auto* h = new QHBoxLayout;
        h->addWidget(l, 1);
        h->addWidget(b);
        return h;
    };
    panneaux->addWidget(LBL_origine, 0, 0);
    panneaux->addWidget(LBL_destination, 0, 1);
    panneaux->addLayout(ligneDossier(LBL_repertoire_source, BT_selection_repertoire_source), 1, 0);
    panneaux->addLayout(ligneDossier(LBL_repertoire_cible, BT_selection_repertoire_cible), 1, 1);
    panneaux->addWidget(LBL_info_fichier_source, 2, 0);
    panneaux->addWidget(LBL_info_fichier_cible, 2, 1);
    auto* options = new QVBoxLayout;
    options->addWidget(CHK_apn);
    CKB_confirmer_effacement = new QCheckBox(
        QStringLiteral("Demander avant d'effacer les fichiers transférés de la source"), this);
    CKB_confirmer_effacement->setObjectName(QStringLiteral("CKB_confirmer_effacement"));
    CKB_confirmer_effacement->setChecked(true);
    options->addWidget(CKB_confirmer_effacement);
    panneaux->addLayout(options, 3, 0);
    auto* sousRep = new QHBoxLayout;
    sousRep->addWidget(EDT_sous_repertoire, 1);
    sousRep->addWidget(BT_creer_sous_repertoire);
    panneaux->addLayout(sousRep, 3, 1);
    panneaux->addWidget(GRS_rep_source, 4, 0);
    panneaux->addWidget(GRS_rep_cible, 4, 1);
    panneaux->addWidget(BT_sauve_source, 5, 0, Qt::AlignLeft);
    panneaux->addWidget(BT_sauve_cible, 5, 1, Qt::AlignLeft);
    layout.addLayout(panneaux);
    layout.addStretch(1);
}

void TDLG_transfert::creerBoutons(QVBoxLayout& layout) {
    auto* boutons = new QHBoxLayout;
    BT_copier = bouton(this, "BT_copier", "Copier les fichiers");
    BT_deplacer = bouton(this, "BT_deplacer", "Transférer les fichiers");
    BT_interrompre = bouton(this, "BT_interrompre", "Interrompre");
    BT_quitter = bouton(this, "BT_quitter", "Quitter");
    BT_aide = bouton(this, "BT_aide", "Aide");
    for (QPushButton* b : {BT_copier, BT_deplacer, BT_interrompre})
        boutons->addWidget(b);
    boutons->addStretch(1);
    boutons->addWidget(BT_aide);
    boutons->addWidget(BT_quitter);
    layout.addLayout(boutons);
    BT_interrompre->hide();
}

void TDLG_transfert::relierControles() {
    connect(BT_copier, &QPushButton::clicked, this, &TDLG_transfert::BT_copierClick);
    connect(BT_deplacer, &QPushButton::clicked, this, &TDLG_transfert::BT_deplacerClick);
    connect(BT_interrompre, &QPushButton::clicked, this, &TDLG_transfert::BT_interrompreClick);
    connect(BT_quitter, &QPushButton::clicked, this, [this] {
        Sauver_parametres_transfert();
        accept();
    });
    connect(BT_aide, &QPushButton::clicked, this,
            [this] { app_.ouvrirAide("RSC_lien_aide_module_transfert", this); });
    connect(BT_selection_repertoire_source, &QPushButton::clicked, this,
            [this] { Selection_repertoire(Panneau::Source); });
    connect(BT_selection_repertoire_cible, &QPushButton::clicked, this,
            [this] { Selection_repertoire(Panneau::Cible); });
    connect(BT_sauve_source, &QPushButton::clicked, this,
            [this] { Sauver_rep_liste(Panneau::Source); });
    connect(BT_sauve_cible, &QPushButton::clicked, this,
            [this] { Sauver_rep_liste(Panneau::Cible); });
    connect(BT_creer_sous_repertoire, &QPushButton::clicked, this,
            &TDLG_transfert::Creer_sous_repertoire);
    connect(CHK_apn, &QCheckBox::toggled, this, [this](bool coche) {
        if (coche)
            Chercher_dcim();
    });
    // The user's word is stored at once, as the other switches of the program are.
    connect(CKB_confirmer_effacement, &QCheckBox::clicked, this, [this](bool coche) {
        utilitaire_.Sauver_parametre(reglages::kConfirmerEffacement.section,
                                     reglages::kConfirmerEffacement.cle, coche ? "1" : "0");
    });
    connect(GRS_rep_source, &QTableWidget::cellClicked, this,
            [this](int r, int) { GRS_rep_Click(Panneau::Source, r + 1); });
    connect(GRS_rep_cible, &QTableWidget::cellClicked, this,
            [this](int r, int) { GRS_rep_Click(Panneau::Cible, r + 1); });
}

TDLG_transfert::~TDLG_transfert() {
    // Closing the program during a run: the run stops before its next file, touches no
    // window any more, and is waited for, so nothing unverified is deleted.
    if (thread_) {
        thread_->Abandonner();
        attendreFin(false);
        delete thread_.data();
    }
}

QString TDLG_transfert::placeholder(Panneau p) const {
    return p == Panneau::Source ? placeholderSource_ : placeholderCible_;
}

QString TDLG_transfert::dossierTexte(Panneau p) const {
    return (p == Panneau::Source ? LBL_repertoire_source : LBL_repertoire_cible)->text();
}

void TDLG_transfert::definirDossier(Panneau p, const QString& texte) {
    (p == Panneau::Source ? LBL_repertoire_source : LBL_repertoire_cible)->setText(texte);
}

void TDLG_transfert::Gerer() {
    const std::string courant = liens_.repertoireCourant();
    definirDossier(Panneau::Cible,
                   courant == "Erreur" ? placeholder(Panneau::Cible) : qs(nomAffichable(courant)));
    for (QTableWidget* g : {GRS_rep_source, GRS_rep_cible})
        g->setHorizontalHeaderLabels({app_.texte("RSC_message_libelle", "Libellé"),
                                      app_.texte("RSC_message_chemin", "Chemin")});
    // The stored source is read when the dialog opens, not at every activation: a
    // folder just picked must not give way to the stored one when the picker closes.
    const IniDocument ini = utilitaire_.Document_parametres();
    Positionne_option_transfert(
        qs(ini.read(reglages::kTransfertSource.section, reglages::kTransfertSource.cle,
                    reglages::kTransfertSource.defaut)));
    CKB_confirmer_effacement->setChecked(ini.read(reglages::kConfirmerEffacement.section,
                                                  reglages::kConfirmerEffacement.cle,
                                                  reglages::kConfirmerEffacement.defaut) != "0");
    Basculer_boutons(false);
    if (parentWidget())
        move(parentWidget()->geometry().center() - rect().center());
    // The main window keeps its own folder when the dialog closes: it lists it again,
    // with what a copy into it may have added.
    exec();
}

bool TDLG_transfert::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate)
        FormActivate();
    return QDialog::event(e);
}

void TDLG_transfert::FormActivate() {
    Liste_information_fichier(Panneau::Source);
    Liste_information_fichier(Panneau::Cible);
}

bool TDLG_transfert::Fichier_a_copier(const std::string& nom) const {
    return varlime::Fichier_a_copier(nom, Dcim(dossierTexte(Panneau::Source).toStdString()));
}

void TDLG_transfert::Liste_information_fichier(Panneau p) {
    const QString t = dossierTexte(p);
    if (t.isEmpty() || t == placeholder(p))
        return;
    const bool source = p == Panneau::Source;
    QLabel* compte = source ? LBL_info_fichier_source : LBL_info_fichier_cible;
    // Both panels speak the active language.
    auto texte = [this](const char* cle, const char* defaut) { return app_.texte(cle, defaut); };
    const std::string chemin = cheminSurDisque(t);
    std::string media;
    if (!Lecteur_present(chemin, &media)) {
        definirDossier(p, texte("RSC_message_lecteur", "Lecteur") + u' ' + qs(media) + u'/' + u' ' +
                              texte("RSC_message_non_monte", "non monté"));
    } else if (!DiskInDrive(chemin)) {
        definirDossier(p, texte("RSC_message_media_absent", "Média absent sur") + u' ' + t);
    } else {
        const bool apnSource = Dcim(cheminSurDisque(dossierTexte(Panneau::Source)));
        const bool recursif = source && Dcim(chemin);
        const int n = Comptabilise_fichiers(recursif, chemin, apnSource);
        compte->setText(QString::number(n) + u' ' + texte("RSC_message_fichiers", "fichiers"));
        // Counted before the box is ticked: the search it starts leaves this count shown.
        if (source)
            CHK_apn->setChecked(recursif);
        return;
    }
    compte->setText(QStringLiteral("0 ") + texte("RSC_message_fichier", "fichier"));
}

void TDLG_transfert::Chercher_dcim() {
    const QString t = dossierTexte(Panneau::Source);
    if (t.isEmpty() || t == placeholder(Panneau::Source))
        return;
    const std::string source = cheminSurDisque(t);
    const std::string trouve = varlime::Chercher_dcim(departRechercheDcim(source));
    if (!trouve.empty() && trouve != source) {
        definirDossier(Panneau::Source, qs(trouve));
        // The count then belongs to the folder shown, which the copy will take.
        Liste_information_fichier(Panneau::Source);
    }
}

void TDLG_transfert::Selection_repertoire(Panneau p) {
    const QString t = dossierTexte(p);
    TDLG_rep_xp& picker = selecteur_;
    if (!picker.Selection_repertoire(t == placeholder(p) ? QString() : t))
        return;
    QString chemin = picker.cheminSelectionne();
    if (!chemin.endsWith(u'/'))
        chemin += u'/';
    if (p == Panneau::Source)
        CHK_apn->setChecked(false);
    definirDossier(p, chemin);
    Liste_information_fichier(p);
}

void TDLG_transfert::Sauver_rep_liste(Panneau p) {
    QTableWidget* g = grille(p);
    for (int r = 0; r < kPlaces; ++r) {
        if (g->item(r, 1)->text().isEmpty()) {
            g->item(r, 1)->setText(dossierTexte(p));
            return;
        }
    }
    app_.messages().warning(
        app_.texte("RSC_msg_toutes_places_occupees",
                   "Toutes les places sont occupées, effacez une ligne pour stocker ce "
                   "\r\nchemin."),
        this);
}

void TDLG_transfert::Creer_sous_repertoire() {
    const std::string dossier =
        Retourne_repertoire_slash(cheminSurDisque(dossierTexte(Panneau::Cible)));
    std::string nom = EDT_sous_repertoire->text().toStdString();
    while (!nom.empty() && nom.front() == '/')
        nom.erase(0, 1);
    const std::string nouveau = Retourne_repertoire_slash(dossier + nom);
    if (nom.empty() || ::mkdir(nouveau.c_str(), 0777) != 0) {
        app_.messages().warning(
            app_.texte("RSC_msg_impossible_creer_repertoire", "Impossible de créer le répertoire"),
            this);
        return;
    }
    definirDossier(Panneau::Cible, qs(nouveau));
    Liste_information_fichier(Panneau::Cible);
}

void TDLG_transfert::Sauver_parametres_transfert() {
    Utilitaire& util = utilitaire_;
    for (Panneau p : {Panneau::Source, Panneau::Cible}) {
        const char* section =
            p == Panneau::Source ? reglages::kFavorisSource : reglages::kFavorisCible;
        for (int r = 0; r < kPlaces; ++r)
            util.Sauver_parametre(
                section, reglages::cleFavori(r + 1),
                (grille(p)->item(r, 0)->text() + u';' + grille(p)->item(r, 1)->text())
                    .toStdString());
    }
    const std::string source = dossierTexte(Panneau::Source).toStdString();
    if (Chemin_valide(source))
        util.Sauver_parametre(reglages::kTransfertSource.section, reglages::kTransfertSource.cle,
                              source);
    const std::string cible = dossierTexte(Panneau::Cible).toStdString();
    if (Chemin_valide(cible))
        util.Sauver_parametre(reglages::kDossier.section, reglages::kDossier.cle, cible);
}

void TDLG_transfert::Positionne_option_transfert_chemin(Panneau p, int ligne,
                                                        const QString& valeur) {
    if (ligne < 1 || ligne > kPlaces)
        return;
    if (const auto l = lireLigneChemin(valeur.toStdString())) {
        grille(p)->item(ligne - 1, 0)->setText(qs(l->libelle));
        grille(p)->item(ligne - 1, 1)->setText(qs(l->chemin));
    }
}

void TDLG_transfert::Positionne_option_transfert(const QString& source) {
    if (source != QStringLiteral("ERREUR"))
        definirDossier(Panneau::Source, source);
}

void TDLG_transfert::GRS_rep_Click(Panneau p, int ligne) {
    if (ligne < 1 || ligne > kPlaces)
        return;
    definirDossier(p, grille(p)->item(ligne - 1, 1)->text());
    Liste_information_fichier(p);
}

bool TDLG_transfert::enCours() const {
    return thread_ && !thread_->isFinished();
}

void TDLG_transfert::Demarrer(bool deplacement) {
    if (enCours())
        return;
    const std::string source = cheminSurDisque(dossierTexte(Panneau::Source));
    const std::string cible = cheminSurDisque(dossierTexte(Panneau::Cible));
    // Without this check an empty source would list the current folder and an empty
    // target would receive the photos in whatever folder is current.
    if (const RefusTransfert r = verifierDossiers(source, cible); r != RefusTransfert::Aucun) {
        app_.messages().warning(qs(messageRefus(r, lookupMessages(app_.localization()))), this);
        return;
    }
    const std::string total =
        Extrait_debut_numerique(LBL_info_fichier_source->text().toStdString());
    thread_ = new TThread_copie(*this, deplacement, source, cible, total,
                                lookupMessages(app_.localization()));
    connect(thread_, &QThread::finished, thread_, &QObject::deleteLater);
    thread_->start();
}

void TDLG_transfert::BT_interrompreClick() {
    if (thread_)
        thread_->Interrompre();
}

void TDLG_transfert::Basculer_boutons(bool enCours) {
    BT_copier->setVisible(!enCours);
    BT_deplacer->setVisible(!enCours);
    BT_quitter->setVisible(!enCours);
    BT_interrompre->setVisible(enCours);
}

void TDLG_transfert::Afficher_message(const QString& texte, bool reussite) {
    if (reussite)
        app_.messages().information(texte, this);
    else
        app_.messages().warning(texte, this);
}

bool TDLG_transfert::Confirmer_effacement(int n, const std::string& source) {
    if (!CKB_confirmer_effacement->isChecked())
        return true;
    return app_.messages().confirm(
        formatMessage(app_.texte("RSC_msg_confirmation_effacement_source",
                                 "Les %d fichiers copiés vont être effacés du répertoire source "
                                 "%s.\nVoulez-vous continuer ?"),
                      {n, qs(nomAffichable(source))}),
        this);
}

void TDLG_transfert::attendreFin(bool interrompre) {
    if (!thread_)
        return;
    if (interrompre)
        thread_->Interrompre();
    // The worker may be waiting for this thread (a message, the progress window), so
    // this thread keeps serving it until the run has ended.
    QEventLoop boucle;
    connect(thread_, &QThread::finished, &boucle, &QEventLoop::quit);
    if (!thread_->isFinished())
        boucle.exec();
}

void TDLG_transfert::keyPressEvent(QKeyEvent* e) {
    // Escape is "Quitter", settings stored; during a run it does nothing, so that a key
    // pressed by mistake never stops a card being emptied.
    if (e->key() == Qt::Key_Escape) {
        if (!enCours())
            BT_quitter->click();
        return;
    }
    QDialog::keyPressEvent(e);
}

void TDLG_transfert::reject() {
    attendreFin(true);
    QDialog::reject();
}

void TDLG_transfert::closeEvent(QCloseEvent* e) {
    attendreFin(true);
    QDialog::closeEvent(e);
}

} // namespace varlime
