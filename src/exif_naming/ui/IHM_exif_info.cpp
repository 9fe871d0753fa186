// SPDX-License-Identifier: GPL-3.0-or-later
#include "exif_naming/ui/IHM_exif_info.h"
#include "platform/texteQt.h"

#include "core/nameUtils.h"
#include "exif_naming/ui/IHM_exif_option_affichage.h"
#include "i18n/uLocalization.h"
#include "naming/chaineNommage.h"
#include "naming/reglagesNommage.h"
#include "platform/ui/Controls.h"
#include "platform/ui/MessageService.h"
#include "platform/ui/ServicesFenetre.h"
#include "platform/ui/Utilitaire.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace varlime {

namespace {

// In the order of kItemsExif.
constexpr const char* kNomsCases[10] = {
    "CKB_zone_libre", "CKB_fabricant",  "CKB_modele", "CKB_date",      "CKB_heure",
    "CKB_ouverture",  "CKB_exposition", "CKB_focale", "CKB_focale_35", "CKB_proprietaire"};

QComboBox* separateur(const char* nom, QWidget* parent) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(nom));
    c->setEditable(true);
    // A typed separator is used as typed, never added to the three choices.
    c->setInsertPolicy(QComboBox::NoInsert);
    for (int i = 0; i < kNombreSeparateursExif; ++i)
        c->addItem(QString::fromStdString(separateurExif(i)));
    c->setCurrentIndex(0);
    return c;
}

// Index as stored: the entry the text is, or -1 for a typed text that is none of them.
int indexSeparateur(const QComboBox* c) {
    return indexSeparateurExif(c->currentText().toStdString());
}

// `texte` cut to `largeur` pixels around its part [debut, debut + longueur), which stays
// in view: the part before it is cut in its middle, the part after it keeps its end (the
// counter). A part too wide alone keeps its end, where the typing is.
QString abregerAutour(const QString& texte, qsizetype debut, qsizetype longueur,
                      const QFontMetrics& fm, int largeur) {
    if (fm.horizontalAdvance(texte) <= largeur)
        return texte;
    if (debut < 0 || longueur <= 0)
        return fm.elidedText(texte, Qt::ElideMiddle, largeur);
    const QString avant = texte.left(debut), garde = texte.mid(debut, longueur),
                  apres = texte.mid(debut + longueur);
    // A pixel or two for the kerning between the joined pieces.
    const int place = largeur - 2;
    const int lGarde = fm.horizontalAdvance(garde), lAvant = fm.horizontalAdvance(avant),
              lApres = fm.horizontalAdvance(apres);
    if (lGarde >= place - std::min(lApres, place / 3)) {
        const QString fin = fm.elidedText(apres, Qt::ElideLeft, std::min(lApres, place / 3));
        return fm.elidedText(garde, Qt::ElideLeft, place - fm.horizontalAdvance(fin)) + fin;
    }
    const int reste = place - lGarde;
    const int pourAvant = std::min(lAvant, std::max(reste / 2, reste - lApres));
    const QString debutAffiche = fm.elidedText(avant, Qt::ElideMiddle, pourAvant);
    return debutAffiche + garde +
           fm.elidedText(apres, Qt::ElideLeft, reste - fm.horizontalAdvance(debutAffiche));
}

// The example line: cut around the free text, the whole example then its tooltip.
class LibelleExemple : public LibelleAbrege {
public:
    using LibelleAbrege::LibelleAbrege;
    void definir(const QString& texte, qsizetype debutLibre, qsizetype longueurLibre) {
        debut_ = debutLibre;
        longueur_ = longueurLibre;
        setText(texte);
        rafraichir();
    }
    QString affiche() const {
        return abregerAutour(text(), debut_, longueur_, fontMetrics(), contentsRect().width());
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setPen(palette().color(foregroundRole()));
        p.drawText(contentsRect(), int(alignment()) | Qt::TextSingleLine, affiche());
    }
    void resizeEvent(QResizeEvent* e) override {
        LibelleAbrege::resizeEvent(e);
        rafraichir();
    }

private:
    void rafraichir() {
        const QString a = affiche();
        setToolTip(a == text() ? QString() : text());
        update();
    }
    qsizetype debut_ = -1, longueur_ = 0;
};

} // namespace

