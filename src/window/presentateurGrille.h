// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the main window's file grid shows: the folder listed (on a worker when it is
// large), its rows in the grid's model, their new names (the rows in view first, the
// rest in steps on the event loop), the EXIF facts read on a worker with their
// progress, and the columns' widths. The window gives it the options and tells it
// when to list and when to name; everything that reads the rows asks it first whether
// they are there (`occupe`) and whether every name is final (`terminerNoms`).
#include "window/prechargementExif.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <thread>

class QTableView;
class QWidget;

namespace varlime {

class CalculNouveauxNoms;
class ChaineNommage;
class FileGridModel;

class PresentateurGrille : public QObject {
    Q_OBJECT
public:
    // A text of the active language: key and built-in French.
    using Texte = std::function<QString(const char* cle, const char* defaut)>;

    // `fenetre` is the parent of the progress window.
    PresentateurGrille(ChaineNommage& chaine, QWidget* fenetre, Texte texte);
    ~PresentateurGrille() override;

    FileGridModel& modele() { return *modele_; }
    const FileGridModel& modele() const { return *modele_; }
    // The grid that shows the model: its rows in view are named first.
    void attacherVue(QTableView* vue);
    PrechargementExif& prechargement() { return prechargement_; }
    // The headers and markers in the active language.
    void traduire();

    // Lists `dossier` with the options the pipeline holds. A small folder is listed at
    // once and `fin(listeOk)` called before this returns; a large one on a worker, the
    // grid empty meanwhile, and `fin` called from the event loop once its rows are
    // there. While a worker lists, the pipeline is its own: the window asks
    // `listageEnCours()` before setting options, and `relisterApres()` then asks for
    // `relister` to be called (the window lists again with its options) once it is done.
    void lister(const std::string& dossier, std::function<void(bool)> fin);
    bool listageEnCours() const { return listage_.joinable(); }
    void relisterApres() { relisterDemande_ = true; }
    std::function<void()> relister;
    // A worker uses the pipeline (listing or reading facts): the rows are not the window's.
    bool occupe() const { return listageEnCours() || prechargement_.enCours(); }
    // No folder: one empty row.
    void vider();

    // Recomputes every new name. Outside EXIF naming a long list is named in steps: the
    // rows in view at once, the others from the event loop; a row not named yet shows
    // no name. In EXIF naming every name depends on the others (letters for equal
    // names): all are computed here.
    void calculer();
    // The same from the facts already read (EXIF naming after a cancelled reading);
    // returns how many rows are marked not read.
    std::size_t calculerSansLecture();
    // The rows still to name are named now: for the test, the run, or any reader of
    // every row. False while a worker lists.
    bool terminerNoms();
    // Some rows still wait for their names.
    bool nomsEnAttente() const { return calcul_ != nullptr; }
    // The rows of a folder read for EXIF naming: how many files a reading on the side
    // would check (0 when reading them here is quicker).
    bool lectureAuLarge() const;
    // Starts reading the facts on the side, with the progress window; false when no
    // worker could start (`prechargement().erreur()` says why). Until it ends the
    // rows show no new name.
    bool lancerLecture();
    // Reads on the side what is still unread, the progress window modal, and waits
    // for the end while the window goes on answering (also for a listing or a
    // reading already going). Complete when every fact was read; Impossible when no
    // worker could start (`prechargement().erreur()` says why).
    // `lireNonLus`: the facts a cancelled reading left are read now.
    enum class Lecture { Complete, Annulee, Impossible };
    Lecture lireEtAttendre(bool lireNonLus);

    // Each column as wide as its names, as the grid's width allows.
    void ajusterColonnes();
    // Cell text with the grid's numbering: row 0 is the header, rows 1..N the files.
    QString cellule(int colonne, int ligne) const;
    int nombreLignes() const; // header included, at least 2
    // Full path (bytes) of a row's file in the folder listed; empty when none.
    std::string cheminLigne(int ligne) const;

signals:
    // Every row has its new name (after `calculer`, whether at once or in steps).
    void nomsCalcules();
    // A listing on a worker is over (its rows are shown, or a new listing asked for).
    void listageFini();

private:
    // Whether a row's new name is still to be computed.
    bool enAttente(int ligne) const;
    // Names the rows in view when they are not yet.
    void nommerVisibles();
    // One step of the names left, within a few milliseconds.
    void poursuivre();
    void arreterNoms();
    void finirNoms();
    void finirListage(unsigned lancement, bool ok);
    // Width a column needs to show its names whole (header included).
    int largeurNoms(int colonne) const;

    ChaineNommage& chaine_;
    QWidget* fenetre_;
    Texte texte_;
    FileGridModel* modele_;
    QTableView* vue_ = nullptr;
    PrechargementExif prechargement_;

    std::jthread listage_;
    unsigned lancementListage_ = 0;
    bool relisterDemande_ = false;
    std::function<void(bool)> finListage_;

    // The names computed in steps: rows before `fait_`, and the rows in view
    // [visiblesDebut_, visiblesFin_), are named.
    std::unique_ptr<CalculNouveauxNoms> calcul_;
    // The same computation before its first row: the rows in view are named from it.
    std::unique_ptr<CalculNouveauxNoms> depart_;
    std::size_t fait_ = 0;
    std::size_t visiblesDebut_ = 0, visiblesFin_ = 0;
    QTimer etapes_;
    // The old names' column width, measured once a listing.
    mutable int largeurAnciens_ = -1;
};

} // namespace varlime
