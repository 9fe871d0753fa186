#include "companions/ui/MD_association_fichier.h"

#include "app/Application.h"
#include "companions/compagnons.h"
#include "companions/ui/IHM_association_fichier.h"
#include "companions/ui/IHM_canon.h"
#include "core/ui/MD_utilitaire.h"
#include "exif_naming/ui/IHM_exif_info.h"

#include <QCheckBox>
#include <QLineEdit>

namespace varlime {

TDB_association_fichier::TDB_association_fichier(Application& app) : app_(app) {}

OptionsCompagnons TDB_association_fichier::options() const {
    OptionsCompagnons o;
    o.rawCanon = app_.DLG_canon().CKB_traiter->isChecked();
    const TDLG_association_fichier& d = app_.DLG_association_fichier();
    o.association = d.CKB_activer->isChecked();
    o.cible = d.EDT_association1->text().toStdString();
    o.source = d.EDT_association2->text().toStdString();
    return o;
}

bool TDB_association_fichier::Traite_association_fichier() const {
    return options().association;
}

bool TDB_association_fichier::Traiter_association(const std::string& nom, int& decalage) const {
    return varlime::Traiter_association(options(), nom, decalage);
}

void relierCompagnons(Application& app) {
    TDB_utilitaire& util = app.DB_utilitaire();
    util.modeRawCanon = [&app] { return app.DB_association_fichier().options().rawCanon; };
    util.modeAssociation = [&app] {
        return app.DB_association_fichier().Traite_association_fichier();
    };
    util.extensionsAssociation = [&app](QString& cible, QString& source) {
        cible = app.DLG_association_fichier().EDT_association1->text();
        source = app.DLG_association_fichier().EDT_association2->text();
    };
    // The companion modes are kinds of EXIF naming: switching EXIF naming off by hand
    // leaves them too, or their filter would go on hiding files in the normal mode.
    QObject::connect(app.DLG_exif_info().CKB_exploitation_exif, &QCheckBox::clicked,
                     app.DLG_exif_info().CKB_exploitation_exif, [&app](bool coche) {
                         if (coche)
                             return;
                         app.DLG_canon().Desactiver_raw_canon();
                         app.DLG_association_fichier().Desactiver_mode_association();
                     });
    // EXIF naming itself is left by the EXIF dialog's own wiring.
    util.desactiverModeExterne = [&app, exif = util.desactiverModeExterne](Mode mode) {
        if (mode == Mode::RawCanon)
            app.DLG_canon().Desactiver_raw_canon();
        else if (mode == Mode::Association)
            app.DLG_association_fichier().Desactiver_mode_association();
        else if (exif)
            exif(mode);
    };
}

} // namespace varlime