TDLG_exif_info::TDLG_exif_info(ServicesFenetre& app, Utilitaire& utilitaire, LiensPrincipal liens,
                               TDLG_exif_option_affichage& affichage, QWidget* parent)
    : QDialog(parent), app_(app), utilitaire_(utilitaire), liens_(std::move(liens)),
      affichage_(affichage) {
    setObjectName(QStringLiteral("DLG_exif_info"));
    setWindowTitle(QStringLiteral("Information EXIF du fichier"));
    setModal(true);
    // No close box: the dialog ends with OK only.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    creerControles();
    disposerControles();
    relierControles();

    app_.translate(this);
    for (std::size_t i = 0; i < CKB_items.size(); ++i) {
        nomsItems_[i] = app_.texte(kItemsExif[i].cle, kItemsExif[i].defaut);
        CKB_items[i]->setText(nomsItems_[i]);
    }
    ajusterHauteur();
    afficherControles();
}

void TDLG_exif_info::creerControles() {
    CKB_exploitation_exif = control<QCheckBox>(
        "CKB_exploitation_exif", QStringLiteral("Exploitation des infos EXIF pour varlimer"), this);
    LBL_zone_libre = control<QLabel>("LBL_zone_libre", QStringLiteral("Zone libre :"), this);
    EDT_zone_libre = new QLineEdit(this);
    EDT_zone_libre->setObjectName(QStringLiteral("EDT_zone_libre"));
    // Room for a few words whatever the language makes of the texts around it.
    EDT_zone_libre->setMinimumWidth(
        EDT_zone_libre->fontMetrics().horizontalAdvance(QStringLiteral("Vacances 2024")));
    for (std::size_t i = 0; i < kItemsExif.size(); ++i)
        CKB_items[i] = control<QCheckBox>(kNomsCases[i], QString(), this);
    GRS_exif_ordre = new QTableWidget(1, 1, this);
    GRS_exif_ordre->setObjectName(QStringLiteral("GRS_exif_ordre"));
    GRS_exif_ordre->horizontalHeader()->setVisible(false);
    GRS_exif_ordre->verticalHeader()->setVisible(false);
    GRS_exif_ordre->horizontalHeader()->setStretchLastSection(true);
    GRS_exif_ordre->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    GRS_exif_ordre->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    GRS_exif_ordre->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GRS_exif_ordre->setSelectionMode(QAbstractItemView::SingleSelection);
    GRS_exif_ordre->setItem(0, 0, new QTableWidgetItem());
    BT_haut = control<QPushButton>("BT_haut", QStringLiteral("Haut"), this);
    BT_bas = control<QPushButton>("BT_bas", QStringLiteral("Bas"), this);
    CKB_separateur_info = control<QCheckBox>("CKB_separateur_info",
                                             QStringLiteral("Séparateur d'information :"), this);
    CKB_separateur_info->setChecked(true);
    CBB_separateur_info = separateur("CBB_separateur_info", this);
    CKB_separateur_final =
        control<QCheckBox>("CKB_separateur_final", QStringLiteral("Séparateur final :"), this);
    CKB_separateur_final->setChecked(true);
    CBB_separateur_final = separateur("CBB_separateur_final", this);
    CKB_compteur = control<QCheckBox>(
        "CKB_compteur", QStringLiteral("Ne pas garder dans ce cas un compteur pour le nom."), this);
    CKB_masque_compteur = control<QCheckBox>(
        "CKB_masque_compteur",
        QStringLiteral("Maintien d'un compteur existant (exploitation du masque [*&&N])"), this);
    static constexpr const char* kValeurs[9] = {
        "LBL_fabricant",  "LBL_modele", "LBL_date",      "LBL_heure",       "LBL_ouverture",
        "LBL_exposition", "LBL_focale", "LBL_focale_35", "LBL_proprietaire"};
    for (std::size_t i = 0; i < LBL_valeurs.size(); ++i) {
        // Values come from the photo (an owner may be a whole sentence): they never
        // widen the dialog.
        LBL_valeurs[i] = control<LibelleAbrege>(kValeurs[i], QString(), this);
        LBL_valeurs[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    LBL_titre_exemple = control<QLabel>("LBL_titre_exemple", QStringLiteral("Exemple :"), this);
    // However long the free text, the example keeps the dialog's width (and its
    // buttons on screen).
    LBL_exemple = control<LibelleExemple>("LBL_exemple", QString(), this);
    LBL_exemple->setStyleSheet(QStringLiteral("font-weight: bold"));
    LBL_avertissement_1 = control<QLabel>(
        "LBL_avertissement_1",
        QStringLiteral("ATTENTION avec cette option activée vous devez impérativement activer"),
        this);
    LBL_avertissement_2 =
        control<QLabel>("LBL_avertissement_2",
                        QStringLiteral("la Date et l'Heure pour éviter les redondances."), this);
    for (QLabel* l : {LBL_avertissement_1, LBL_avertissement_2})
        l->setStyleSheet(QStringLiteral("color: red"));
    BT_ok = control<QPushButton>("BT_ok", QStringLiteral("OK"), this);
    BT_ok->setDefault(true);
    BT_aide = control<QPushButton>("BT_aide", QStringLiteral("Aide"), this);
    BT_options = control<QPushButton>("BT_options", QStringLiteral("Options"), this);
}

void TDLG_exif_info::disposerControles() {
    // Layout: the switch, the items beside their values, the order list, the
    // separators and counter options, the example, the buttons.
    auto* top = new QVBoxLayout(this);
    top->addWidget(CKB_exploitation_exif);
    top->addWidget(LBL_avertissement_1);
    top->addWidget(LBL_avertissement_2);
    auto* milieu = new QHBoxLayout;
    auto* items = new QGridLayout;
    items->addWidget(CKB_items[0], 0, 0);
    auto* libre = new QHBoxLayout;
    libre->addWidget(LBL_zone_libre);
    libre->addWidget(EDT_zone_libre, 1);
    items->addLayout(libre, 0, 1);
    for (std::size_t i = 1; i < CKB_items.size(); ++i) {
        items->addWidget(CKB_items[i], int(i), 0);
        items->addWidget(LBL_valeurs[i - 1], int(i), 1);
    }
    milieu->addLayout(items);
    auto* ordre = new QVBoxLayout;
    ordre->addWidget(GRS_exif_ordre);
    auto* fleches = new QHBoxLayout;
    fleches->addWidget(BT_haut);
    fleches->addWidget(BT_bas);
    ordre->addLayout(fleches);
    ordre->addStretch(1);
    milieu->addLayout(ordre, 1);
    top->addLayout(milieu);
    auto* seps = new QGridLayout;
    seps->addWidget(CKB_separateur_info, 0, 0);
    seps->addWidget(CBB_separateur_info, 0, 1);
    seps->addWidget(CKB_separateur_final, 1, 0);
    seps->addWidget(CBB_separateur_final, 1, 1);
    seps->setColumnStretch(2, 1); // the separator boxes keep their own width
    top->addLayout(seps);
    top->addWidget(CKB_compteur);
    top->addWidget(CKB_masque_compteur);
    auto* exemple = new QHBoxLayout;
    exemple->addWidget(LBL_titre_exemple);
    exemple->addWidget(LBL_exemple, 1);
    top->addLayout(exemple);
    // A dialog made taller keeps its lines together above the buttons.
    top->addStretch(1);
    auto* boutons = new QHBoxLayout;
    boutons->addWidget(BT_options);
    boutons->addStretch(1);
    boutons->addWidget(BT_aide);
    boutons->addWidget(BT_ok);
    top->addLayout(boutons);
    top->setContentsMargins(9, 9, 9, 5); // OK and Aide sit 5 pixels above the bottom
}

void TDLG_exif_info::relierControles() {
    // Wiring.
    connect(CKB_exploitation_exif, &QCheckBox::clicked, this,
            &TDLG_exif_info::CKB_exploitation_exifClick);
    for (std::size_t i = 0; i < CKB_items.size(); ++i)
        connect(CKB_items[i], &QCheckBox::clicked, this, [this, i](bool coche) {
            const QString nom = nomAffiche(kItemsExif[i].item);
            if (coche)
                Positionne_ordre(nom);
            else
                Efface(nom);
        });
    connect(BT_haut, &QPushButton::clicked, this, [this] { deplacer(-1); });
    connect(BT_bas, &QPushButton::clicked, this, [this] { deplacer(1); });
    connect(EDT_zone_libre, &QLineEdit::textChanged, this, &TDLG_exif_info::Compose_exemple);
    for (QCheckBox* c : {CKB_separateur_info, CKB_separateur_final})
        connect(c, &QCheckBox::clicked, this, &TDLG_exif_info::Compose_exemple);
    for (QComboBox* c : {CBB_separateur_info, CBB_separateur_final})
        connect(c, &QComboBox::currentTextChanged, this, &TDLG_exif_info::Compose_exemple);
    connect(CKB_compteur, &QCheckBox::clicked, this, [this] {
        CKB_separateur_final->setVisible(Est_mode_exif() && !CKB_compteur->isChecked());
        CBB_separateur_final->setVisible(Est_mode_exif() && !CKB_compteur->isChecked());
        Compose_exemple();
        liens_.ecranPrincipalExif();
    });
    connect(CKB_masque_compteur, &QCheckBox::clicked, this,
            &TDLG_exif_info::CKB_masque_compteurClick);
    connect(BT_options, &QPushButton::clicked, this, [this] {
        affichage_.Gerer();
        Retourne_nom_exif();
        Compose_exemple();
    });
    connect(BT_aide, &QPushButton::clicked, this,
            [this] { app_.ouvrirAide("RSC_lien_aide_exif", this); });
    connect(BT_ok, &QPushButton::clicked, this, &TDLG_exif_info::BT_okClick);
}

QString TDLG_exif_info::nomAffiche(ItemExif item) const {
    for (std::size_t i = 0; i < kItemsExif.size(); ++i)
        if (kItemsExif[i].item == item)
            return nomsItems_[i];
    return {};
}

bool TDLG_exif_info::Est_mode_exif() const {
    return CKB_exploitation_exif->isChecked();
}

void TDLG_exif_info::Active_exif() {
    CKB_exploitation_exif->setChecked(true);
    Ecran_option_exif();
}

void TDLG_exif_info::Desactive_exif() {
    CKB_exploitation_exif->setChecked(false);
    Ecran_option_exif();
}

void TDLG_exif_info::definirFichier(const FaitsExif& faits, const std::string& ancien) {
    faits_ = faits;
    ancien_ = ancien;
}

OptionsNommage TDLG_exif_info::optionsCourantes() const {
    OptionsNommage o = liens_.optionsAffichees();
    remplirOptions(o.exif);
    return o;
}

void TDLG_exif_info::remplirOptions(OptionsExif& e) const {
    e.actif = Est_mode_exif();
    e.sansCompteur = CKB_compteur->isChecked();
    e.garderCompteur = CKB_masque_compteur->isChecked();
    e.separateurInfoCoche = CKB_separateur_info->isChecked();
    e.separateurInfo = CBB_separateur_info->currentText().toStdString();
    e.separateurFinalCoche = CKB_separateur_final->isChecked();
    e.separateurFinal = CBB_separateur_final->currentText().toStdString();
    e.zoneLibre = EDT_zone_libre->text().toStdString();
    e.ordre.clear();
    for (const QString& ligne : lignesOrdre()) {
        // Rows are known by their display names; with two equal names the later item wins.
        std::optional<ItemExif> trouve;
        for (const DescriptionItem& d : kItemsExif)
            if (ligne == nomAffiche(d.item))
                trouve = d.item;
        if (trouve)
            e.ordre.push_back(*trouve);
    }
}

QString TDLG_exif_info::Retourne_nom_exif() {
    const OptionsNommage o = optionsCourantes();
    const QDate aujourdhui = dateDuJour();
    if (faits_.exif) {
        const ValeursExif v = valeursAffichees(faits_, o, aujourdhui);
        const std::string* textes[9] = {&v.fabricant, &v.modele,    &v.date,
                                        &v.heure,     &v.ouverture, &v.exposition,
                                        &v.focale,    &v.focale35,  &v.proprietaire};
        for (std::size_t i = 0; i < LBL_valeurs.size(); ++i)
            LBL_valeurs[i]->setText(qs(*textes[i]));
        // The date and time labels use the desktop's short forms, and stay empty for
        // an undated photo.
        const auto dh = ExploiteDateHeure(faits_.dateHeure);
        if (dh && !v.heure.empty()) {
            // Beside the date, where it was found: "(DateTimeOriginal)", "(XMP)"...
            QString date = QLocale().toString(dh->date, QLocale::ShortFormat);
            if (const auto source = dateSourceLabel(faits_.sourceDate); !source.empty())
                date += " (" + qs(std::string(source)) + ")";
            LBL_valeurs[2]->setText(date);
            LBL_valeurs[3]->setText(QLocale().toString(dh->heure, QLocale::ShortFormat));
        } else {
            LBL_valeurs[2]->clear();
            LBL_valeurs[3]->clear();
        }
    }
    Compose_exemple();
    return qs(varlime::Retourne_nom_exif(faits_, o, ancien_, aujourdhui));
}

void TDLG_exif_info::Compose_exemple() {
    // Composed with a mark in place of the free text, to know where the text sits.
    const QChar marque(0xE000);
    OptionsNommage o = optionsCourantes();
    o.exif.zoneLibre = QString(marque).toStdString();
    QString texte = qs(varlime::Compose_exemple(faits_, o, ancien_, dateDuJour()));
    const QString libre = EDT_zone_libre->text();
    const qsizetype debut = texte.indexOf(marque);
    texte.replace(marque, libre);
    static_cast<LibelleExemple*>(LBL_exemple)->definir(texte, debut, libre.size());
}

QString TDLG_exif_info::exempleAffiche() const {
    return static_cast<const LibelleExemple*>(LBL_exemple)->affiche();
}

QStringList TDLG_exif_info::lignesOrdre() const {
    QStringList out;
    for (int r = 0; r < GRS_exif_ordre->rowCount(); ++r) {
        const QTableWidgetItem* it = GRS_exif_ordre->item(r, 0);
        out << (it ? it->text() : QString());
    }
    if (out.size() == 1 && out.front().isEmpty())
        out.clear();
    return out;
}

void TDLG_exif_info::ajusterHauteur() {
    const int h =
        GRS_exif_ordre->rowCount() * GRS_exif_ordre->verticalHeader()->defaultSectionSize();
    GRS_exif_ordre->setFixedHeight(h + 10);
}

void TDLG_exif_info::Positionne_ordre(const QString& nom) {
    const int dernier = GRS_exif_ordre->rowCount() - 1;
    const QTableWidgetItem* it = GRS_exif_ordre->item(dernier, 0);
    if (it && !it->text().isEmpty()) {
        GRS_exif_ordre->setRowCount(dernier + 2);
        ajusterHauteur();
    }
    GRS_exif_ordre->setItem(GRS_exif_ordre->rowCount() - 1, 0, new QTableWidgetItem(nom));
    Compose_exemple();
}

void TDLG_exif_info::Efface(const QString& nom) {
    const int n = GRS_exif_ordre->rowCount();
    int r = 0;
    while (r < n && !(GRS_exif_ordre->item(r, 0) && GRS_exif_ordre->item(r, 0)->text() == nom))
        ++r;
    if (r == n)
        return;
    for (int i = r; i + 1 < n; ++i)
        GRS_exif_ordre->setItem(i, 0, new QTableWidgetItem(GRS_exif_ordre->item(i + 1, 0)->text()));
    if (n > 1)
        GRS_exif_ordre->setRowCount(n - 1);
    else
        GRS_exif_ordre->setItem(0, 0, new QTableWidgetItem());
    ajusterHauteur();
    Compose_exemple();
}

void TDLG_exif_info::deplacer(int sens) {
    const int r = GRS_exif_ordre->currentRow();
    const int cible = r + sens;
    if (r >= 0 && cible >= 0 && cible < GRS_exif_ordre->rowCount()) {
        QTableWidgetItem* a = GRS_exif_ordre->takeItem(r, 0);
        QTableWidgetItem* b = GRS_exif_ordre->takeItem(cible, 0);
        GRS_exif_ordre->setItem(r, 0, b);
        GRS_exif_ordre->setItem(cible, 0, a);
        GRS_exif_ordre->setCurrentCell(cible, 0);
    }
    Compose_exemple();
}

void TDLG_exif_info::Ecran_option_exif() {
    afficherControles();
    if (Est_mode_exif() && CKB_masque_compteur->isChecked())
        CKB_masque_compteurClick();
    liens_.ecranPrincipalExif();
}

void TDLG_exif_info::afficherControles() {
    const bool on = Est_mode_exif();
    for (QWidget* w : std::initializer_list<QWidget*>{
             CKB_compteur, LBL_avertissement_1, LBL_avertissement_2, CKB_masque_compteur,
             BT_options, GRS_exif_ordre, BT_haut, BT_bas, CKB_separateur_info, CBB_separateur_info,
             LBL_titre_exemple, LBL_exemple, EDT_zone_libre, LBL_zone_libre})
        w->setVisible(on);
    for (QCheckBox* c : CKB_items)
        c->setVisible(on);
    // Without the item boxes beside them, values the file lacks would leave blank lines.
    for (QLabel* l : LBL_valeurs)
        l->setVisible(on || !l->text().isEmpty());
    CKB_separateur_final->setVisible(on && !CKB_compteur->isChecked());
    CBB_separateur_final->setVisible(on && !CKB_compteur->isChecked());
    if (isVisible())
        ajusterTaille();
}

void TDLG_exif_info::ajusterTaille() {
    // Sized for what it shows now: compact again when the options go, wide enough for
    // the values when they come; and a long text met before leaves no wide dialog behind.
    ensurePolished();
    layout()->activate();
    const QRect ecran = screen()->availableGeometry();
    QSize taille = sizeHint();
    // Its title stays readable in the title bar, beside the window's buttons.
    const QFontMetrics fm(font());
    taille.setWidth(
        std::max(taille.width(), fm.horizontalAdvance(windowTitle()) + 8 * fm.height()));
    // Not adjustSize(): it would hold the dialog to two thirds of the screen.
    resize(taille.boundedTo(ecran.size()));
    if (!isVisible())
        return;
    // Grown on screen, it keeps its bottom on screen too, with a title bar's height to
    // spare: a window manager may place the frame that much lower than asked.
    const QRect cadre = frameGeometry();
    const int bas = cadre.bottom() + (cadre.height() - height()) - ecran.bottom();
    if (bas > 0)
        move(x(), std::max(ecran.top(), cadre.top() - bas));
}

void TDLG_exif_info::CKB_exploitation_exifClick() {
    if (CKB_exploitation_exif->isChecked() && !liens_.testListeExif()) {
        CKB_exploitation_exif->setChecked(false);
        liens_.sauverParametresMain();
    }
    Ecran_option_exif();
}

void TDLG_exif_info::CKB_masque_compteurClick() {
    // The mask engine then reads the counter out of each old name.
    OptionsExif e;
    e.actif = Est_mode_exif();
    e.garderCompteur = CKB_masque_compteur->isChecked();
    liens_.definirPrefixe(QString::fromStdString(prefixeModeExif(e)));
    Compose_exemple();
}

void TDLG_exif_info::BT_okClick() {
    bool date = false, heure = false;
    for (std::size_t i = 0; i < CKB_items.size(); ++i) {
        if (kItemsExif[i].item == ItemExif::Date)
            date = CKB_items[i]->isChecked();
        if (kItemsExif[i].item == ItemExif::Heure)
            heure = CKB_items[i]->isChecked();
    }
    if (Est_mode_exif() && CKB_compteur->isChecked() && !(date && heure) &&
        !app_.messages().confirm(
            app_.texte("RSC_msg_avertissement_exif_sans_compteur",
                       "Vous tentez de varlimer en utilisant des informations EXIF avec "
                       "suppression \r\ndu compteur automatique alors que vous n'avez pas "
                       "sélectionné les \r\noptions date et heure.\r\nÊtes-vous sûr de vouloir "
                       "continuer ?"),
            this))
        return;
    fermetureAutorisee_ = true;
    accept();
    fermetureAutorisee_ = false;
}

TDLG_exif_info::Etat TDLG_exif_info::etat() const {
    auto b = [](const QCheckBox* c) { return c->isChecked(); };
    return {b(CKB_exploitation_exif), EDT_zone_libre->text(),
            Liste_option(),           b(CKB_masque_compteur),
            b(CKB_separateur_info),   CBB_separateur_info->currentText(),
            b(CKB_separateur_final),  CBB_separateur_final->currentText(),
            b(CKB_compteur),          liens_.prefixe()};
}

void TDLG_exif_info::retablir(const Etat& e) {
    if (EDT_zone_libre->text() != e.zoneLibre)
        EDT_zone_libre->setText(e.zoneLibre);
    for (QCheckBox* c : CKB_items)
        c->setChecked(false);
    GRS_exif_ordre->setRowCount(1);
    GRS_exif_ordre->setItem(0, 0, new QTableWidgetItem());
    ajusterHauteur();
    Exploite_liste_option(e.liste);
    CKB_masque_compteur->setChecked(e.masqueCompteur);
    CKB_separateur_info->setChecked(e.infoCoche);
    CBB_separateur_info->setCurrentText(e.separateurInfo);
    CKB_separateur_final->setChecked(e.finalCoche);
    CBB_separateur_final->setCurrentText(e.separateurFinal);
    CKB_compteur->setChecked(e.sansCompteur);
    if (CKB_exploitation_exif->isChecked() != e.actif)
        CKB_exploitation_exif->setChecked(e.actif);
    // Lays both windows out again, and the prefix field (which the keep-counter box
    // writes into) gets back what it held.
    Ecran_option_exif();
    if (liens_.prefixe() != e.prefixe)
        liens_.definirPrefixe(e.prefixe);
    Compose_exemple();
}

void TDLG_exif_info::reject() {
    // Escape and the window manager's close cancel: the options come back as the
    // dialog opened with them, and nothing is stored.
    if (ouvert_)
        retablir(*ouvert_);
    QDialog::reject();
}

void TDLG_exif_info::closeEvent(QCloseEvent* e) {
    if (fermetureAutorisee_) {
        QDialog::closeEvent(e);
        return;
    }
    e->ignore();
    reject();
}

void TDLG_exif_info::Gerer(bool depuisCompagnon) {
    Utilitaire& util = utilitaire_;
    // It leaves any other mode without asking; a companion mode is a kind of EXIF
    // naming, and its "Options Exif" button only sets the names up.
    const Mode mode = util.Retourner_statut();
    const bool compagnon = mode == Mode::RawCanon || mode == Mode::Association;
    if (mode != Mode::Normal && mode != Mode::Exif && !(depuisCompagnon && compagnon))
        util.Desactiver_mode(mode);
    if (!Est_mode_exif())
        liens_.sauverParametresMain();
    Retourne_nom_exif();
    Ecran_option_exif();
    Compose_exemple();
    ouvert_ = etat();
    ajusterTaille();
    const int resultat = exec();
    ouvert_.reset();
    if (resultat == QDialog::Accepted)
        Sauver_parametres_exif();
}

QString TDLG_exif_info::Liste_option() const {
    // The items are stored under their built-in names, whatever the language shown:
    // the list then comes back the same after a change of language, and reads as the
    // French program writes it.
    QStringList noms;
    for (const QString& ligne : lignesOrdre())
        for (const DescriptionItem& d : kItemsExif)
            if (ligne == nomAffiche(d.item)) {
                noms << QString::fromUtf8(d.defaut);
                break;
            }
    return noms.join(QLatin1Char(';'));
}

std::optional<std::size_t> TDLG_exif_info::itemStocke(const QString& piece) const {
    auto chercher = [&piece](auto&& nom) -> std::optional<std::size_t> {
        for (std::size_t i = 0; i < kItemsExif.size(); ++i) {
            const QString n = nom(kItemsExif[i]);
            if (!n.isEmpty() && n == piece)
                return i;
        }
        return std::nullopt;
    };
    // The built-in names first, then the names on screen, then those of every language
    // file present: a list written while another language was shown still reads.
    if (auto i = chercher([](const DescriptionItem& d) { return QString::fromUtf8(d.defaut); }))
        return i;
    if (auto i = chercher([this](const DescriptionItem& d) { return nomAffiche(d.item); }))
        return i;
    Localization& loc = app_.localization();
    for (const TLangItem& langue : loc.LanguageList()) {
        if (langue.path.empty())
            continue;
        const std::optional<IniDocument> doc = loc.LoadLanguageFile(langue.path);
        if (!doc)
            continue;
        if (auto i = chercher([&doc](const DescriptionItem& d) {
                return QString::fromStdString(
                    replaceLineBreakMarks(doc->read("MESSAGES", d.cle, "")));
            }))
            return i;
    }
    return std::nullopt;
}

void TDLG_exif_info::Exploite_liste_option(const QString& valeur) {
    for (const QString& piece : valeur.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        if (const auto i = itemStocke(piece); i && !CKB_items[*i]->isChecked()) {
            CKB_items[*i]->setChecked(true);
            Positionne_ordre(nomAffiche(kItemsExif[*i].item));
        }
}

bool TDLG_exif_info::Positionne_option_exif(const QString& zoneLibre, const QString& liste,
                                            const QString& sansCompteur, const QString& indexFinal,
                                            const QString& finalCoche, const QString& indexInfo,
                                            const QString& infoCoche,
                                            const QString& masqueCompteur) {
    const QString un = QStringLiteral("1");
    // A missing key reads as empty, so a free text that happens to be "ERREUR" comes back.
    if (EDT_zone_libre->text() != zoneLibre)
        EDT_zone_libre->setText(zoneLibre);
    Exploite_liste_option(liste);
    // A missing key leaves the box as it is, so a first start keeps the defaults.
    auto drapeau = [&un](QCheckBox* c, const QString& t) {
        if (t != QLatin1String("ERREUR"))
            c->setChecked(t == un);
    };
    drapeau(CKB_masque_compteur, masqueCompteur);
    drapeau(CKB_separateur_info, infoCoche);
    auto index = [](QComboBox* c, const QString& t) {
        if (t == QLatin1String("ERREUR"))
            return true;
        int i = 0;
        if (!toInteger(t.toStdString(), i))
            return false;
        c->setCurrentIndex(i >= 0 && i < c->count() ? i : -1);
        return true;
    };
    if (!index(CBB_separateur_info, indexInfo))
        return false;
    drapeau(CKB_separateur_final, finalCoche);
    if (!index(CBB_separateur_final, indexFinal))
        return false;
    drapeau(CKB_compteur, sansCompteur);
    return true;
}

void TDLG_exif_info::Sauver_parametres_exif() {
    Utilitaire& util = utilitaire_;
    auto b = [](const QCheckBox* c) { return std::string(c->isChecked() ? "1" : "0"); };
    util.Sauver_parametre(reglages::kZoneLibre.section, reglages::kZoneLibre.cle,
                          EDT_zone_libre->text().toStdString());
    util.Sauver_parametre(reglages::kListeExif.section, reglages::kListeExif.cle,
                          Liste_option().toStdString());
    util.Sauver_parametre(reglages::kMasqueCompteurCoche.section,
                          reglages::kMasqueCompteurCoche.cle, b(CKB_masque_compteur));
    util.Sauver_parametre(reglages::kSeparateurInfoCoche.section,
                          reglages::kSeparateurInfoCoche.cle, b(CKB_separateur_info));
    util.Sauver_parametre(reglages::kSeparateurInfo.section, reglages::kSeparateurInfo.cle,
                          std::to_string(indexSeparateur(CBB_separateur_info)));
    util.Sauver_parametre(reglages::kSeparateurFinalCoche.section,
                          reglages::kSeparateurFinalCoche.cle, b(CKB_separateur_final));
    util.Sauver_parametre(reglages::kSeparateurFinal.section, reglages::kSeparateurFinal.cle,
                          std::to_string(indexSeparateur(CBB_separateur_final)));
    util.Sauver_parametre(reglages::kCompteurCoche.section, reglages::kCompteurCoche.cle,
                          b(CKB_compteur));
}

} // namespace varlime
