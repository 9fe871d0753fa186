// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The worker thread of a copy or move run. The run itself is the core's; every
// window access it makes (buttons, progress window, message boxes, the recount)
// is carried out on the window thread while the worker waits. Progress lines are
// the exception: they are handed over without waiting, and a burst of them is
// drawn once, always with the latest count.
#include "transfer/transfert.h"

#include <QMutex>
#include <QString>
#include <QThread>
#include <atomic>
#include <memory>

namespace varlime {

class TDLG_transfert;

class TThread_copie : public QThread, private SortieTransfert {
    Q_OBJECT
public:
    // Folders and total are taken when the run starts: a folder picked in the dialog
    // during the run only shows in the final recount.
    TThread_copie(TDLG_transfert& dialogue, bool deplacement, const std::string& source,
                  const std::string& cible, const std::string& Total_texte, TextLookup texte);
    ~TThread_copie() override;

    // The Interrupt button: the run stops before its next file.
    void Interrompre();
    // The window is going away: the run stops and touches no window any more.
    void Abandonner();

protected:
    void run() override;

private:
    void basculerBoutons(bool enCours) override;
    void initialiserMessage(const std::string& titre) override;
    void afficherAvancement(int n, const std::string& ligne) override;
    void fermer() override;
    void afficherMessage(const std::string& texte) override;
    void afficherResultat(const std::string& texte, bool reussite) override;
    bool confirmerEffacement(int n, const std::string& source) override;
    void recompter() override;
    // Runs `f` on the window thread and waits for it.
    template <typename F> void surFenetre(F&& f);

    TDLG_transfert& dialogue_;
    TransfertPhotos transfert_;
    std::string totalTexte_;
    int total_ = 0;
    TextLookup texte_;
    std::atomic<bool> abandon_{false};
    QMutex avancementMutex_;
    QString derniereLigne_;
    int dernierCompte_ = 0;
    std::atomic<bool> affichageEnAttente_{false};
};

} // namespace varlime
