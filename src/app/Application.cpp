// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Application.h"
#include "companions/ui/IHM_association_fichier.h"
#include "companions/ui/IHM_canon.h"
#include "companions/ui/MD_association_fichier.h"
#include "core/messageFormat.h"

#include "exif/dEXIF.h"
#include "exif/exifDump.h"
#include "exif/ui/IHM_exif_dump.h"
#include "exif_naming/ui/IHM_exif_info.h"
#include "exif_naming/ui/IHM_exif_option_affichage.h"
#include "exif_naming/ui/IHM_option_exposition.h"
#include "exif_naming/ui/IHM_option_ouverture.h"
#include "i18n/aide.h"
#include "i18n/uLocalization.h"
#include "i18n/ui/IHM_langue.h"
#include "i18n/ui/TranslateForm.h"
#include "imaging/LibGfl.h"
#include "imaging/ui/IHM_info_touche.h"
#include "imaging/ui/IHM_vignette.h"
#include "imaging/ui/MD_image.h"
#include "import/ui/IHM_import.h"
#include "info/ui/IHM_a_propos.h"
#include "info/ui/IHM_essai.h"
#include "info/ui/IHM_information.h"
#include "platform/ui/MessageService.h"
#include "transfer/ui/IHM_info_avancement.h"
#include "transfer/ui/IHM_rep_xp.h"
#include "transfer/ui/IHM_selection_repertoire.h"
#include "transfer/ui/IHM_transfert.h"
#include "window/IHM_masque.h"
#include "window/IHM_option_compteur.h"
#include "window/IHM_option_date.h"
#include "window/IHM_option_heure.h"
#include "window/IHM_option_prefixe.h"
#include "window/IHM_rapport.h"
#include "window/IHM_type_fichier.h"
#include "window/MD_masque.h"
#include "window/MD_utilitaire.h"
#include "window/Main.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QScreen>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>

