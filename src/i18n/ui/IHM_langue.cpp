// SPDX-License-Identifier: GPL-3.0-or-later
#include "i18n/ui/IHM_langue.h"
#include "platform/texteQt.h"

#include "core/messageFormat.h"
#include "platform/ui/MessageService.h"
#include "platform/ui/ServicesFenetre.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace varlime {

TDLG_langue::TDLG_langue(ServicesFenetre& app, QWidget* parent) : QDialog(parent), app_(app) {
    setObjectName(QStringLiteral("DLG_langue"));
    setWindowTitle(QStringLiteral("Sélection de la langue"));
    auto* layout = new QVBoxLayout(this);
    CBB_langue = new QComboBox(this);
    CBB_langue->setObjectName(QStringLiteral("CBB_langue"));
    CBB_langue->setMinimumWidth(220);
    layout->addWidget(CBB_langue);
    auto* buttons = new QHBoxLayout;
    BT_ok = new QPushButton(QStringLiteral("Confirmer"), this);
    BT_ok->setObjectName(QStringLiteral("BT_ok"));
    BT_ok->setDefault(true);
    BT_annuler = new QPushButton(QStringLiteral("Annuler"), this);
    BT_annuler->setObjectName(QStringLiteral("BT_annuler"));
    buttons->addStretch(1);
    buttons->addWidget(BT_ok);
    buttons->addWidget(BT_annuler);
    layout->addLayout(buttons);
    connect(BT_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(BT_annuler, &QPushButton::clicked, this, &QDialog::reject);
    app.translate(this);
}

void TDLG_langue::Preparer() {
    Localization& loc = app_.localization();
    items_ = loc.LanguageList();
    CBB_langue->clear();
    for (const TLangItem& item : items_)
        CBB_langue->addItem(qs(item.name));
    CBB_langue->setCurrentIndex(items_.empty() ? -1 : 0);
    const std::string active = loc.ActiveLanguageCode();
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (iniNameEquals(items_[i].code, active)) {
            CBB_langue->setCurrentIndex(int(i));
            break;
        }
    }
}

bool TDLG_langue::Confirmer() {
    const int index = CBB_langue->currentIndex();
    std::string code = "fr";
    std::string message(kFrenchMessage);
    if (index >= 0 && std::size_t(index) < items_.size()) {
        code = items_[std::size_t(index)].code;
        message = items_[std::size_t(index)].message;
    }
    Localization& loc = app_.localization();
    std::string path;
    if (!loc.SaveActiveLanguage(code, &path)) {
        app_.messages().error(
            formatMessage(app_.texte("RSC_msg_impossible_ecrire", "Impossible d'écrire dans %s"),
                          {qs(path)}),
            this);
        return false;
    }
    loc.SetActiveLanguage(code);
    // Messages switch at once, the answer buttons of the questions with them.
    if (auto* boxes = dynamic_cast<DialogMessageService*>(&app_.messages())) {
        boxes->oui = app_.texte("RSC_bouton_oui", "Oui");
        boxes->non = app_.texte("RSC_bouton_non", "Non");
    }
    if (!message.empty())
        app_.messages().information(qs(message), this);
    return true;
}

void TDLG_langue::Gerer() {
    Preparer();
    if (exec() == QDialog::Accepted)
        Confirmer();
}

} // namespace varlime
