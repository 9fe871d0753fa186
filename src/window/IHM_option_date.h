// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "Options date": the date prefix (a fixed date or each file's own date), the date
// format also used in EXIF names (stored as FORMATS/DATE) and the final separator.
#include "core/dateFormats.h"
#include "core/messageFormat.h"
#include "platform/ui/LiensPrincipal.h"

#include <QDate>
#include <QDialog>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QPushButton;

namespace varlime {

class RadioGroup;

class TDLG_option_date : public QDialog {
    Q_OBJECT
public:
    explicit TDLG_option_date(TextLookup texte, QWidget* parent = nullptr);

    // prefixe: opened to set the date prefix (menu, prefix chooser); false when it
    // is opened only to pick the date format.
    void Gerer(bool prefixe);

    QString Formate_date(const QDate& date) const;
    // Adds the final separator on the counter's side.
    QString Retourne_date_et_compteur_formate(const QString& texte) const;
    // Date prefix of one file of `dossier` (its name as the bytes on disk), from its
    // modification date; empty when the date cannot be read.
    std::string Retourne_date_creation_fichier(const std::string& dossier,
                                               const std::string& nom) const;
    // The date prefix is on and each file gives its own date.
    bool Utilise_date_fichier() const;
    bool Date_prefixe_active() const;
    // Stored value: "ERREUR" keeps the current format; false when the text is no
    // integer (the read pass then shows the conversion error and stops).
    bool Positionne_option_date(const QString& texte);
    // Date prefix off and its source back to the fixed date.
    void Desactiver_mode_date_creation();

    // The OK path: applies the date prefix to the main window (then closes).
    void BT_okClick();

    SeparateurDate separateur() const;
    int formatDate() const;

    LiensPrincipal liens;

    QCheckBox* CKB_date;
    RadioGroup* RGA_select_source_date;
    QDateEdit* EDT_date;
    RadioGroup* RGA_type_date;
    QCheckBox* CKB_separateur;
    QComboBox* CBB_separateur_final;
    QPushButton* BT_ok;
    QPushButton* BT_annuler;

private:
    void CKB_dateClick();
    void montrerControlesPrefixe(bool visible);

    TextLookup texte_;
    // Opened for the date prefix (true) or only to choose the date's form for EXIF names.
    bool formePrefixe_ = true;
};

} // namespace varlime
