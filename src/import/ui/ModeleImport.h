// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The import window's options as one object: the card, the archive and its backups,
// the folder template, each camera's clock offset and the naming options. Widgets
// show it and send it their edits; whoever needs an option reads it here, never from a
// widget. Each change says what changed, so that the plan's tree can be redrawn at
// once for the template and the offsets, and planned anew for the rest.
#include "import/importCarte.h"

#include <QObject>
#include <string>

namespace varlime {

class ModeleImport : public QObject {
    Q_OBJECT
public:
    enum class Champ { Source, Destinations, Modele, Decalages, Nommage };

    explicit ModeleImport(QObject* parent = nullptr) : QObject(parent) {}

    const OptionsImport& options() const { return options_; }

    void definirSource(const std::string& source);
    void definirArchive(const std::string& archive);
    // `rang` 0 or 1; an empty path takes that backup out.
    void definirSauvegarde(int rang, const std::string& dossier);
    std::string sauvegarde(int rang) const;
    void definirModele(const std::string& modele);
    // `appareil`: the body serial, or the model when there is none.
    void definirDecalage(const std::string& appareil, long secondes);
    long decalage(const std::string& appareil) const;
    void definirNommage(const OptionsNommage& nommage);
    // The whole options at once (the stored ones at start), announced as a new source.
    void remplacer(const OptionsImport& options);

    // The stored destinations, template and offsets (section IMPORT and the offsets the
    // command line keeps too); saving writes only what differs from the file.
    void lire(const std::string& programFolder);
    void enregistrer(const std::string& programFolder) const;

signals:
    void change(varlime::ModeleImport::Champ champ);

private:
    OptionsImport options_;
    std::string sauvegardes_[2];
    void recomposerSauvegardes();
};

} // namespace varlime
