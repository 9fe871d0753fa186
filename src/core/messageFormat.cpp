// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/messageFormat.h"

#include "i18n/uLocalization.h"
#include "platform/iniFile.h"

#include <cerrno>
#include <span>
#include <vector>

namespace varlime {

QString formatMessage(const QString& format, std::initializer_list<QVariant> args) {
    const std::vector<QVariant> values(args);
    std::size_t next = 0;
    QString out;
    out.reserve(format.size() + 32);
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c != u'%' || i + 1 >= format.size()) {
            out += c;
            continue;
        }
        const QChar k = format[i + 1];
        if (k == u'%') {
            out += u'%';
            ++i;
        } else if ((k == u's' || k == u'd') && next < values.size()) {
            out += values[next++].toString();
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

namespace {

// Fills `format` from args[next...], moving `next` past the arguments used.
std::string remplir(std::string_view format, std::span<const std::string_view> args,
                    std::size_t& next) {
    std::string out;
    out.reserve(format.size() + 32);
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c != '%' || i + 1 >= format.size()) {
            out += c;
            continue;
        }
        const char k = format[i + 1];
        if (k == '%') {
            out += '%';
            ++i;
        } else if ((k == 's' || k == 'd') && next < args.size()) {
            out += args[next++];
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

std::string formatMessage(std::string_view format, std::initializer_list<std::string_view> args) {
    // Same rules as the QString version; the placeholders are ASCII, so the UTF-8
    // bytes of the other characters pass through unchanged.
    std::size_t next = 0;
    return remplir(format, std::span(args.begin(), args.size()), next);
}

std::string messageProblemeIni(const TextLookup& texte, const std::string& chemin,
                               const IniProblem& probleme) {
    switch (probleme.kind) {
    case IniProblem::Kind::TooLarge:
        return formatMessage(
            texte("RSC_msg_fichier_trop_grand", "Le fichier %s dépasse %d Ko : il n'a pas été lu."),
            {chemin, std::to_string(kIniMaxFileSize / 1024)});
    case IniProblem::Kind::NulByte:
        return formatMessage(texte("RSC_msg_valeur_caractere_nul",
                                   "Le fichier %s contient un caractère nul dans la clé %s de la "
                                   "section %s : cette valeur ne peut pas servir."),
                             {chemin, controlesVisibles(probleme.key, false),
                              controlesVisibles(probleme.section, false)});
    case IniProblem::Kind::None:
        break;
    }
    return {};
}

std::string texteErreurSysteme(const TextLookup& texte, int erreur) {
    struct Cause {
        int erreurs[3]; // unused places hold -1
        const char* cle;
        const char* defaut;
    };
    static const Cause causes[] = {
        {{EACCES, EPERM, -1}, "RSC_erreur_acces_refuse", "accès refusé"},
        {{EROFS, -1, -1}, "RSC_erreur_lecture_seule", "disque ou dossier en lecture seule"},
        {{EEXIST, ENOTEMPTY, -1}, "RSC_erreur_nom_pris", "le nom est déjà pris"},
        {{ENOENT, -1, -1}, "RSC_erreur_introuvable", "fichier ou dossier introuvable"},
        {{ENOTDIR, -1, -1}, "RSC_erreur_pas_un_dossier", "ce n'est pas un dossier"},
        {{EISDIR, -1, -1}, "RSC_erreur_est_un_dossier", "c'est un dossier"},
        {{ENOSPC, EDQUOT, -1}, "RSC_erreur_disque_plein", "disque plein"},
        {{EFBIG, -1, -1}, "RSC_erreur_trop_grand", "fichier trop grand pour ce disque"},
        {{ENAMETOOLONG, -1, -1}, "RSC_erreur_nom_trop_long", "nom trop long"},
        {{EINVAL, -1, -1}, "RSC_erreur_nom_invalide", "nom non valide"},
        {{EBUSY, ETXTBSY, -1}, "RSC_erreur_occupe", "fichier en cours d'utilisation"},
        {{EIO, -1, -1}, "RSC_erreur_entree_sortie", "erreur de lecture ou d'écriture du disque"},
        {{EXDEV, -1, -1}, "RSC_erreur_autre_disque", "le fichier est sur un autre disque"},
        {{ELOOP, -1, -1}, "RSC_erreur_liens", "trop de liens symboliques"},
        {{EMFILE, ENFILE, ENOMEM}, "RSC_erreur_ressources", "ressources du système épuisées"},
        {{ENODEV, ENXIO, -1}, "RSC_erreur_appareil_absent", "appareil absent ou retiré"},
    };
    for (const Cause& c : causes)
        for (const int e : c.erreurs)
            if (e == erreur)
                return texte(c.cle, c.defaut);
    return formatMessage(texte("RSC_erreur_systeme", "erreur système %s"),
                         {std::to_string(erreur)});
}

std::vector<std::string> formattedLines(std::string_view format,
                                        std::initializer_list<std::string_view> args) {
    std::vector<std::string> lignes = messageLines(format);
    std::size_t next = 0;
    for (std::string& l : lignes)
        l = remplir(l, std::span(args.begin(), args.size()), next);
    return lignes;
}

std::string controlesVisibles(std::string_view s, bool doublerBarres) {
    std::string out;
    out.reserve(s.size());
    for (const char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\\' && doublerBarres)
            out += "\\\\";
        else if (u < 0x20 || u == 0x7F) {
            static constexpr char kHex[] = "0123456789ABCDEF";
            out += "\\x";
            out += kHex[u >> 4];
            out += kHex[u & 0xF];
        } else
            out += c;
    }
    return out;
}

TextLookup lookupMessages(Localization& localization) {
    return [&localization](std::string_view key, std::string_view defaut) {
        return localization.GetLangText("MESSAGES", key, defaut);
    };
}

TextLookup defaultMessages() {
    return [](std::string_view, std::string_view defaut) { return std::string(defaut); };
}

std::vector<std::string> messageLines(std::string_view text) {
    std::vector<std::string> lines;
    std::string current;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(current);
            current.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            continue;
        }
        current += c;
    }
    lines.push_back(current);
    return lines;
}

} // namespace varlime
