#pragma once
// "Association de fichiers": files of one extension (AVI) renamed with the EXIF data
// of the file of the same base name and another extension (THM).
#include <QDialog>
#include <QString>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace varlime {

class Application;

class TDLG_association_fichier : public QDialog {
    Q_OBJECT
public:
    TDLG_association_fichier(Application& app, QWidget* parent = nullptr);

    // Offers to leave another mode, shows the dialog, then lists the folder again.
    void Gerer();
    // The stored extensions; an empty text leaves its field as it is.
    void Positionne_option_association_fichier(const QString& cible, const QString& source);
    void Desactiver_mode_association();
    // The status line's text of this mode, with the two extensions.
    QString Texte_statut() const;

    QLabel* LBL_titre;
    QLineEdit* EDT_association1;
    QLabel* LBL_et;
    QLineEdit* EDT_association2;
    QLabel* LBL_porteur;
    QCheckBox* CKB_activer;
    QPlainTextEdit* MEM_info;
    QPushButton* BT_ok;
    QPushButton* BT_options;

private:
    void CKB_activerChange(bool coche);

    Application& app_;
};

} // namespace varlime
