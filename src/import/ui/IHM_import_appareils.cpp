// SPDX-License-Identifier: GPL-3.0-or-later
// The import window's cameras: each camera of the card with its shots and their time
// span, its clock offset typed in the table or dragged on the time axis.
#include "import/ui/IHM_import.h"

#include "core/messageFormat.h"
#include "import/ui/ArbreImport.h"
#include "import/ui/FriseAppareils.h"
#include "platform/texteQt.h"
#include "platform/ui/Controls.h"
#include "platform/ui/MessageService.h"
#include "platform/ui/ServicesFenetre.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>
#include <map>

namespace varlime {

namespace {

// A camera is told apart by its body's serial when it has one, else by its model.
const std::string& cleAppareil(const FichierImport& f) {
    return f.serie.empty() ? f.modele : f.serie;
}

} // namespace

QWidget* TDLG_import::construireAppareils() {
    auto* boite =
        control<QGroupBox>("GRB_appareils", QStringLiteral("Appareils et horloges"), this);
    auto* l = new QVBoxLayout(boite);
    TBL_appareils = new QTableWidget(0, 7, boite);
    TBL_appareils->setObjectName(QStringLiteral("TBL_appareils"));
    TBL_appareils->setHorizontalHeaderLabels({texte("RSC_import_appareil_marque", "Marque"),
                                              texte("RSC_import_appareil_modele", "Modèle"),
                                              texte("RSC_import_appareil_boitier", "N° de boîtier"),
                                              texte("RSC_import_appareil_nombre", "Prises"),
                                              texte("RSC_import_appareil_premiere", "Première"),
                                              texte("RSC_import_appareil_derniere", "Dernière"),
                                              texte("RSC_import_appareil_decalage", "Décalage")});
    TBL_appareils->verticalHeader()->setVisible(false);
    TBL_appareils->horizontalHeader()->setStretchLastSection(true);
    // Two cameras show without scrolling, even on a short screen.
    TBL_appareils->setMinimumHeight(TBL_appareils->horizontalHeader()->sizeHint().height() +
                                    3 * TBL_appareils->verticalHeader()->defaultSectionSize());
    FRI_appareils = new FriseAppareils(boite);
    FRI_appareils->setObjectName(QStringLiteral("FRI_appareils"));
    l->addWidget(TBL_appareils, 1);
    auto* aide = control<QLabel>("LBL_frise",
                                 QStringLiteral("Glissez la ligne d'un appareil pour régler son "
                                                "horloge, ou tapez le décalage (+01:00)."),
                                 boite);
    aide->setWordWrap(true);
    l->addWidget(aide);
    l->addWidget(FRI_appareils);
    return boite;
}

void TDLG_import::remplirAppareils() {
    struct Appareil {
        FichierImport premier;
        int nombre = 0;
        std::optional<QDateTime> debut, fin;
    };
    std::map<std::string, Appareil> parCle;
    const PlanImport& plan = arbre_->plan();
    for (std::size_t i = 0; i < plan.fichiers.size(); ++i) {
        const FichierImport& f = plan.fichiers[i];
        if (f.photo != kSansPhoto || (f.modele.empty() && f.serie.empty()))
            continue;
        Appareil& a = parCle[cleAppareil(f)];
        if (a.nombre++ == 0)
            a.premier = f;
        if (const auto& d = arbre_->dateAffichee(i)) {
            if (!a.debut || *d < *a.debut)
                a.debut = d;
            if (!a.fin || *d > *a.fin)
                a.fin = d;
        }
    }
    const QSignalBlocker b(TBL_appareils);
    TBL_appareils->setRowCount(int(parCle.size()));
    cles_.clear();
    int r = 0;
    const auto heure = [](const std::optional<QDateTime>& d) {
        return d ? d->toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : QString();
    };
    for (const auto& [cle, a] : parCle) {
        cles_.push_back(cle);
        const QStringList cellules{qs(a.premier.fabricant),
                                   qs(a.premier.modele),
                                   qs(a.premier.serie),
                                   QString::number(a.nombre),
                                   heure(a.debut),
                                   heure(a.fin),
                                   qs(texteDecalage(modele_.decalage(cle)))};
        for (int k = 0; k < cellules.size(); ++k) {
            auto* item = new QTableWidgetItem(cellules[k]);
            if (k != 6)
                item->setFlags(item->flags() & ~Qt::ItemIsEditable);
            TBL_appareils->setItem(r, k, item);
        }
        ++r;
    }
    TBL_appareils->resizeColumnsToContents();
}

void TDLG_import::remplirFrise() {
    // The rows in the order of the cameras' list (by key), which a drag names by rank.
    std::map<std::string, FriseAppareils::Rang> rangs;
    for (const FichierImport& f : arbre_->plan().fichiers) {
        if (f.photo != kSansPhoto || (f.modele.empty() && f.serie.empty()))
            continue;
        auto [it, nouveau] = rangs.try_emplace(cleAppareil(f));
        FriseAppareils::Rang& r = it->second;
        if (nouveau) {
            r.nom = qs(f.modele.empty() ? f.serie : f.modele);
            r.decalage = modele_.decalage(it->first);
        }
        // The plan's dates are the camera's wall clock, kept as UTC.
        if (f.datePrise)
            r.instants.push_back(f.datePrise->toSecsSinceEpoch() - f.decalage);
    }
    std::vector<FriseAppareils::Rang> liste;
    for (auto& [cle, r] : rangs)
        liste.push_back(std::move(r));
    FRI_appareils->definir(std::move(liste));
}

void TDLG_import::decalageSaisi(int ligne, int colonne) {
    if (colonne != 6 || ligne < 0 || ligne >= int(cles_.size()))
        return;
    const QString t = TBL_appareils->item(ligne, colonne)->text().trimmed();
    const auto d = lireDecalage("x=" + (t.isEmpty() ? std::string("+00:00") : t.toStdString()));
    if (!d) {
        app_.messages().warning(
            qs(formatMessage(texte("RSC_import_decalage_invalide",
                                   "« %s » n'est pas un décalage : tapez par exemple +01:00 ou "
                                   "-00:05:30.")
                                 .toStdString(),
                             {t.toStdString()})),
            this);
        const QSignalBlocker b(TBL_appareils);
        TBL_appareils->item(ligne, colonne)
            ->setText(qs(texteDecalage(modele_.decalage(cles_[std::size_t(ligne)]))));
        return;
    }
    modele_.definirDecalage(cles_[std::size_t(ligne)], d->secondes);
}

} // namespace varlime
