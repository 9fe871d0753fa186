// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Camera cards among the mounted volumes: which hold a DCIM folder, how many photos
// and films they hold, a watch that tells when one appears (the mount folders watched,
// and UDisks2's announcements where it runs: nothing polls), and ejecting one through
// UDisks2.
#include <QMetaType>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <vector>

class QFileSystemWatcher;

namespace varlime {

struct CarteTrouvee {
    QString volume;  // the volume's name, or the folder's when it is no volume root
    QString dossier; // the camera folder (DCIM) or the folder chosen
    qint64 taille = 0;
    int photos = 0, films = 0;
};

// What a folder holds: photos and films, walked below it.
CarteTrouvee decrireDossier(const QString& dossier, const QString& volume);
// The mounted volumes that hold a DCIM folder at their root.
std::vector<CarteTrouvee> cartesMontees();
// The folders where the system mounts removable volumes (for the current user).
QStringList dossiersDeMontage();
// The folders directly under `dossiers` that hold a DCIM folder, each taken as a volume
// named after its folder (what a mount in one of them looks like).
std::vector<CarteTrouvee> cartesSous(const QStringList& dossiers);

// Empty when UDisks2 answers on the system bus; otherwise why a card cannot be ejected.
QString raisonSansUDisks();
// Unmounts the volume holding `dossier`, then powers its drive off; empty on success,
// else UDisks2's reason (a file still open on the card, say).
QString ejecterCarte(const QString& dossier);

class SurveillanceCartes : public QObject {
    Q_OBJECT
public:
    explicit SurveillanceCartes(QObject* parent = nullptr);
    // Cards mounted before the watch began are not announced.
    void demarrer();

    // Where volumes appear, how the cards among them are found, and whether UDisks2's
    // announcements are heard too: the system's by default; tests give a folder of their
    // own, the cards under it, and no bus.
    QStringList dossiers = dossiersDeMontage();
    std::function<std::vector<CarteTrouvee>()> cartes = cartesMontees;
    bool udisks = true;
    // How long after a change the volumes are looked at (a mount is announced before
    // its files can be read).
    void definirAttente(int ms) { attente_.setInterval(ms); }

signals:
    void carteApparue(const varlime::CarteTrouvee& carte);

private slots:
    void volumesChanges();

private:
    void examiner();
    QFileSystemWatcher* surveillant_ = nullptr;
    QTimer attente_;
    QSet<QString> connues_;
};

} // namespace varlime

Q_DECLARE_METATYPE(varlime::CarteTrouvee)
