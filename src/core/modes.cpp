// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/modes.h"

#include <QString>

namespace varlime {

Mode Retourner_statut(const EntreesStatut& e) {
    if (e.exif) {
        if (e.association)
            return Mode::Association;
        if (e.rawCanon)
            return Mode::RawCanon;
        return Mode::Exif;
    }
    if (!e.champPrefixe.empty() && e.champPrefixe.front() == '[')
        return Mode::Masque;
    if (e.datePrefixe && e.dateFichier)
        return Mode::DateCreation;
    return Mode::Normal;
}

std::string_view cleStatut(Mode m) {
    switch (m) {
    case Mode::Exif:
        return "RSC_statut_exif";
    case Mode::RawCanon:
        return "RSC_statut_raw_canon";
    case Mode::Masque:
        return "RSC_statut_masque";
    case Mode::DateCreation:
        return "RSC_statut_date_creation";
    case Mode::Association:
        return "RSC_statut_association";
    case Mode::Normal:
        break;
    }
    return "RSC_statut_normal";
}

std::string_view texteStatutDefaut(Mode m) {
    switch (m) {
    case Mode::Exif:
        return "Mode EXIF";
    case Mode::RawCanon:
        return "Mode Raw Canon";
    case Mode::Masque:
        return "Mode MASQUE";
    case Mode::DateCreation:
        return "Mode Date de création";
    case Mode::Association:
        return "Mode association de fichiers ";
    case Mode::Normal:
        break;
    }
    return "Mode NORMAL";
}

std::string Nom_statut(Mode m, const TextLookup& texte) {
    return texte(cleStatut(m), texteStatutDefaut(m));
}

std::string Texte_statut(Mode m, const TextLookup& texte, std::string_view extension1,
                         std::string_view extension2) {
    std::string s = Nom_statut(m, texte);
    if (m == Mode::Association) {
        auto majuscules = [](std::string_view x) {
            return QString::fromUtf8(x.data(), static_cast<qsizetype>(x.size()))
                .toUpper()
                .toStdString();
        };
        s += " " + majuscules(extension1) + " et " + majuscules(extension2) + " (EXIF)";
    }
    return s;
}

bool Doit_proposer_sortie(Mode dernier, Mode propre) {
    return dernier != Mode::Normal && dernier != propre;
}

} // namespace varlime
