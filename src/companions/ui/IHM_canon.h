#pragma once
// "Traitement des RAW Canon": the Canon RAW switch, the box of users not concerned
// by it (which hides the mode everywhere), and the way to the EXIF naming options.
#include <QDialog>
#include <QString>

class QCheckBox;
class QPlainTextEdit;
class QPushButton;

namespace varlime {

class Application;

class TDLG_canon : public QDialog {
    Q_OBJECT
public:
    TDLG_canon(Application& app, QWidget* parent = nullptr);

    // Offers to leave another mode, shows the dialog, then lists the folder again.
    void Gerer();
    // The stored OPTIONS/RAW_CANON: "1" the user is concerned, anything else not.
    void Positionne_option_raw_canon(const QString& valeur);
    void Desactiver_raw_canon();
    void Affiche_raw_canon(bool concerne);

    QCheckBox* CKB_traiter;
    QCheckBox* CKB_pas_raw_canon;
    QPlainTextEdit* MEM_info;
    QPushButton* BT_ok;
    QPushButton* BT_options;
    QPushButton* BT_aide;

private:
    void CKB_traiterChange(bool coche);
    void CKB_pas_raw_canonClick();
    void placerBoutons();

    Application& app_;
};

} // namespace varlime
