#include "app/Application.h"

#include "core/IHM_option_compteur.h"
#include "core/IHM_type_fichier.h"
#include "core/MD_utilitaire.h"
#include "core/Main.h"
#include "i18n/uLocalization.h"
#include "info/IHM_a_propos.h"
#include "info/IHM_essai.h"
#include "info/IHM_information.h"
#include "platform/MessageService.h"
#include "transfer/IHM_rep_xp.h"
#include "transfer/IHM_selection_repertoire.h"

#include <QWidget>

namespace varlime {

Application::Application(std::string programFolder, MessageService& messages)
    : programFolder_(std::move(programFolder)), messages_(messages),
      localization_(std::make_unique<Localization>(programFolder_)) {
    // The start-up order: the main window first, then every dialog and module. The
    // main window's activation, which calls into the dialogs, only comes later.
    mainForm_ = std::make_unique<TMainForm>(*this);
    typeFichier_ = std::make_unique<TDLG_type_fichier>(*this, mainForm_.get());
    utilitaire_ = std::make_unique<TDB_utilitaire>(*this);
    optionCompteur_ = std::make_unique<TDLG_option_compteur>(*this, mainForm_.get());
    aPropos_ = std::make_unique<TDLG_a_propos>(*this, mainForm_.get());
    selectionRepertoire_ = std::make_unique<TDLG_selection_repertoire>(*this, mainForm_.get());
    repXp_ = std::make_unique<TDLG_rep_xp>(*this, mainForm_.get());
    essai_ = std::make_unique<TDLG_essai>(*this, mainForm_.get());
    information_ = std::make_unique<TDLG_information>(*this, mainForm_.get());
}

Application::~Application() {
    // Dialogs are children of the main window: delete them before it, newest first.
    information_.reset();
    essai_.reset();
    repXp_.reset();
    selectionRepertoire_.reset();
    aPropos_.reset();
    optionCompteur_.reset();
    utilitaire_.reset();
    typeFichier_.reset();
    mainForm_.reset();
}

QString Application::texte(const char* key, const char* defaultText) {
    return QString::fromStdString(localization_->GetLangText("MESSAGES", key, defaultText));
}

void Application::translate(QWidget*) {
    // Windows keep their built-in French texts until language files are read.
}

} // namespace varlime
