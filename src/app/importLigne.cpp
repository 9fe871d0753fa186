// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/importLigne.h"

#include "core/messageFormat.h"
#include "i18n/uLocalization.h"
#include "platform/iniFile.h"

#include <atomic>
#include <chrono>
#include <csignal>

namespace varlime {

namespace {

// Where each camera's clock offset is kept, by model or body serial.
constexpr const char* kSectionDecalages = "DECALAGES_HORAIRES";

std::atomic<ImportCarte*> importEnCours{nullptr};
extern "C" void interrompreImport(int) {
    if (ImportCarte* i = importEnCours.load())
        i->arreter();
}

void erreur(std::ostream& err, std::string_view s) {
    err << "varlime: " << s << '\n';
}

// The text of a failure's reason ("kind:detail", as the engine gives it).
std::string texteRaison(const std::string& raison, const TextLookup& texte) {
    const auto deux = raison.find(':');
    const std::string genre = raison.substr(0, deux);
    const std::string detail = deux == std::string::npos ? std::string() : raison.substr(deux + 1);
    struct Genre {
        const char* genre;
        const char* cle;
        const char* defaut;
    };
    static constexpr Genre kGenres[] = {
        {"exists", "RSC_import_raison_existe", "un fichier de ce nom est déjà là : %s"},
        {"verify", "RSC_import_raison_relecture",
         "la relecture de %s diffère de la carte : la copie a été retirée"},
        {"read", "RSC_import_raison_lecture", "lecture de la carte impossible : %s"},
        {"write", "RSC_import_raison_ecriture", "écriture impossible : %s"},
        {"name", "RSC_import_raison_nom",
         "le système de fichiers de la destination refuse ce nom : %s"},
        {"mkdir", "RSC_import_raison_dossier", "dossier impossible à créer : %s"},
        {"changed", "RSC_import_raison_change", "le fichier a changé pendant la copie : %s"},
        {"history-write", "RSC_import_raison_historique",
         "l'historique n'a pas pu être écrit : %s"},
    };
    for (const Genre& g : kGenres)
        if (genre == g.genre)
            return formatMessage(texte(g.cle, g.defaut), {detail});
    return raison;
}

std::string marque(const FichierImport& f, const TextLookup& texte) {
    switch (f.marque) {
    case MarqueImport::DejaImporte:
        return texte("RSC_import_marque_deja", "[déjà importé]") + " " + f.deja;
    case MarqueImport::DoublonCarte:
        return texte("RSC_import_marque_doublon", "[doublon sur la carte]") + " " + f.deja;
    case MarqueImport::NomPris:
        return texte("RSC_import_marque_nom_pris", "[nom déjà pris]");
    case MarqueImport::AImporter:
        if (f.completer)
            return texte("RSC_import_marque_completer", "[à copier vers les sauvegardes]");
        break;
    }
    return f.sansDate() ? texte("RSC_import_marque_sans_date", "[sans date]") : std::string();
}

} // namespace

std::optional<std::string> lireOptionImport(const std::vector<std::string>& args, std::size_t& i,
                                            ArgumentsImport& a) {
    const std::string& nom = args[i];
    if (nom == "--move" || nom == "--preview") {
        (nom == "--move" ? a.options.deplacer : a.apercu) = true;
        return std::string();
    }
    static constexpr const char* kAvecValeur[] = {"--backup", "--folders", "--job", "--time-offset",
                                                  "--undated-folder"};
    if (std::find(std::begin(kAvecValeur), std::end(kAvecValeur), nom) == std::end(kAvecValeur))
        return std::nullopt;
    if (i + 1 >= args.size())
        return nom + " needs a value";
    const std::string& v = args[++i];
    if (nom == "--backup") {
        a.options.sauvegardes.push_back(v);
    } else if (nom == "--folders") {
        a.options.modeleDossiers = v;
    } else if (nom == "--job") {
        a.options.travail = v;
    } else if (nom == "--undated-folder") {
        if (v.empty() || v.find('/') != std::string::npos || v == "." || v == "..")
            return "--undated-folder expects a folder name, not '" + v + "'";
        a.options.dossierSansDate = v;
    } else {
        const auto d = lireDecalage(v);
        if (!d)
            return "--time-offset expects MODEL_OR_SERIAL=+HH:MM or =-HH:MM:SS, not '" + v + "'";
        a.options.decalages.push_back(*d);
    }
    return std::string();
}

int lancerImport(ArgumentsImport& a, const std::string& programFolder, std::ostream& out,
                 std::ostream& err) {
    Localization localization(programFolder);
    const TextLookup texte = lookupMessages(localization);
    OptionsImport& o = a.options;
    o.moisAbreges = moisAbregesDuSysteme();
    // The offsets given are kept for the next cards of those cameras; the stored ones
    // apply to the cameras not given.
    const ConfigFileLocation reglages = locateConfigFile(programFolder, "varlime.ini");
    const IniDocument ini = IniDocument::load(reglages.readPath);
    for (const std::string& appareil : ini.keys(kSectionDecalages)) {
        const auto d = lireDecalage(appareil + "=" + ini.read(kSectionDecalages, appareil, ""));
        const bool donne =
            std::any_of(o.decalages.begin(), o.decalages.end(),
                        [&](const DecalageHoraire& x) { return x.appareil == appareil; });
        if (d && !donne)
            o.decalages.push_back(*d);
    }
    if (!a.apercu)
        for (const DecalageHoraire& d : o.decalages)
            if (ini.read(kSectionDecalages, d.appareil, "") != texteDecalage(d.secondes))
                writeConfigValue(reglages, kSectionDecalages, d.appareil,
                                 texteDecalage(d.secondes));

    o.apercu = a.apercu;
    ImportCarte import(o);
    std::string refus;
    if (!import.planifier(&refus)) {
        const auto deux = refus.find(':');
        const std::string genre = refus.substr(0, deux), detail = refus.substr(deux + 1);
        if (genre == "history") {
            const auto ligne = detail.find('\n');
            erreur(err, formatMessage(texte("RSC_import_historique_endommage",
                                            "L'historique des imports %s ne peut pas être lu (%s) "
                                            ": l'import s'arrête. Il n'est pas recréé, pour ne "
                                            "pas importer de nouveau ce qui l'a déjà été ; "
                                            "réparez-le ou mettez-le de côté."),
                                      {detail.substr(0, ligne), detail.substr(ligne + 1)}));
        } else if (genre == "inside") {
            erreur(err, formatMessage(texte("RSC_import_destination_dans_source",
                                            "La destination %s et la carte %s se contiennent "
                                            "l'une l'autre."),
                                      {detail, o.source}));
        } else {
            erreur(err, "no such folder: " + detail);
        }
        return 1;
    }
    const PlanImport& plan = import.plan();
    if (a.apercu) {
        for (const FichierImport& f : plan.fichiers) {
            out << controlesVisibles(f.cheminSource(), true) << '\t'
                << controlesVisibles(f.cheminRelatif(), true);
            const std::string m = marque(f, texte);
            if (!m.empty())
                out << '\t' << controlesVisibles(m, true);
            out << '\n';
        }
        return 0;
    }
    importEnCours.store(&import);
    auto ancienInt = std::signal(SIGINT, interrompreImport);
    auto ancienTerm = std::signal(SIGTERM, interrompreImport);
    auto derniere = std::chrono::steady_clock::now() - std::chrono::seconds(10);
    SuiviImport suivi;
    suivi.progression = [&](const ProgressionImport& p) {
        const auto maintenant = std::chrono::steady_clock::now();
        if (maintenant - derniere < std::chrono::seconds(1) && !p.fichier.empty())
            return;
        derniere = maintenant;
        err << ligneProgression(p, texte) << '\n';
    };
    const BilanImport bilan = import.executer(suivi);
    std::signal(SIGINT, ancienInt);
    std::signal(SIGTERM, ancienTerm);
    importEnCours.store(nullptr);
    for (std::size_t k = 0; k < bilan.echecs.size(); ++k)
        erreur(err, formatMessage(texte("RSC_import_echec", "%s : %s"),
                                  {controlesVisibles(bilan.echecs[k], true),
                                   texteRaison(bilan.raisons[k], texte)}));
    if (!bilan.erreur.empty()) {
        const auto deux = bilan.erreur.find(':');
        const std::string genre = bilan.erreur.substr(0, deux),
                          detail = bilan.erreur.substr(deux + 1);
        if (genre == "full")
            erreur(err, formatMessage(texte("RSC_import_disque_plein",
                                            "Le disque %s est plein : l'import s'arrête."),
                                      {detail}));
        else
            erreur(err, formatMessage(texte("RSC_import_arret", "L'import s'arrête : %s"),
                                      {texteRaison(bilan.erreur, texte)}));
    }
    for (const std::string& l : lignesBilan(bilan, o.deplacer, texte))
        out << l << '\n';
    out.flush();
    return bilan.reussi() ? 0 : 3;
}

} // namespace varlime
