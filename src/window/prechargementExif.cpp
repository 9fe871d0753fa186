// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/prechargementExif.h"

#include "naming/chaineNommage.h"

#include <QApplication>
#include <QEvent>
#include <QProgressDialog>
#include <QTimer>
#include <QWidget>
#include <exception>

namespace varlime {

namespace {
// A reading shorter than this shows no progress window at all, so a keystroke over
// known files makes no window flash.
constexpr int kDelaiProgressionMs = 500;
} // namespace

PrechargementExif::PrechargementExif(ChaineNommage& chaine, QWidget* fenetre)
    : chaine_(chaine), fenetre_(fenetre),
      libelle_(QStringLiteral("Lecture des informations EXIF...")),
      annuler_(QStringLiteral("Annuler")) {}

PrechargementExif::~PrechargementExif() {
    arreter();
}

void PrechargementExif::definirTextes(const QString& libelle, const QString& annuler) {
    libelle_ = libelle;
    annuler_ = annuler;
}

bool PrechargementExif::lancer() {
    if (enCours_)
        return true;
    erreur_.clear();
    modale_ = false;
    arret_ = false;
    annuleParUtilisateur_ = false;
    fait_ = total_ = 0;
    const unsigned lancement = ++lancement_;
    auto travail = [this, lancement] {
        int dernierPourcent = -1;
        try {
            chaine_.precharger(
                [&](std::size_t fait, std::size_t total) {
                    // At most a hundred reports, however many files.
                    const int pourcent = total ? int(fait * 100 / total) : 100;
                    if (pourcent == dernierPourcent)
                        return;
                    dernierPourcent = pourcent;
                    QMetaObject::invokeMethod(
                        this,
                        [this, lancement, f = int(fait), t = int(total)] {
                            avancer(lancement, f, t);
                        },
                        Qt::QueuedConnection);
                },
                &arret_);
        } catch (const std::exception&) {
            // What could not be read here is read when the names need it.
        }
        QMetaObject::invokeMethod(
            this, [this, lancement] { finir(lancement, true); }, Qt::QueuedConnection);
    };
    try {
        travailleur_ = demarreur_ ? demarreur_(travail) : std::jthread(travail);
    } catch (const std::exception& e) {
        erreur_ = e.what();
        return false;
    }
    enCours_ = true;
    QTimer::singleShot(kDelaiProgressionMs, this, [this, lancement] {
        if (enCours_ && lancement == lancement_)
            montrerProgression();
    });
    return true;
}

void PrechargementExif::arreter() {
    if (!enCours_)
        return;
    arret_ = true;
    travailleur_.request_stop();
    if (travailleur_.joinable())
        travailleur_.join();
    enCours_ = false;
    ++lancement_; // its end, already on its way, is not reported
    fermerProgression();
    if (std::exchange(generationDemandee_, false))
        chaine_.nouvelleGeneration();
    emit interrompu();
}

void PrechargementExif::nouvelleGeneration() {
    if (listage_ && listage_())
        return;
    if (enCours_)
        generationDemandee_ = true;
    else
        chaine_.nouvelleGeneration();
}

void PrechargementExif::montrerProgression() {
    if (progression_)
        return;
    // Over a dialog open for its own (the EXIF dialog's switch starts a reading), the
    // progress goes over it, where it can be seen and cancelled.
    QWidget* modal = QApplication::activeModalWidget();
    progression_ =
        new QProgressDialog(libelle_, annuler_, 0, std::max(total_, 1), modal ? modal : fenetre_);
    // Closing that dialog would take the progress window down with it while the reading
    // goes on: it then moves over the main window.
    if (modal)
        modal->installEventFilter(this);
    progression_->setObjectName(QStringLiteral("DLG_lecture_exif"));
    // Not modal: the main window goes on answering, and setValue never runs an event
    // loop of its own. Nor does it take the keyboard: a key typed as it opens goes
    // where the user was typing.
    progression_->setWindowModality(modale_ ? Qt::ApplicationModal : Qt::NonModal);
    progression_->setAttribute(Qt::WA_ShowWithoutActivating, !modale_);
    progression_->setAutoClose(false);
    progression_->setAutoReset(false);
    progression_->setMinimumDuration(0);
    progression_->setValue(fait_);
    connect(progression_, &QProgressDialog::canceled, this, [this] {
        if (!enCours_)
            return;
        annuleParUtilisateur_ = true;
        arret_ = true;
    });
    progression_->show();
}

void PrechargementExif::rendreModale() {
    if (!enCours_ || modale_)
        return;
    modale_ = true;
    // A command waits for the reading: its progress shows at once.
    if (progression_) {
        progression_->hide();
        progression_->setWindowModality(Qt::ApplicationModal);
        progression_->setAttribute(Qt::WA_ShowWithoutActivating, false);
        progression_->show();
    } else {
        montrerProgression();
    }
}

bool PrechargementExif::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Hide && progression_ && watched == progression_->parentWidget() &&
        watched != fenetre_) {
        watched->removeEventFilter(this);
        progression_->setParent(fenetre_, progression_->windowFlags());
        progression_->show();
    }
    return QObject::eventFilter(watched, event);
}

void PrechargementExif::avancer(unsigned lancement, int fait, int total) {
    if (lancement != lancement_)
        return;
    fait_ = fait;
    total_ = total;
    if (progression_) {
        progression_->setMaximum(std::max(total, 1));
        progression_->setValue(fait);
    }
}

void PrechargementExif::finir(unsigned lancement, bool complet) {
    if (lancement != lancement_ || !enCours_)
        return;
    if (travailleur_.joinable())
        travailleur_.join();
    enCours_ = false;
    fermerProgression();
    if (std::exchange(generationDemandee_, false))
        chaine_.nouvelleGeneration();
    emit termine(complet && !annuleParUtilisateur_);
}

void PrechargementExif::attendre() {
    if (!enCours_)
        return;
    if (travailleur_.joinable())
        travailleur_.join();
    finir(lancement_, true);
}

void PrechargementExif::fermerProgression() {
    if (!progression_)
        return;
    // Closing the window would report a cancel: it is only taken down.
    progression_->disconnect(this);
    if (QWidget* dessous = progression_->parentWidget())
        dessous->removeEventFilter(this);
    progression_->hide();
    progression_->deleteLater();
    progression_ = nullptr;
}

} // namespace varlime
