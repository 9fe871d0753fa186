// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Headless.h"
#include "app/importLigne.h"
#include "app/usage.h"

#include "core/dateFormats.h"
#include "core/messageFormat.h"
#include "core/nameUtils.h"
#include "core/renameEngine.h"
#include "exif/exifDump.h"
#include "exif_naming/composeurExif.h"
#include "i18n/uLocalization.h"
#include "imaging/chargementImage.h"
#include "imaging/rotation.h"
#include "imaging/ui/chargeurQt.h"
#include "naming/chaineNommage.h"
#include "naming/reglagesNommage.h"
#include "platform/fileSystem.h"
#include "platform/iniFile.h"
#include "transfer/transfert.h"

#include <QDate>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <functional>
#include <optional>
#include <ostream>
#include <sys/stat.h>

namespace varlime {

namespace {

// The date picker's range: a fixed date outside it could never be chosen in the window.
const QDate kPremiereDate(1752, 9, 14);
const QDate kDerniereDate(9999, 12, 31);
// The initial value field holds at most this many characters.
constexpr std::size_t kLongueurInitialisation = 8;

void erreur(std::ostream& err, std::string_view s) {
    err << "varlime: " << s << '\n';
}

std::string sansCrLf(std::string s) {
    for (std::size_t p; (p = s.find("\r\n")) != std::string::npos;)
        s.erase(p, 1);
    return s;
}

struct Contexte {
    OptionsNommage options;
    std::string largeur;           // the width as text: a stored one may be no number
    std::optional<QDate> dateFixe; // --date-prefix fixed
    bool datePrefixe = false;
};

struct Option {
    const char* name;
    bool takesValue;
    // Sets the options; returns an error text, empty when the value is fine.
    std::function<std::string(Contexte&, const std::string&)> apply;
};

std::string entier(const std::string& v, int min, int max, int& out, const char* what) {
    if (!toInteger(v, out) || out < min || out > max)
        return std::string(what) + " expects a number from " + std::to_string(min) + " to " +
               std::to_string(max) + ", not '" + v + "'";
    return {};
}

const std::vector<Option>& options() {
    static const std::vector<Option> table = {
        {"--mask", true,
         [](Contexte& c, const std::string& v) {
             c.options.masqueRecherche = v;
             return std::string();
         }},
        {"--prefix", true,
         [](Contexte& c, const std::string& v) {
             c.options.prefixe = v;
             return std::string();
         }},
        {"--width", true,
         [](Contexte& c, const std::string& v) {
             int w = 0;
             auto problem = entier(v, kLargeurCompteurMin, kLargeurCompteurMax, w, "--width");
             c.largeur = std::to_string(w);
             return problem;
         }},
        {"--start", true,
         [](Contexte& c, const std::string& v) {
             if (v.size() > kLongueurInitialisation)
                 return "--start takes at most " + std::to_string(kLongueurInitialisation) +
                        " characters, as the field does, not '" + v + "'";
             if (!toInteger(v, c.options.initialisation))
                 return "--start expects a whole number, not '" + v + "'";
             return std::string();
         }},
        {"--counter-left", false,
         [](Contexte& c, const std::string&) {
             c.options.compteurADroite = false;
             return std::string();
         }},
        {"--alphabetic", false,
         [](Contexte& c, const std::string&) {
             c.options.alphabetique = true;
             return std::string();
         }},
        {"--extension", true,
         [](Contexte& c, const std::string& v) {
             c.options.extensionImposee = true;
             c.options.extension = v;
             return std::string();
         }},
        {"--files", true,
         [](Contexte& c, const std::string& v) {
             if (v == "all") {
                 c.options.attributs = attrTous;
             } else if (v == "no-folders") {
                 c.options.attributs = attrTous & ~attrRepertoire;
             } else if (v.starts_with("attributes=")) {
                 return entier(v.substr(11), 0, attrTous, c.options.attributs,
                               "--files attributes=N");
             } else {
                 return "--files expects all, no-folders or attributes=N, not '" + v + "'";
             }
             return std::string();
         }},
        {"--date-prefix", true,
         [](Contexte& c, const std::string& v) {
             if (v == "file") {
                 c.options.dateFichier = true;
             } else if (v == "fixed" || v.starts_with("fixed:")) {
                 // "fixed" alone is today's date (VARLIME_TODAY fixes it for tests).
                 const QDate date = v == "fixed" ? dateDuJour() : dateDepuisTexte(v.substr(6));
                 if (!date.isValid() || date < kPremiereDate || date > kDerniereDate)
                     return "--date-prefix fixed:YYYY-MM-DD expects a real date from 1752-09-14 "
                            "to 9999-12-31, not '" +
                            v.substr(std::min<std::size_t>(v.size(), 6)) + "'";
                 c.dateFixe = date;
                 c.options.dateFichier = false;
             } else {
                 return "--date-prefix expects file or fixed:YYYY-MM-DD, not '" + v + "'";
             }
             c.datePrefixe = true;
             c.options.datePrefixe = true;
             return std::string();
         }},
        {"--date-format", true,
         [](Contexte& c, const std::string& v) {
             return entier(v, 0, 7, c.options.formatDate, "--date-format");
         }},
        {"--date-separator", true,
         [](Contexte& c, const std::string& v) {
             c.options.separateur = {true, v};
             return std::string();
         }},
        {"--no-date-separator", false,
         [](Contexte& c, const std::string&) {
             c.options.separateur.coche = false;
             return std::string();
         }},
        {"--counter-inactive", false,
         [](Contexte& c, const std::string&) {
             c.options.compteurInactif = true;
             return std::string();
         }},
        {"--counter-active", false,
         [](Contexte& c, const std::string&) {
             c.options.compteurInactif = false;
             return std::string();
         }},
        {"--exif", true,
         [](Contexte& c, const std::string& v) {
             // Items in naming order, each once, as the dialog's boxes allow.
             c.options.exif.actif = true;
             c.options.exif.ordre.clear();
             // An empty list is allowed: the name is then the counter alone.
             std::size_t debut = v.empty() ? 1 : 0;
             while (debut <= v.size()) {
                 const auto fin = std::min(v.find(',', debut), v.size());
                 const std::string mot = v.substr(debut, fin - debut);
                 const DescriptionItem* trouve = nullptr;
                 for (const DescriptionItem& d : kItemsExif)
                     if (mot == d.motCle)
                         trouve = &d;
                 if (!trouve)
                     return "--exif expects a comma list of free, make, model, date, time, "
                            "aperture, exposure, focal, focal35, owner, not '" +
                            mot + "'";
                 for (ItemExif deja : c.options.exif.ordre)
                     if (deja == trouve->item)
                         return "--exif names " + mot + " twice";
                 c.options.exif.ordre.push_back(trouve->item);
                 debut = fin + 1;
             }
             return std::string();
         }},
        {"--canon-raw", false,
         [](Contexte& c, const std::string&) {
             appliquerRawCanon(c.options);
             return std::string();
         }},
        {"--associate", true,
         [](Contexte& c, const std::string& v) {
             const auto deux = v.find(':');
             if (deux == std::string::npos || deux == 0 || deux + 1 == v.size() ||
                 v.find(':', deux + 1) != std::string::npos)
                 return "--associate expects TARGET:SOURCE, two extensions without the dot "
                        "(for example AVI:THM), not '" +
                        v + "'";
             appliquerAssociation(c.options, v.substr(0, deux), v.substr(deux + 1));
             return std::string();
         }},
        {"--free-text", true,
         [](Contexte& c, const std::string& v) {
             c.options.exif.zoneLibre = v;
             return std::string();
         }},
        {"--item-separator", true,
         [](Contexte& c, const std::string& v) {
             c.options.exif.separateurInfoCoche = true;
             c.options.exif.separateurInfo = v;
             return std::string();
         }},
        {"--no-item-separator", false,
         [](Contexte& c, const std::string&) {
             c.options.exif.separateurInfoCoche = false;
             return std::string();
         }},
        {"--final-separator", true,
         [](Contexte& c, const std::string& v) {
             c.options.exif.separateurFinalCoche = true;
             c.options.exif.separateurFinal = v;
             return std::string();
         }},
        {"--no-final-separator", false,
         [](Contexte& c, const std::string&) {
             c.options.exif.separateurFinalCoche = false;
             return std::string();
         }},
        {"--no-counter", false,
         [](Contexte& c, const std::string&) {
             c.options.exif.sansCompteur = true;
             return std::string();
         }},
        {"--keep-counter", false,
         [](Contexte& c, const std::string&) {
             c.options.exif.garderCompteur = true;
             return std::string();
         }},
        {"--aperture-format", true,
         [](Contexte& c, const std::string& v) {
             return entier(v, 0, 1, c.options.exif.formatOuverture, "--aperture-format");
         }},
        {"--exposure-format", true,
         [](Contexte& c, const std::string& v) {
             return entier(v, 0, 1, c.options.exif.formatExposition, "--exposure-format");
         }},
        {"--time-format", true,
         [](Contexte& c, const std::string& v) {
             return entier(v, 0, 2, c.options.formatHeure, "--time-format");
         }},
    };
    return table;
}

const Option* trouverOption(std::string_view name) {
    for (const Option& o : options())
        if (name == o.name)
            return &o;
    return nullptr;
}

constexpr std::string_view kCommandes[] = {"--preview",  "--test",   "--rename",
                                           "--dump",     "--undo",   "--history",
                                           "--transfer", "--render", "--import"};

// The options the settings file keeps, read as the window reads them at start; a stored
// text that is no number ends the read, as it does in the window.
// A settings or language file that was not read whole is told, with its path and key;
// the command goes on with what could be read.
std::optional<std::string> lireParametres(const std::string& programFolder, Contexte& c,
                                          std::ostream& err) {
    const std::string chemin = configFilePath(programFolder, "varlime.ini");
    const IniDocument ini = IniDocument::load(chemin);
    {
        Localization localization(programFolder);
        const TextLookup texte = lookupMessages(localization);
        for (const std::string& m :
             avertissementsFichiers(texte, chemin, ini.problem(), localization))
            erreur(err, m);
    }
    // The item list is the --exif option's, and EXIF naming itself is never stored.
    return lireReglagesNommage(ini, c.options, c.largeur);
}

// `--dump FILE...`: for each file in turn, the lines the EXIF dump window shows for
// it. A file that is missing or cannot be read still gets its dump (with the
// reader's outcome); the status is then 1. Each path is opened exactly as given.
int executerDump(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() < 3) {
        erreur(err, "--dump needs at least one FILE");
        return 2;
    }
    TimgData reader;
    int status = 0;
    for (std::size_t i = 2; i < args.size(); ++i) {
        for (const std::string& line : DumpExifFile(reader, args[i]))
            out << line << '\n';
        if (reader.ErrorText.empty() || reader.ErrorText == "Illegal Exif construction")
            status = 1;
    }
    return status;
}

// `--render FILE OUT.png [--width N]`: the picture as the viewer shows it (through
// the imaging library when it loads, upright, its own pixels and never a smaller copy
// stored beside them), shrunk or stretched to N pixels across when asked, written as
// PNG. A result beyond the pictures' memory budget is refused as unreadable. The file
// itself is only read.
int executerRendu(const std::vector<std::string>& args, const std::string& programFolder,
                  std::ostream& err) {
    int largeur = 0;
    if (args.size() == 6 && args[4] == "--width") {
        if (!toInteger(args[5], largeur) || largeur < 1 || largeur > kLargeurRenduMax) {
            erreur(err, "--width needs a number from 1 to " + std::to_string(kLargeurRenduMax));
            return 2;
        }
    } else if (args.size() != 4) {
        erreur(err, "--render needs FILE OUT.png, then --width N or nothing");
        return 2;
    }
    Localization localization(programFolder);
    const TextLookup texte = lookupMessages(localization);
    const std::string& fichier = args[2];
    LibGfl bibliotheque;
    TimgData reader;
    const ImageChargee image = rendreImage(&bibliotheque, reader, fichier, largeur, chargerAvecQt);
    if (image.profondeurRefusee)
        erreur(err, texte("RSC_msg_bpp_non_supporte", kMessageProfondeur));
    bibliotheque.Cloturer_DLL_LibGfl();
    if (image.pixels.vide()) {
        erreur(err, formatMessage(texte("RSC_msg_image_non_affichable", kMessageNonAffichable),
                                  {fichier}));
        return 1;
    }
    if (!ecrirePng(image.pixels, args[3])) {
        erreur(err, "cannot write " + args[3]);
        return 1;
    }
    return 0;
}

// `--undo FOLDER` and `--history FOLDER`: the journaled runs of a folder.
int executerJournal(const std::vector<std::string>& args, const std::string& programFolder,
                    std::ostream& out, std::ostream& err) {
    const std::string& dossier = args[2];
    if (args.size() > 3) {
        err << texteOptionInconnue(args[3]);
        return 2;
    }
    DossierListe d;
    if (!Chemin_valide(dossier) || !d.ouvrir(dossier)) {
        erreur(err, "no such folder: " + dossier);
        return 1;
    }
    const std::string journaux = dossierJournaux();
    Localization localization(programFolder);
    const TextLookup texte = lookupMessages(localization);
    auto tropGrand = [&](const std::string& chemin) {
        erreur(err, formatMessage(texte("RSC_msg_journal_trop_grand", kMessageJournalTropGrand),
                                  {nomAffichable(chemin)}));
    };
    if (args[1] == "--history") {
        for (const JournalLu& j : journauxDuDossier(journaux, identiteDossier(d.fd()))) {
            if (j.tropGrand) {
                tropGrand(j.fichier);
                continue;
            }
            out << j.debut << '\t'
                << formatMessage(texte("RSC_msg_historique_ligne", "%d fichiers varlimés sur %d"),
                                 {std::to_string(j.faits()), std::to_string(j.lignes.size())})
                << (j.annulation ? "\t" + texte("RSC_msg_historique_annulation", "annulation") : "")
                << (j.termine ? "" : "\t" + texte("RSC_msg_historique_interrompu", "interrompu"))
                << '\n';
        }
        return 0;
    }
    auto plan = planAnnulation(d, journaux);
    // The command only ever goes back: after an undo that brought every file back,
    // there is nothing left to undo (the window asks before making the run again).
    if (plan && plan->journalTropGrand.empty() && plan->sens == PlanAnnulation::Sens::Refaire)
        plan.reset();
    if (const auto refus = refusAnnulation(texte, plan, dossier)) {
        erreur(err, refus->message);
        return 1;
    }
    const BilanRenommage bilan = annuler(d, *plan, journaux);
    const CompteRendu compte = compteRenduAnnulation(texte, *plan, bilan, dossier);
    if (!compte.fait) {
        erreur(err, compte.message);
        return 1;
    }
    out << sansCrLf(compte.message) << '\n';
    return bilan.erreurs == 0 ? 0 : 3;
}

// What the progress window and the message boxes show, as lines of text.
class SortieConsole : public SortieTransfert {
public:
    explicit SortieConsole(std::ostream& out) : out_(out) {}
    void basculerBoutons(bool) override {}
    void initialiserMessage(const std::string& titre) override { out_ << titre << '\n'; }
    void afficherAvancement(int, const std::string& ligne) override { out_ << ligne << '\n'; }
    void fermer() override { out_.flush(); }
    void afficherMessage(const std::string& texte) override { out_ << sansCrLf(texte) << '\n'; }
    void recompter() override {}

private:
    std::ostream& out_;
};

// Ctrl+C or a polite kill asks the run to stop before its next file, as the Interrupt
// button does, so no file is left half copied and nothing unverified is deleted.
std::atomic<TransfertPhotos*> transfertEnCours{nullptr};
extern "C" void interrompreTransfert(int) {
    if (TransfertPhotos* t = transfertEnCours.load())
        t->interrompre();
}

// `--transfer SOURCE TARGET [--move]`: the transfer dialog's copy or move run.
int executerTransfert(const std::vector<std::string>& args, const std::string& programFolder,
                      std::ostream& out, std::ostream& err) {
    bool deplacement = false;
    if (args.size() == 5 && args[4] == "--move")
        deplacement = true;
    else if (args.size() != 4) {
        erreur(err, "--transfer needs SOURCE TARGET, then --move or nothing");
        return 2;
    }
    Localization localization(programFolder);
    const TextLookup texte = lookupMessages(localization);
    const std::string &source = args[2], &cible = args[3];
    if (const RefusTransfert r = verifierDossiers(source, cible); r != RefusTransfert::Aucun) {
        erreur(err, messageRefus(r, texte));
        return 1;
    }
    const bool apn = Dcim(source);
    const std::string total = std::to_string(Comptabilise_fichiers(apn, source, apn));
    TransfertPhotos transfert(source, cible, deplacement);
    SortieConsole sortie(out);
    transfertEnCours.store(&transfert);
    auto ancienInt = std::signal(SIGINT, interrompreTransfert);
    auto ancienTerm = std::signal(SIGTERM, interrompreTransfert);
    const BilanTransfert bilan = transfert.executer(total, texte, sortie);
    std::signal(SIGINT, ancienInt);
    std::signal(SIGTERM, ancienTerm);
    transfertEnCours.store(nullptr);
    out.flush();
    return bilan.reussi(deplacement) ? 0 : 3;
}

// The naming options from args[debut] on, over the stored ones, with the modes' rewrites
// of the prefix; `autre` takes the arguments that are no naming option (the import's
// own), moving `i` past a value, and returns an error text, or nothing when the argument
// is not its own either. Returns 0, or the exit status of a bad command line.
int lireOptions(const std::vector<std::string>& args, std::size_t debut, Contexte& c,
                std::ostream& err,
                const std::function<std::optional<std::string>(std::size_t&)>& autre) {
    for (std::size_t i = debut; i < args.size(); ++i) {
        const Option* o = trouverOption(args[i]);
        // The switches of the stored boxes come with the settings table.
        if (!o && appliquerInterrupteur(args[i], c.options))
            continue;
        if (!o) {
            const auto probleme = autre ? autre(i) : std::nullopt;
            if (!probleme) {
                err << texteOptionInconnue(args[i]);
                return 2;
            }
            if (!probleme->empty()) {
                erreur(err, *probleme);
                return 2;
            }
            continue;
        }
        std::string value;
        if (o->takesValue) {
            if (i + 1 >= args.size()) {
                erreur(err, args[i] + " needs a value");
                return 2;
            }
            value = args[++i];
        }
        const std::string problem = o->apply(c, value);
        if (!problem.empty()) {
            erreur(err, problem);
            return 2;
        }
    }
    OptionsNommage& o = c.options;
    if (!toInteger(c.largeur, o.largeur)) {
        erreur(err, messageValeurNonEntiere(c.largeur));
        return 1;
    }
    // The modes rewrite the prefix as their dialogs do: a fixed date becomes the prefix
    // text, the file's date leaves it empty, and EXIF naming leaves every other mode.
    if (c.datePrefixe) {
        if (c.dateFixe)
            appliquerDateFixe(o, *c.dateFixe);
        else
            appliquerDateFichier(o);
    }
    appliquerModeExif(o);
    return 0;
}

// `--import SOURCE ARCHIVE [options]`: a card into the archive and its backups.
int executerImport(const std::vector<std::string>& args, const std::string& programFolder,
                   std::ostream& out, std::ostream& err) {
    if (args.size() < 4 || args[2].starts_with("--") || args[3].starts_with("--")) {
        erreur(err, "--import needs SOURCE ARCHIVE");
        return 2;
    }
    Contexte c;
    if (const auto refus = lireParametres(programFolder, c, err)) {
        erreur(err, messageValeurNonEntiere(*refus));
        return 1;
    }
    ArgumentsImport a;
    a.options.source = args[2];
    a.options.archive = args[3];
    if (const int statut = lireOptions(
            args, 4, c, err, [&](std::size_t& i) { return lireOptionImport(args, i, a); }))
        return statut;
    a.options.nommage = c.options;
    return lancerImport(a, programFolder, out, err);
}

} // namespace

