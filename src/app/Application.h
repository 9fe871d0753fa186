// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The application object: creates every window and data module once, in the
// start-up order, owns them, and hands each what it calls: the services, the
// settings module, the links to the main window, the dialogs it opens.
#include "platform/ui/LiensPrincipal.h"
#include "window/FenetresPrincipal.h"

#include <QString>
#include <memory>
#include <string>

class QObject;
class QUrl;
class QWidget;

namespace varlime {

class Localization;
struct PageAide;
class MessageService;
class TimgData;
class LibGfl;

class Application : public FenetresPrincipal {
public:
    // programFolder: where the settings and language files live (ending in '/').
    Application(std::string programFolder, MessageService& messages);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    const std::string& programFolder() const override { return programFolder_; }
    Localization& localization() override { return *localization_; }
    MessageService& messages() override { return messages_; }
    QString texte(const char* key, const char* defaultText) override;
    void translate(QWidget* window) override;
    void ouvrirAdresse(const QString& adresse, QWidget* parent) override;
    void ouvrirAide(const char* cle, QWidget* parent) override;
    // The page of a window (F1).
    void ouvrirAideFenetre(const PageAide& page, QWidget* fenetre);

    // The imaging library binding: loaded on the first picture, closed at exit.
    LibGfl& bibliothequeImage() { return *bibliothequeImage_; }

private:
    void ouvrirPageAide(const std::string& valeur, const std::string& defaut, QWidget* parent);
    void ouvrirUrl(const QUrl& url, QWidget* parent);
    // The links over the main window, settings and modes that the dialogs are given.
    LiensPrincipal liensPrincipal();
    // Lets the prefix chooser and the EXIF formats dialog open the naming panel's dialogs,
    // wires the mask module, and ties the modes to the settings module. Called once every
    // window exists.
    void relierOptionsNommage();
    void relierCompagnons();

    std::unique_ptr<QObject> placement_;
    std::unique_ptr<QObject> toucheAide_;
    std::string programFolder_;
    MessageService& messages_;
    std::unique_ptr<Localization> localization_;
    // What no window owns: the picture reader, the imaging library and the data
    // modules. They are declared before the main window, so they outlive every window
    // that calls them.
    std::unique_ptr<TimgData> lecteur_;
    std::unique_ptr<LibGfl> bibliothequeImage_;
    std::unique_ptr<TDB_utilitaire> moduleUtilitaire_;
    std::unique_ptr<TDB_masque> moduleMasque_;
    std::unique_ptr<TDB_association_fichier> moduleAssociation_;
    std::unique_ptr<TMainForm> fenetrePrincipale_;
    // The thumbnail worker posts to the main window's controls: it is stopped (this
    // goes) before the windows.
    std::unique_ptr<TDB_image> moduleImage_;
    // Every dialog is owned by its Qt parent (the main window, or the viewer for its
    // key help), which deletes it: the pointers of FenetresPrincipal only point.
};

} // namespace varlime