namespace varlime {

namespace {

// Every modal dialog opens centred on its owner, wide enough for its title and whole
// on the owner's screen, the first time as every time.
class PlacementDialogues : public QObject {
public:
    bool eventFilter(QObject* objet, QEvent* e) override {
        if (e->type() == QEvent::Show) {
            auto* d = qobject_cast<QDialog*>(objet);
            if (d && d->isWindow() && d->isModal()) {
                placer(*d);
                // A message box sizes itself for its text only while it shows: placed
                // again once that is done, it stands centred over its window.
                if (qobject_cast<QMessageBox*>(d))
                    QTimer::singleShot(0, d, [d] { placer(*d); });
            }
        }
        return false;
    }

private:
    static void placer(QDialog& d) {
        QWidget* owner = d.parentWidget() ? d.parentWidget()->window() : nullptr;
        const QScreen* screen = owner ? owner->screen() : d.screen();
        if (!screen)
            return;
        const QRect zone = screen->availableGeometry();
        // Room for the title beside the window buttons of the frame.
        const int largeurTitre = d.fontMetrics().horizontalAdvance(d.windowTitle()) + 140;
        QSize taille = d.size().expandedTo(QSize(std::min(largeurTitre, zone.width()), 0));
        // The frame (title bar, borders) is not known before the first showing.
        const QSize cadre = d.frameGeometry().size() - d.geometry().size();
        const QSize marge = cadre.isEmpty() ? QSize(8, 32) : cadre;
        taille = taille.boundedTo(zone.size() - marge);
        if (taille != d.size())
            d.resize(taille);
        const QPoint centre =
            owner && owner->isVisible() ? owner->frameGeometry().center() : zone.center();
        const int w = taille.width() + marge.width();
        const int h = taille.height() + marge.height();
        const int x = std::clamp(centre.x() - w / 2, zone.left(), zone.right() + 1 - w);
        const int y = std::clamp(centre.y() - h / 2, zone.top(), zone.bottom() + 1 - h);
        d.move(x, y);
    }
};

// F1 opens the help page of the window the key was pressed in (the main window's
// help menu holds F1 for itself).
class ToucheAide : public QObject {
public:
    explicit ToucheAide(Application& app) : app_(app) {}
    bool eventFilter(QObject* objet, QEvent* e) override {
        if (e->type() != QEvent::KeyPress ||
            !static_cast<QKeyEvent*>(e)->matches(QKeySequence::HelpContents))
            return false;
        auto* widget = qobject_cast<QWidget*>(objet);
        for (QWidget* w = widget ? widget->window() : nullptr; w;
             w = w->parentWidget() ? w->parentWidget()->window() : nullptr)
            if (const PageAide* page = pageAideDeFenetre(w->objectName().toStdString())) {
                app_.ouvrirAideFenetre(*page, w);
                return true;
            }
        return false;
    }

private:
    Application& app_;
};

// The main window's grid as the viewer walks it.
GrilleVignette grilleVignette(TMainForm& m) {
    GrilleVignette g;
    g.moteur = [&m]() -> const MoteurNommage& { return m.moteur(); };
    g.cheminLigne = [&m](int ligne) { return m.cheminLigne(ligne); };
    g.ligneCourante = [&m] { return m.ligneCourante(); };
    g.selectionnerLigne = [&m](int ligne) { m.selectionnerLigne(ligne); };
    g.selection = [&m](int direction, QString& nom) { m.Selection(direction, nom); };
    g.chercherFichier = [&m] { m.Chercher_fichier(); };
    return g;
}

} // namespace

Application::Application(std::string programFolder, MessageService& messages)
    : programFolder_(std::move(programFolder)), messages_(messages),
      localization_(std::make_unique<Localization>(programFolder_)) {
    placement_ = std::make_unique<PlacementDialogues>();
    if (qApp)
        qApp->installEventFilter(placement_.get());
    toucheAide_ = std::make_unique<ToucheAide>(*this);
    if (qApp)
        qApp->installEventFilter(toucheAide_.get());
    // The start-up order: the main window first, then every dialog and module. The
    // main window's activation, which calls into the dialogs, only comes later.
    lecteur_ = std::make_unique<TimgData>();
    bibliothequeImage_ = std::make_unique<LibGfl>();
    fenetrePrincipale_ = std::make_unique<TMainForm>(*this);
    mainForm_ = fenetrePrincipale_.get();
    const LiensPrincipal liens = liensPrincipal();
    optionDate_ = new TDLG_option_date(lookupMessages(*localization_), mainForm_);
    translate(optionDate_);
    typeFichier_ = new TDLG_type_fichier(*this, mainForm_);
    moduleUtilitaire_ = std::make_unique<TDB_utilitaire>(*this, liens);
    utilitaire_ = moduleUtilitaire_.get();
    optionCompteur_ = new TDLG_option_compteur(*this, mainForm_);
    aPropos_ = new TDLG_a_propos(*this, *bibliothequeImage_, mainForm_);
    rapport_ = new TDLG_rapport(mainForm_);
    translate(rapport_);
    optionHeure_ = new TDLG_option_heure(mainForm_);
    translate(optionHeure_);
    optionPrefixe_ = new TDLG_option_prefixe(mainForm_);
    translate(optionPrefixe_);
    masque_ = new TDLG_masque(lookupMessages(*localization_), messages_, mainForm_);
    translate(masque_);
    moduleMasque_ = std::make_unique<TDB_masque>();
    dbMasque_ = moduleMasque_.get();
    selectionRepertoire_ = new TDLG_selection_repertoire(*this, mainForm_);
    moduleImage_ = std::make_unique<TDB_image>(*bibliothequeImage_, *lecteur_, messages_,
                                               lookupMessages(*localization_));
    dbImage_ = moduleImage_.get();
    exifDump_ = new TDLG_exif_dump(
        *lecteur_, [this] { return QString::fromStdString(mainForm_->Repertoire_courant); },
        mainForm_);
    translate(exifDump_);
    exifDump_->texte = lookupMessages(*localization_);
    vignette_ =
        new TDLG_vignette(*this, *dbImage_, *exifDump_, grilleVignette(*mainForm_), mainForm_);
    translate(vignette_);
    infoTouche_ = &vignette_->DLG_info_touche();
    translate(infoTouche_);
    repXp_ = new TDLG_rep_xp(*this, mainForm_);
    optionOuverture_ = new TDLG_option_ouverture(mainForm_);
    translate(optionOuverture_);
    optionExposition_ = new TDLG_option_exposition(mainForm_);
    translate(optionExposition_);
    exifOptionAffichage_ = new TDLG_exif_option_affichage(mainForm_);
    translate(exifOptionAffichage_);
    exifInfo_ = new TDLG_exif_info(*this, *utilitaire_, liens, *exifOptionAffichage_, mainForm_);
    canon_ = new TDLG_canon(*this, *utilitaire_, liens, *exifInfo_, mainForm_);
    essai_ = new TDLG_essai(*this, mainForm_);
    information_ = new TDLG_information(*this, mainForm_);
    langue_ = new TDLG_langue(*this, mainForm_);
    infoAvancement_ = new TDLG_info_avancement(*this, mainForm_);
    transfert_ =
        new TDLG_transfert(*this, *utilitaire_, liens, *repXp_, *infoAvancement_, mainForm_);
    association_ =
        new TDLG_association_fichier(*this, *utilitaire_, liens, *exifInfo_, *canon_, mainForm_);
    moduleAssociation_ = std::make_unique<TDB_association_fichier>(*canon_, *association_);
    dbAssociation_ = moduleAssociation_.get();
    import_ = new TDLG_import(*this, mainForm_);
    relierOptionsNommage();
    relierCompagnons();
}

Application::~Application() {
    if (fenetrePrincipale_) {
        // A field that still has the focus reports its last edit as the widgets go; by
        // then the dialogs its handler updates may be gone, and the main window half
        // destroyed.
        for (QObject* enfant : mainForm_->findChildren<QObject*>())
            QObject::disconnect(enfant, nullptr, mainForm_, nullptr);
        // A transfer still going is stopped and waited for while every other window
        // still stands.
        delete transfert_;
        // Then the other windows, newest first: a window is made after those it
        // calls. The main window would delete them oldest first, after its own members.
        const QObjectList enfants = mainForm_->children();
        for (auto it = enfants.rbegin(); it != enfants.rend(); ++it)
            if (auto* w = qobject_cast<QWidget*>(*it); w && w->isWindow())
                delete w;
    }
    moduleImage_.reset();
    fenetrePrincipale_.reset();
}

QString Application::texte(const char* key, const char* defaultText) {
    return QString::fromStdString(localization_->GetLangText("MESSAGES", key, defaultText));
}

void Application::translate(QWidget* window) {
    TranslateForm(window, *localization_);
}

void Application::ouvrirAide(const char* cle, QWidget* parent) {
    const std::string defaut = pageAideParDefaut(cle);
    ouvrirPageAide(localization_->GetLangText("MESSAGES", cle, defaut), defaut, parent);
}

void Application::ouvrirAideFenetre(const PageAide& page, QWidget* fenetre) {
    if (page.cle)
        ouvrirAide(page.cle, fenetre);
    else
        ouvrirPageAide(page.page, page.page, fenetre);
}

void Application::ouvrirPageAide(const std::string& valeur, const std::string& defaut,
                                 QWidget* parent) {
    const RechercheAide r = chercherPageAide(valeur, defaut, localization_->ActiveLanguageCode(),
                                             dossiersAide(programFolder_));
    if (!r.chemin.empty()) {
        QUrl url = QUrl::fromLocalFile(QString::fromStdString(r.chemin));
        if (!r.ancre.empty())
            url.setFragment(QString::fromStdString(r.ancre));
        ouvrirUrl(url, parent);
    } else if (!r.adresseWeb.empty()) {
        ouvrirUrl(QUrl(QString::fromStdString(r.adresseWeb)), parent);
    } else {
        QStringList chemins;
        for (const std::string& c : r.cherches)
            chemins << QString::fromStdString(c);
        messages_.error(
            formatMessage(texte("RSC_msg_aide_introuvable",
                                "Page d'aide introuvable : %s\r\nCherchée dans :\r\n%s"),
                          {QString::fromStdString(valeur), chemins.join("\r\n")}),
            parent);
    }
}

void Application::ouvrirUrl(const QUrl& url, QWidget* parent) {
    if (QDesktopServices::openUrl(url))
        return;
    // Without a browser the shipped pages are still readable: they are simple enough for
    // the text browser of the toolkit.
    if (url.isLocalFile()) {
        // One help window per window asking, shown again at the new page.
        QWidget* hote = parent ? parent->window() : mainForm_;
        auto* fenetre =
            hote->findChild<QDialog*>(QStringLiteral("DLG_aide"), Qt::FindDirectChildrenOnly);
        if (!fenetre) {
            fenetre = new QDialog(hote, Qt::Window);
            fenetre->setObjectName(QStringLiteral("DLG_aide"));
            fenetre->setWindowTitle(texte("RSC_titre_aide", "Aide de Varlime"));
            auto* navigateur = new QTextBrowser(fenetre);
            navigateur->setObjectName(QStringLiteral("TXB_aide"));
            navigateur->setOpenExternalLinks(true);
            (new QVBoxLayout(fenetre))->addWidget(navigateur);
            fenetre->resize(780, 620);
        }
        fenetre->findChild<QTextBrowser*>()->setSource(url);
        fenetre->show();
        fenetre->raise();
        return;
    }
    messages_.error(
        formatMessage(texte("RSC_msg_adresse_impossible", "Impossible d'ouvrir l'adresse %s"),
                      {url.toString()}),
        parent);
}

void Application::ouvrirAdresse(const QString& adresse, QWidget* parent) {
    if (!QDesktopServices::openUrl(QUrl(adresse)))
        messages_.error(
            formatMessage(texte("RSC_msg_adresse_impossible", "Impossible d'ouvrir l'adresse %s"),
                          {adresse}),
            parent);
}

} // namespace varlime
