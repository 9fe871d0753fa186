// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/historiqueImport.h"

#include <cerrno>
#include <cstdlib>
#include <sqlite3.h>
#include <sys/stat.h>

namespace varlime {

namespace {

constexpr const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS imports(
  id INTEGER PRIMARY KEY,
  archive TEXT NOT NULL,
  empreinte TEXT NOT NULL,
  taille INTEGER NOT NULL,
  nom_source BLOB NOT NULL,
  mtime INTEGER NOT NULL,
  date_prise TEXT NOT NULL,
  modele TEXT NOT NULL,
  serie TEXT NOT NULL,
  decalage INTEGER NOT NULL,
  chemin BLOB NOT NULL,
  destinations BLOB NOT NULL,
  termine INTEGER NOT NULL,
  quand TEXT NOT NULL DEFAULT (strftime('%Y-%m-%dT%H:%M:%SZ', 'now')));
CREATE INDEX IF NOT EXISTS imports_empreinte ON imports(archive, empreinte);
CREATE INDEX IF NOT EXISTS imports_nom ON imports(archive, nom_source, taille);
CREATE INDEX IF NOT EXISTS imports_taille ON imports(archive, taille);
CREATE TABLE IF NOT EXISTS listes(
  import INTEGER NOT NULL REFERENCES imports(id),
  destination BLOB NOT NULL,
  PRIMARY KEY(import, destination));
)";

// One prepared statement, finalized however the call ends.
class Requete {
public:
    Requete(sqlite3* db, const char* sql) {
        ok_ = sqlite3_prepare_v2(db, sql, -1, &st_, nullptr) == SQLITE_OK;
    }
    ~Requete() { sqlite3_finalize(st_); }
    Requete(const Requete&) = delete;
    Requete& operator=(const Requete&) = delete;
    bool ok() const { return ok_; }
    Requete& texte(int i, const std::string& s) {
        sqlite3_bind_text(st_, i, s.data(), int(s.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Requete& octets(int i, const std::string& s) {
        sqlite3_bind_blob(st_, i, s.data(), int(s.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Requete& entier(int i, std::int64_t v) {
        sqlite3_bind_int64(st_, i, v);
        return *this;
    }
    // SQLITE_ROW, SQLITE_DONE or an error.
    int pas() { return ok_ ? sqlite3_step(st_) : SQLITE_ERROR; }
    std::string colonne(int i) const {
        const void* p = sqlite3_column_blob(st_, i);
        return p ? std::string(static_cast<const char*>(p),
                               std::size_t(sqlite3_column_bytes(st_, i)))
                 : std::string();
    }
    std::int64_t nombre(int i) const { return sqlite3_column_int64(st_, i); }

private:
    sqlite3_stmt* st_ = nullptr;
    bool ok_ = false;
};

constexpr const char* kColonnes =
    "SELECT id, archive, empreinte, taille, nom_source, mtime, date_prise, modele, serie, "
    "decalage, chemin, destinations, termine FROM imports ";

std::vector<std::string> lignes(const std::string& s) {
    std::vector<std::string> out;
    std::size_t debut = 0;
    while (debut < s.size()) {
        const auto fin = std::min(s.find('\n', debut), s.size());
        out.push_back(s.substr(debut, fin - debut));
        debut = fin + 1;
    }
    return out;
}

EntreeHistorique lireEntree(const Requete& r) {
    EntreeHistorique e;
    e.id = r.nombre(0);
    e.archive = r.colonne(1);
    e.empreinte = r.colonne(2);
    e.taille = r.nombre(3);
    e.nomSource = r.colonne(4);
    e.mtime = r.nombre(5);
    e.datePrise = r.colonne(6);
    e.modele = r.colonne(7);
    e.serie = r.colonne(8);
    e.decalage = long(r.nombre(9));
    e.chemin = r.colonne(10);
    e.destinations = lignes(r.colonne(11));
    e.termine = r.nombre(12) != 0;
    return e;
}

} // namespace

bool creerArborescence(const std::string& chemin) {
    struct stat st;
    for (std::size_t fin = 1; fin <= chemin.size(); ++fin) {
        if (fin < chemin.size() && chemin[fin] != '/')
            continue;
        const std::string partie = chemin.substr(0, fin);
        if (::mkdir(partie.c_str(), 0755) != 0 && errno != EEXIST)
            return false;
    }
    return ::stat(chemin.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool memeHeureAuFuseauPres(std::int64_t a, std::int64_t b) {
    const std::int64_t ecart = a > b ? a - b : b - a;
    return ecart <= kEcartMaxSecondes && ecart % 1800 == 0;
}

HistoriqueImport::~HistoriqueImport() {
    sqlite3_close(db_);
}

std::unique_ptr<HistoriqueImport> HistoriqueImport::ouvrir(const std::string& chemin,
                                                           std::string* erreur, bool creer) {
    std::unique_ptr<HistoriqueImport> h(new HistoriqueImport);
    h->chemin_ = chemin;
    struct stat st;
    const bool existe = ::stat(chemin.c_str(), &st) == 0;
    if (!existe && !creer) {
        const int ok = sqlite3_open(":memory:", &h->db_);
        if (ok != SQLITE_OK ||
            sqlite3_exec(h->db_, kSchema, nullptr, nullptr, nullptr) != SQLITE_OK) {
            if (erreur)
                *erreur = h->erreur();
            return nullptr;
        }
        return h;
    }
    if (!existe) {
        const auto slash = chemin.rfind('/');
        if (slash != std::string::npos && slash > 0)
            creerArborescence(chemin.substr(0, slash));
    }
    // An existing file is opened as it is: never created anew in its place.
    const int drapeaux = SQLITE_OPEN_READWRITE | (existe ? 0 : SQLITE_OPEN_CREATE);
    auto refus = [&](const std::string& pourquoi) {
        if (erreur)
            *erreur = pourquoi;
        return nullptr;
    };
    if (sqlite3_open_v2(chemin.c_str(), &h->db_, drapeaux, nullptr) != SQLITE_OK)
        return refus(h->erreur());
    sqlite3_busy_timeout(h->db_, 10000);
    {
        Requete verif(h->db_, "PRAGMA quick_check");
        if (verif.pas() != SQLITE_ROW || verif.colonne(0) != "ok")
            return refus(h->erreur().empty() || h->erreur() == "not an error" ? "quick_check"
                                                                              : h->erreur());
    }
    if (existe && st.st_size > 0) {
        // A database of something else is no history of ours either.
        Requete tables(h->db_, "SELECT count(*) FROM sqlite_master WHERE type='table' AND name IN "
                               "('imports','listes')");
        if (tables.pas() != SQLITE_ROW || tables.nombre(0) != 2)
            return refus("no import history");
    }
    // Two entries are written for each file imported: in a write-ahead log each costs one
    // flush of the disk, not the three or four of a rollback journal, and a kill or a power
    // cut still loses nothing that was committed.
    sqlite3_exec(h->db_, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL", nullptr, nullptr,
                 nullptr);
    char* message = nullptr;
    if (sqlite3_exec(h->db_, kSchema, nullptr, nullptr, &message) != SQLITE_OK) {
        std::string m = message ? message : "";
        sqlite3_free(message);
        return refus(m);
    }
    return h;
}

std::string HistoriqueImport::erreur() const {
    return db_ ? sqlite3_errmsg(db_) : "out of memory";
}

std::optional<EntreeHistorique> HistoriqueImport::parEmpreinte(const std::string& archive,
                                                               const std::string& empreinte) {
    Requete r(db_, (std::string(kColonnes) +
                    "WHERE archive = ?1 AND empreinte = ?2 AND termine = 1 ORDER BY id LIMIT 1")
                       .c_str());
    r.texte(1, archive).texte(2, empreinte);
    if (r.pas() != SQLITE_ROW)
        return std::nullopt;
    return lireEntree(r);
}

std::optional<EntreeHistorique> HistoriqueImport::parNom(const std::string& archive,
                                                         const std::string& nom,
                                                         std::int64_t taille, std::int64_t mtime) {
    Requete r(db_, (std::string(kColonnes) +
                    "WHERE archive = ?1 AND nom_source = ?2 AND taille = ?3 AND mtime BETWEEN ?4 "
                    "AND ?5 ORDER BY abs(mtime - ?6), termine DESC, id")
                       .c_str());
    r.texte(1, archive).octets(2, nom).entier(3, taille);
    r.entier(4, mtime - kEcartMaxSecondes).entier(5, mtime + kEcartMaxSecondes).entier(6, mtime);
    while (r.pas() == SQLITE_ROW) {
        EntreeHistorique e = lireEntree(r);
        if (memeHeureAuFuseauPres(e.mtime, mtime))
            return e;
    }
    return std::nullopt;
}

bool HistoriqueImport::tailleConnue(const std::string& archive, std::int64_t taille) {
    Requete r(db_, "SELECT 1 FROM imports WHERE archive = ?1 AND taille = ?2 AND termine = 1 "
                   "LIMIT 1");
    r.texte(1, archive).entier(2, taille);
    return r.pas() == SQLITE_ROW;
}

bool HistoriqueImport::commencer(EntreeHistorique& e) {
    std::string destinations;
    for (const std::string& d : e.destinations)
        destinations += (destinations.empty() ? "" : "\n") + d;
    Requete r(db_, "INSERT INTO imports(archive, empreinte, taille, nom_source, mtime, "
                   "date_prise, modele, serie, decalage, chemin, destinations, termine) "
                   "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, 0)");
    r.texte(1, e.archive).texte(2, e.empreinte).entier(3, e.taille).octets(4, e.nomSource);
    r.entier(5, e.mtime).texte(6, e.datePrise).texte(7, e.modele).texte(8, e.serie);
    r.entier(9, e.decalage).octets(10, e.chemin).octets(11, destinations);
    if (r.pas() != SQLITE_DONE)
        return false;
    e.id = sqlite3_last_insert_rowid(db_);
    return true;
}

bool HistoriqueImport::terminer(const EntreeHistorique& e) {
    std::string destinations;
    for (const std::string& d : e.destinations)
        destinations += (destinations.empty() ? "" : "\n") + d;
    Requete r(db_, "UPDATE imports SET termine = 1, empreinte = ?2, date_prise = ?3, "
                   "decalage = ?4, destinations = ?5 WHERE id = ?1");
    r.entier(1, e.id).texte(2, e.empreinte).texte(3, e.datePrise).entier(4, e.decalage);
    r.octets(5, destinations);
    return r.pas() == SQLITE_DONE && sqlite3_changes(db_) == 1;
}

bool HistoriqueImport::oublier(std::int64_t id) {
    Requete r(db_, "DELETE FROM imports WHERE id = ?1 AND termine = 0");
    r.entier(1, id);
    return r.pas() == SQLITE_DONE;
}

std::vector<EntreeHistorique> HistoriqueImport::horsListe(const std::string& archive,
                                                          const std::string& destination) {
    std::vector<EntreeHistorique> out;
    Requete r(db_, (std::string(kColonnes) +
                    "WHERE archive = ?1 AND termine = 1 AND NOT EXISTS (SELECT 1 FROM listes "
                    "WHERE import = imports.id AND destination = ?2) ORDER BY id")
                       .c_str());
    r.texte(1, archive).octets(2, destination);
    while (r.pas() == SQLITE_ROW)
        out.push_back(lireEntree(r));
    return out;
}

bool HistoriqueImport::marquerListes(const std::vector<std::int64_t>& ids,
                                     const std::string& destination) {
    bool ok = sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
    for (std::int64_t id : ids) {
        Requete r(db_, "INSERT OR IGNORE INTO listes(import, destination) VALUES(?1, ?2)");
        r.entier(1, id).octets(2, destination);
        ok = ok && r.pas() == SQLITE_DONE;
    }
    return sqlite3_exec(db_, ok ? "COMMIT" : "ROLLBACK", nullptr, nullptr, nullptr) == SQLITE_OK &&
           ok;
}

} // namespace varlime