bool estCommandeSansFenetre(const std::vector<std::string>& args) {
    if (args.size() < 2)
        return false;
    for (std::string_view c : kCommandes)
        if (args[1] == c)
            return true;
    return false;
}

int executerSansFenetre(const std::vector<std::string>& args, const std::string& programFolder,
                        std::ostream& out, std::ostream& err) {
    if (!estCommandeSansFenetre(args)) {
        erreur(err, "unknown command");
        return 2;
    }
    const std::string& commande = args[1];
    if (commande == "--dump")
        return executerDump(args, out, err);
    if (commande == "--transfer")
        return executerTransfert(args, programFolder, out, err);
    if (commande == "--render")
        return executerRendu(args, programFolder, err);
    if (commande == "--import")
        return executerImport(args, programFolder, out, err);
    if (args.size() < 3 || args[2].starts_with("--")) {
        erreur(err, commande + " needs a FOLDER");
        return 2;
    }
    if (commande == "--undo" || commande == "--history")
        return executerJournal(args, programFolder, out, err);
    // The stored options first, as a window's activation applies them; the command
    // line then changes them, and nothing is written back.
    Contexte c;
    if (const auto refus = lireParametres(programFolder, c, err)) {
        erreur(err, messageValeurNonEntiere(*refus));
        return 1;
    }
    if (const int statut = lireOptions(args, 3, c, err, {}))
        return statut;
    OptionsNommage& o = c.options;
    const std::string& dossier = args[2];
    ChaineNommage chaine;
    chaine.options() = o;
    chaine.journaux() = dossierJournaux();
    if (!Chemin_valide(dossier) || !chaine.lister(dossier)) {
        erreur(err, "no such folder: " + dossier);
        return 1;
    }
    // A run without a window answers the list check's question with yes: files
    // without EXIF keep their marker row and are never renamed.
    if (chaine.options().exif.actif)
        chaine.precharger();
    chaine.calculer();
    Localization localization(programFolder);
    const TextLookup texte = lookupMessages(localization);
    if (commande == "--preview") {
        if (!chaine.fichiersTrouves())
            return 0;
        for (const FileRow& r : chaine.lignes()) {
            out << controlesVisibles(r.ancienSurDisque(), true) << '\t'
                << controlesVisibles(r.nouveau, true);
            // The sidecars renamed with the row follow on its line, two fields each.
            for (const auto& [ancien, nouveau] : annexesARenommer(r))
                out << '\t' << controlesVisibles(ancien, true) << '\t'
                    << controlesVisibles(nouveau, true);
            out << '\n';
        }
        return 0;
    }
    if (commande == "--test") {
        // The report of the test before renaming, one line each; nothing changes.
        for (const std::string& l : chaine.tester(texte).lignes)
            out << controlesVisibles(l, true) << '\n';
        return 0;
    }
    // --rename: the run after a Yes.
    const BilanRenommage bilan = chaine.renommer();
    const CompteRendu compte = compteRenduRenommage(texte, bilan, dossier);
    if (!compte.fait) {
        erreur(err, compte.message);
        return 1;
    }
    out << sansCrLf(compte.message) << '\n';
    // Files without a date were left aside, neither renamed nor failed: said apart.
    const auto sansDate =
        std::count_if(chaine.lignes().begin(), chaine.lignes().end(), [](const FileRow& r) {
            return !r.ancien.empty() && r.nouveau == kNonVarlimeSansDate;
        });
    if (sansDate > 0)
        out << sansCrLf(formatMessage(texte("RSC_msg_bilan_sans_date",
                                            "%d fichiers sans date de prise de vue non varlimés"),
                                      {std::to_string(sansDate)}))
            << '\n';
    return bilan.erreurs == 0 ? 0 : 3;
}

} // namespace varlime
