// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/ui/CLA_thread_copie.h"

#include "core/nameUtils.h"
#include "transfer/ui/IHM_info_avancement.h"
#include "transfer/ui/IHM_transfert.h"

#include <QMetaObject>
#include <QMutexLocker>

namespace varlime {

TThread_copie::TThread_copie(TDLG_transfert& dialogue, bool deplacement, const std::string& source,
                             const std::string& cible, const std::string& totalTexte,
                             TextLookup texte)
    : dialogue_(dialogue), transfert_(source, cible, deplacement), totalTexte_(totalTexte),
      texte_(std::move(texte)) {
    toInteger(totalTexte_, total_);
}

TThread_copie::~TThread_copie() {
    wait();
}

void TThread_copie::Interrompre() {
    requestInterruption();
    transfert_.interrompre();
}

void TThread_copie::Abandonner() {
    abandon_.store(true);
    Interrompre();
}

void TThread_copie::run() {
    transfert_.executer(totalTexte_, texte_, *this);
}

template <typename F> void TThread_copie::surFenetre(F&& f) {
    if (abandon_.load())
        return;
    QMetaObject::invokeMethod(
        &dialogue_,
        [this, &f] {
            // Checked again here: the window may have begun closing while this call waited.
            if (!abandon_.load())
                f();
        },
        Qt::BlockingQueuedConnection);
}

void TThread_copie::basculerBoutons(bool enCours) {
    surFenetre([&] { dialogue_.Basculer_boutons(enCours); });
}

void TThread_copie::initialiserMessage(const std::string& titre) {
    surFenetre([&] {
        dialogue_.DLG_info_avancement().Initialiser_message(QString::fromStdString(titre), total_);
    });
}

void TThread_copie::afficherAvancement(int n, const std::string& ligne) {
    {
        QMutexLocker lock(&avancementMutex_);
        derniereLigne_ = QString::fromStdString(ligne);
        dernierCompte_ = n;
    }
    // One drawing waits at a time; when it runs it shows the latest count.
    if (abandon_.load() || affichageEnAttente_.exchange(true))
        return;
    QMetaObject::invokeMethod(
        &dialogue_,
        [this] {
            QString ligne;
            int n = 0;
            {
                QMutexLocker lock(&avancementMutex_);
                ligne = derniereLigne_;
                n = dernierCompte_;
                affichageEnAttente_.store(false);
            }
            if (!abandon_.load())
                dialogue_.DLG_info_avancement().Affiche_avancement(ligne, n);
        },
        Qt::QueuedConnection);
}

void TThread_copie::fermer() {
    surFenetre([&] {
        // A count still waiting to be drawn is drawn before the window goes.
        QString ligne;
        int n = 0;
        {
            QMutexLocker lock(&avancementMutex_);
            ligne = derniereLigne_;
            n = dernierCompte_;
            derniereLigne_.clear();
        }
        if (!ligne.isEmpty())
            dialogue_.DLG_info_avancement().Affiche_avancement(ligne, n);
        dialogue_.DLG_info_avancement().Fermer();
    });
}

void TThread_copie::afficherMessage(const std::string& texte) {
    surFenetre([&] { dialogue_.Afficher_message(QString::fromStdString(texte)); });
}

void TThread_copie::afficherResultat(const std::string& texte, bool reussite) {
    surFenetre([&] { dialogue_.Afficher_message(QString::fromStdString(texte), reussite); });
}

bool TThread_copie::confirmerEffacement(int n, const std::string& source) {
    // A window going away answers no: nothing is deleted without the user's word.
    bool oui = false;
    surFenetre([&] { oui = dialogue_.Confirmer_effacement(n, source); });
    return oui;
}

void TThread_copie::recompter() {
    surFenetre([&] {
        dialogue_.Liste_information_fichier(TDLG_transfert::Panneau::Source);
        dialogue_.Liste_information_fichier(TDLG_transfert::Panneau::Cible);
    });
}

} // namespace varlime
