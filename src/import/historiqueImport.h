// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The import history: what was imported into which archive, so that the next card
// skips it. One SQLite file for every archive of the user. A file that is there but
// cannot be read as this history is refused, never recreated: a new empty history would
// import every old photo again.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

namespace varlime {

struct EntreeHistorique {
    std::int64_t id = 0;
    std::string archive;   // the archive's canonical path, ending in '/'
    std::string empreinte; // XXH3-128 of the content, 32 hex digits; empty while pending
    std::int64_t taille = 0;
    std::string nomSource;  // the card file's name
    std::int64_t mtime = 0; // the card file's modification time (seconds)
    std::string datePrise;  // "YYYY-MM-DD HH:MM:SS" after the offset; empty without date
    std::string modele, serie;
    long decalage = 0;
    std::string chemin;                    // relative to each destination
    std::vector<std::string> destinations; // the archive and the backups
    bool termine = false;                  // every destination verified it
};

class HistoriqueImport {
public:
    ~HistoriqueImport();
    // Opens (or creates, when no file is there) the history at `chemin`. Nothing and
    // `*erreur` set when the file is damaged or no history.
    // With `creer` false, a missing history is not made: an empty one lives in memory
    // (a preview changes nothing).
    static std::unique_ptr<HistoriqueImport> ouvrir(const std::string& chemin, std::string* erreur,
                                                    bool creer = true);

    // Imported into `archive` with this content.
    std::optional<EntreeHistorique> parEmpreinte(const std::string& archive,
                                                 const std::string& empreinte);
    // Imported into `archive` from a card file of that name and size whose time differs
    // from `mtime` by whole or half hours, up to a day (time zones, summer time); the
    // closest first. Pending entries too (`termine` false).
    std::optional<EntreeHistorique> parNom(const std::string& archive, const std::string& nom,
                                           std::int64_t taille, std::int64_t mtime);
    // Whether some file of that size was imported into `archive`: only then can a card
    // file be already there, and only then is it worth reading before the copy.
    bool tailleConnue(const std::string& archive, std::int64_t taille);

    // A file about to be written (pending), then done once every destination verified it
    // (`terminer` also records its destinations: a backup added since is one more).
    // False when the history could not be written.
    bool commencer(EntreeHistorique& e);
    bool terminer(const EntreeHistorique& e);
    // A pending entry whose file no destination holds: the next run plans it afresh.
    bool oublier(std::int64_t id);
    // The done entries of `archive` that no hash list of `destination` holds yet.
    std::vector<EntreeHistorique> horsListe(const std::string& archive,
                                            const std::string& destination);
    bool marquerListes(const std::vector<std::int64_t>& ids, const std::string& destination);

    const std::string& chemin() const { return chemin_; }
    // The last SQLite error, for messages.
    std::string erreur() const;

private:
    HistoriqueImport() = default;
    sqlite3* db_ = nullptr;
    std::string chemin_;
};

// Makes a folder and its parents (mode 0755 less the umask); true when it is there.
bool creerArborescence(const std::string& chemin);

// The largest difference between a card file's time and the time it was imported with
// that still counts as the same file: a day, in half hours.
inline constexpr std::int64_t kEcartMaxSecondes = 24 * 3600;
// True when `a` and `b` differ by a whole number of half hours, up to a day (0 included).
bool memeHeureAuFuseauPres(std::int64_t a, std::int64_t b);

} // namespace varlime
