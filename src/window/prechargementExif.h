// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reads the EXIF facts of a listing on a worker thread while the main window stays
// responsive. The worker reports its progress and its end by queued calls to the
// window thread; a progress window with a Cancel button shows when the reading lasts.
// While the worker runs, it alone uses the naming pipeline: the window asks `enCours()`
// before touching it, and stops the worker (`arreter`) before a new listing or on close.
#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <QString>
#include <atomic>
#include <functional>
#include <string>
#include <thread>

class QWidget;

namespace varlime {

class ChaineNommage;

class PrechargementExif : public QObject {
    Q_OBJECT
public:
    // Starts a thread running the given work; throws std::system_error when the system
    // refuses a thread (tests put one in that refuses).
    using Demarreur = std::function<std::jthread(std::function<void()>)>;

    // `fenetre` is the parent of the progress window.
    PrechargementExif(ChaineNommage& chaine, QWidget* fenetre);
    ~PrechargementExif() override;

    void definirDemarreur(Demarreur demarreur) { demarreur_ = std::move(demarreur); }
    // While this answers true another worker lists the folder (which makes a new
    // generation of the facts itself): the pipeline is not touched.
    void definirListage(std::function<bool()> listage) { listage_ = std::move(listage); }
    // The texts of the progress window.
    void definirTextes(const QString& libelle, const QString& annuler);

    // Starts reading on a worker. False when the worker could not start: `erreur()`
    // then says why, and the pipeline is untouched.
    bool lancer();
    bool enCours() const { return enCours_; }
    const std::string& erreur() const { return erreur_; }
    // Stops the reading and waits for the worker: the pipeline is the window's again,
    // and no end is reported.
    void arreter();
    // Waits for the worker to be done, then reports its end at once, as it would have
    // come: for a run or a test, which must see the names of every file.
    void attendre();
    // A new generation of the facts (files may have changed), made at once or, while
    // the worker reads, right after it.
    void nouvelleGeneration();
    // The progress window, from now on, keeps every other window from input until the
    // reading ends (a command waits for it).
    void rendreModale();
    // The progress window, once the reading has lasted long enough to show it.
    QProgressDialog* fenetreProgression() const { return progression_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    // The worker is done and joined. `complet` is false when the user cancelled.
    void termine(bool complet);
    // The reading was stopped by `arreter` (a new listing, the window closed): no end
    // is reported, but whoever waits for it stops waiting.
    void interrompu();

private:
    void montrerProgression();
    void avancer(unsigned lancement, int fait, int total);
    void finir(unsigned lancement, bool complet);
    void fermerProgression();

    ChaineNommage& chaine_;
    QWidget* fenetre_;
    Demarreur demarreur_;
    std::function<bool()> listage_;
    std::jthread travailleur_;
    std::atomic<bool> arret_{false};
    bool enCours_ = false;
    bool annuleParUtilisateur_ = false;
    bool modale_ = false;
    bool generationDemandee_ = false;
    // Each start has its number: a report of a reading stopped since is ignored.
    unsigned lancement_ = 0;
    int fait_ = 0, total_ = 0;
    std::string erreur_;
    QString libelle_, annuler_;
    QPointer<QProgressDialog> progression_;
};

} // namespace varlime
