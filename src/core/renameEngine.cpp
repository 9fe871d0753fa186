#include "core/renameEngine.h"

#include "core/nameUtils.h"
#include "platform/fileSystem.h"

#include <QCollator>
#include <QLocale>
#include <QString>
#include <algorithm>
#include <numeric>

namespace varlime {

std::string nomAffichable(std::string_view octets) {
    const QByteArray bytes(octets.data(), qsizetype(octets.size()));
    const QString text = QString::fromUtf8(bytes);
    QByteArray back = text.toUtf8();
    if (back == bytes)
        return std::string(octets);
    return back.toStdString();
}

std::vector<FileRow> lignesTriees(std::vector<std::string> noms) {
    std::vector<FileRow> rows(noms.size());
    for (std::size_t i = 0; i < noms.size(); ++i) {
        std::string affiche = nomAffichable(noms[i]);
        if (affiche != noms[i])
            rows[i].brut = std::move(noms[i]);
        rows[i].ancien = std::move(affiche);
    }
    std::vector<std::size_t> order(rows.size());
    std::iota(order.begin(), order.end(), 0);
    const QLocale locale;
    if (locale.language() == QLocale::C) {
        // The C locale's collation ignores the case setting: fold the names ourselves.
        std::vector<QString> folded;
        folded.reserve(rows.size());
        for (const auto& r : rows)
            folded.push_back(QString::fromUtf8(r.ancien.data(), qsizetype(r.ancien.size())).toCaseFolded());
        std::stable_sort(order.begin(), order.end(),
                         [&](std::size_t a, std::size_t b) { return folded[a] < folded[b]; });
    } else {
        QCollator collator(locale);
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        collator.setNumericMode(false);
        // One sort key a name: comparing keys is far cheaper than collating every pair.
        std::vector<QCollatorSortKey> keys;
        keys.reserve(rows.size());
        for (const auto& r : rows)
            keys.push_back(
                collator.sortKey(QString::fromUtf8(r.ancien.data(), qsizetype(r.ancien.size()))));
        std::stable_sort(order.begin(), order.end(),
                         [&](std::size_t a, std::size_t b) { return keys[a].compare(keys[b]) < 0; });
    }
    std::vector<FileRow> sorted;
    sorted.reserve(rows.size());
    for (std::size_t i : order)
        sorted.push_back(std::move(rows[i]));
    return sorted;
}

bool Exploite_compteur(const PreviewOptions& options, std::string_view ancien) {
    if (options.nommageExif && options.exifSansCompteur)
        return false;
    // A keep-the-digits mask ("[*&N]") lets the old name's own digits serve as counter.
    if (Copie_droite(options.prefixe, 3) == "&N]" && Chaine_fini_numerique(Prefixe(ancien)))
        return false;
    if (options.compteurInactif)
        return false;
    return true;
}

void calculerNouveauxNoms(std::vector<FileRow>& rows, bool fichiersTrouves,
                          const PreviewOptions& options, const NamePartFn& partieNom) {
    if (!fichiersTrouves ||
        (options.prefixe.empty() && !options.nommageExif && !options.nommageDate)) {
        for (auto& r : rows)
            r.nouveau.clear();
        return;
    }
    long long valeur = static_cast<long long>(options.initialisation) - 1;
    std::string nom;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        FileRow& row = rows[i];
        std::string_view ext;
        std::string extPropre;
        if (options.extensionImposee) {
            extPropre = "." + options.extension;
        } else {
            const auto dot = row.ancien.rfind('.');
            if (dot != std::string::npos)
                ext = std::string_view(row.ancien).substr(dot);
        }
        nom = partieNom ? partieNom(i, row) : options.prefixe;
        const bool marque = Remplacement_indique_pas_varlime(nom);
        std::string compteur;
        if (!marque && Exploite_compteur(options, row.ancien)) {
            compteur = Maj_compteur(options.alphabetique, options.largeur, valeur);
            ++valeur;
        }
        if (marque) {
            ext = {};
            extPropre.clear();
        }
        std::string& out = row.nouveau;
        out.clear();
        if (options.compteurADroite) {
            out += nom;
            out += compteur;
        } else {
            out += compteur;
            out += nom;
        }
        out += options.extensionImposee ? std::string_view(extPropre) : ext;
    }
}

BilanRenommage renommerLignes(const std::string& dossier, const std::vector<FileRow>& rows) {
    BilanRenommage bilan;
    DossierOuvert d(dossier);
    for (const auto& row : rows) {
        if (Remplacement_indique_pas_varlime(row.nouveau))
            continue;
        if (row.ancien.empty() && row.brut.empty() && row.nouveau.empty())
            continue; // the empty row of an empty list
        if (d.ok() && renommerSansEcraserAt(d.fd(), row.ancienSurDisque(), row.nouveau) ==
                          ResultatRenommage::Renomme)
            ++bilan.renommes;
        else
            ++bilan.erreurs;
    }
    return bilan;
}

} // namespace varlime
