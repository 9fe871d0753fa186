// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What every window asks of the program: the texts of the active language, message
// boxes, the translation of its own controls, help pages and addresses. The
// application object provides it; a window holds a reference and nothing more.
#include <QString>
#include <string>

class QWidget;

namespace varlime {

class Localization;
class MessageService;

class ServicesFenetre {
public:
    // Where the settings and language files live (ending in '/').
    virtual const std::string& programFolder() const = 0;
    virtual Localization& localization() = 0;
    virtual MessageService& messages() = 0;
    // Looks a message up in section MESSAGES of the active language, French default.
    virtual QString texte(const char* key, const char* defaultText) = 0;
    // Every window calls this once when it is created.
    virtual void translate(QWidget* window) = 0;
    // Opens an address with the desktop's default handler; a message box tells when
    // nothing could open it.
    virtual void ouvrirAdresse(const QString& adresse, QWidget* parent) = 0;
    // Opens the shipped help page named by a RSC_lien_aide_ key, in the active language;
    // a message box names the places looked in when no page is there.
    virtual void ouvrirAide(const char* cle, QWidget* parent) = 0;

protected:
    ~ServicesFenetre() = default;
};

} // namespace varlime
