// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The naming pipeline shared by the main window and the command line: the options,
// the listing with its filters, the EXIF facts the mode needs, the new names, the test
// before renaming, the run. Each front end fills the options, calls it and shows what
// it returns; neither lists, reads or names anything itself, so what the window shows
// is what a run of the command line does with the same options.
#include "core/renameEngine.h"

#include <QDate>
#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace varlime {

class CacheFaitsExif;
struct FaitsExif;
struct VerificationExif;

// The prefix rewrites of the modes, made when the mode is chosen (the date dialog's OK,
// the EXIF dialog's boxes, their command-line options).
//
// A fixed date becomes an ordinary prefix text: the date in the options' form and
// separator, on the side opposite the counter. Each file's own date is then off.
void appliquerDateFixe(OptionsNommage& o, const QDate& date);
// Each row is named from its own file's date: the prefix field has nothing to hold.
void appliquerDateFichier(OptionsNommage& o);
// What EXIF naming leaves in the prefix field: the keep-counter mask when that box is
// on (the mask engine then reads each old name's counter), nothing otherwise.
std::string prefixeModeExif(const OptionsExif& e);
// EXIF naming leaves the other modes: no file date, and the prefix field as above.
void appliquerModeExif(OptionsNommage& o);

// Every file is searched in a companion mode, so that its filter sees the companions.
inline constexpr const char* kMasqueModeCompagnon = "*.*";
// Entering a companion mode: EXIF naming on, the other companion mode off, every file
// searched. The Canon RAW pairs:
void appliquerRawCanon(OptionsNommage& o);
// A target named from a source, two extensions without the dot (AVI from THM):
void appliquerAssociation(OptionsNommage& o, const std::string& cible, const std::string& source);

// What a run or an undo comes to, as both front ends tell it: the summary of what was
// done, or why nothing was. Lines are apart by "\r\n".
struct CompteRendu {
    bool fait = false;   // the files were gone through: `message` is the summary
    bool erreur = false; // a refusal that is an error rather than a plain notice
    std::string message;
};
// `dossier` is the folder as it is shown (the command line's argument, the window's
// displayable path).
CompteRendu compteRenduRenommage(const TextLookup& texte, const BilanRenommage& bilan,
                                 const std::string& dossier);
// Before an undo: why the plan found cannot be undone (nothing to undo, a journal too
// big to read, a run still going). Nothing when it can.
std::optional<CompteRendu> refusAnnulation(const TextLookup& texte,
                                           const std::optional<PlanAnnulation>& plan,
                                           const std::string& dossier);
// After the undo of `plan`: a journal too big to read is refused as before it.
CompteRendu compteRenduAnnulation(const TextLookup& texte, const PlanAnnulation& plan,
                                  const BilanRenommage& bilan, const std::string& dossier);

class ChaineNommage {
public:
    ChaineNommage();
    ~ChaineNommage();
    ChaineNommage(const ChaineNommage&) = delete;
    ChaineNommage& operator=(const ChaineNommage&) = delete;

    OptionsNommage& options() { return moteur_.options; }
    const OptionsNommage& options() const { return moteur_.options; }
    // The day EXIF names use for "today"; the current date (dateDuJour) when unset.
    std::optional<QDate> aujourdhui;

    // Lists the folder with the search mask, the file types and the companion modes'
    // filters (the Canon filter knows whether this very listing holds a CR2). False
    // when the folder cannot be opened: the rows are then one empty row.
    bool lister(const std::string& chemin);
    const DossierListe& dossier() const { return moteur_.dossier(); }
    std::vector<FileRow>& lignes() { return moteur_.lignes(); }
    const std::vector<FileRow>& lignes() const { return moteur_.lignes(); }
    bool fichiersTrouves() const { return moteur_.fichiersTrouves(); }

    // How many rows a preload of the EXIF facts would check or read: none when nothing
    // is listed or when a preload already went through since the last listing.
    std::size_t aPrecharger() const;
    // Reads the EXIF facts of every listed file not known yet. `progression(done,
    // total)` is called on the calling thread, which may be a worker: nothing else may
    // use this pipeline meanwhile. Setting `arret` stops the reading before its end
    // (what is left is read when first needed). True when it went through.
    bool precharger(const std::function<void(std::size_t, std::size_t)>& progression = {},
                    const std::atomic<bool>* arret = nullptr);
    // Files may have changed since they were read: each is checked again at its next use.
    void nouvelleGeneration();
    // Forgets every fact read: each file is read again at its next use.
    void oublierFaits();
    // Applied to each file's facts once read (see CacheFaitsExif::retoucher).
    void retoucherFaits(std::function<void(FaitsExif&)> retouche);
    // Applies `retouche` to the facts already read, in place: no file is read again.
    void retoucherFaitsLus(const std::function<void(FaitsExif&)>& retouche);
    // The facts of one listed file (read now when not known).
    const FaitsExif& faits(const std::string& nom);
    // The list check before EXIF naming: the files that carry no EXIF.
    VerificationExif verifierListeExif();

    // Every new name from the options: EXIF names (companions included) in EXIF
    // naming, otherwise the mask, the file date or the prefix.
    void calculer();
    // The same from the facts already read: in EXIF naming, a file not read yet is not
    // read now, and its row gets the not-read marker. Returns how many rows got it.
    std::size_t calculerSansLecture();
    // Names some of the listed rows as a listing of their own, for files filed apart
    // (an import files each day in its folder): the rows at `indices`, in that order,
    // with the counter starting at `debut`. Companion rows are named with their row
    // when it is among them. Each row's name part (before counter and extension) comes
    // back beside it, so a caller can find the counters already used for that part.
    struct Partie {
        std::vector<FileRow> lignes;
        std::vector<std::string> parties;
    };
    Partie nommerPartie(const std::vector<std::size_t>& indices, int debut);
    // The report of the test before renaming, over the rows as they stand. A folder
    // that refuses every rename (read-only folder or card) is told first, and the
    // report then never says "no error".
    RapportTest tester(const TextLookup& texte) const;
    // The rename run over the rows as they stand, journaled in `journaux`.
    BilanRenommage renommer() const;
    // Before a run, a counter too narrow for the rows (names past its width would no
    // longer sort in order): the width that fits and the question that offers it.
    // Nothing when the width fits.
    struct Elargissement {
        int largeur = 0;
        std::string question;
    };
    std::optional<Elargissement> elargissementCompteur(const TextLookup& texte) const;

    // The engine behind it (the grid edits its rows in place) and where runs are journaled.
    MoteurNommage& moteur() { return moteur_; }
    std::string& journaux() { return moteur_.journaux; }

private:
    MoteurNommage moteur_;
    std::unique_ptr<CacheFaitsExif> cache_;
    bool cr2Vu_ = false;
    bool precharge_ = false;
};

} // namespace varlime
