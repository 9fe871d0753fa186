// SPDX-License-Identifier: GPL-3.0-or-later
#include "import/ui/cartes.h"

#include "core/fileKinds.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QStorageInfo>
#include <QVariantMap>

namespace varlime {

namespace {

constexpr const char* kService = "org.freedesktop.UDisks2";

QString dcimDe(const QString& racine) {
    const QDir d(racine);
    for (const QString& n : d.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        if (n.compare(QLatin1String("DCIM"), Qt::CaseInsensitive) == 0)
            return d.filePath(n);
    return {};
}

// UDisks2 names a block device's object after the device, its other bytes escaped.
QString objetBloc(const QString& device) {
    const QByteArray nom = QFileInfo(device).fileName().toLocal8Bit();
    QString out;
    for (const char c : nom) {
        if (std::isalnum(static_cast<unsigned char>(c)))
            out += QLatin1Char(c);
        else
            out += QStringLiteral("_%1").arg(int(static_cast<unsigned char>(c)), 2, 16,
                                             QLatin1Char('0'));
    }
    return QStringLiteral("/org/freedesktop/UDisks2/block_devices/") + out;
}

QString appeler(const QString& objet, const char* interface, const char* methode) {
    QDBusMessage m = QDBusMessage::createMethodCall(
        QLatin1String(kService), objet, QLatin1String(interface), QLatin1String(methode));
    m << QVariantMap();
    const QDBusMessage r = QDBusConnection::systemBus().call(m, QDBus::Block, 60000);
    return r.type() == QDBusMessage::ErrorMessage ? r.errorMessage() : QString();
}

} // namespace

CarteTrouvee decrireDossier(const QString& dossier, const QString& volume) {
    CarteTrouvee c;
    c.dossier = dossier;
    c.volume = volume.isEmpty() ? QFileInfo(dossier).fileName() : volume;
    QDirIterator it(dossier, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QFileInfo f = it.fileInfo();
        c.taille += f.size();
        const FileKind k = kindOfName(f.fileName().toStdString());
        if (k == FileKind::Video)
            ++c.films;
        else if (k != FileKind::Unknown && k != FileKind::Sidecar && k != FileKind::Thumbnail)
            ++c.photos;
    }
    return c;
}

std::vector<CarteTrouvee> cartesMontees() {
    std::vector<CarteTrouvee> out;
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes()) {
        if (!v.isValid() || !v.isReady() || v.rootPath() == QLatin1String("/"))
            continue;
        const QString dcim = dcimDe(v.rootPath());
        if (dcim.isEmpty())
            continue;
        const QString nom = v.displayName().isEmpty() ? v.rootPath() : v.displayName();
        out.push_back(decrireDossier(dcim, nom));
    }
    return out;
}

QStringList dossiersDeMontage() {
    const QString user = qEnvironmentVariable("USER");
    return {QStringLiteral("/run/media/") + user, QStringLiteral("/media/") + user,
            QStringLiteral("/media"), QStringLiteral("/mnt")};
}

std::vector<CarteTrouvee> cartesSous(const QStringList& dossiers) {
    std::vector<CarteTrouvee> out;
    for (const QString& d : dossiers)
        for (const QFileInfo& v : QDir(d).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot))
            if (const QString dcim = dcimDe(v.filePath()); !dcim.isEmpty())
                out.push_back(decrireDossier(dcim, v.fileName()));
    return out;
}

QString raisonSansUDisks() {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected() || !bus.interface())
        return QStringLiteral("bus");
    if (!bus.interface()->isServiceRegistered(QLatin1String(kService)).value())
        return QStringLiteral("udisks");
    return {};
}

QString ejecterCarte(const QString& dossier) {
    const QStorageInfo v(dossier);
    if (!v.isValid() || !v.device().startsWith("/dev/"))
        return QStringLiteral("device");
    const QString bloc = objetBloc(QString::fromLocal8Bit(v.device()));
    // The drive is read before the unmount, while the block device is surely there.
    QDBusMessage get = QDBusMessage::createMethodCall(
        QLatin1String(kService), bloc, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    get << QStringLiteral("org.freedesktop.UDisks2.Block") << QStringLiteral("Drive");
    const QDBusReply<QDBusVariant> drive = QDBusConnection::systemBus().call(get);
    const QString erreur = appeler(bloc, "org.freedesktop.UDisks2.Filesystem", "Unmount");
    if (!erreur.isEmpty())
        return erreur;
    if (drive.isValid()) {
        const QString objet = qvariant_cast<QDBusObjectPath>(drive.value().variant()).path();
        if (!objet.isEmpty() && objet != QLatin1String("/"))
            return appeler(objet, "org.freedesktop.UDisks2.Drive", "PowerOff");
    }
    return {};
}

SurveillanceCartes::SurveillanceCartes(QObject* parent) : QObject(parent) {
    // A mount is announced before the files can be read: the look waits a moment.
    attente_.setSingleShot(true);
    attente_.setInterval(1500);
    connect(&attente_, &QTimer::timeout, this, &SurveillanceCartes::examiner);
}

void SurveillanceCartes::demarrer() {
    for (const CarteTrouvee& c : cartes())
        connues_.insert(c.dossier);
    surveillant_ = new QFileSystemWatcher(this);
    for (const QString& d : dossiers)
        if (QFileInfo(d).isDir())
            surveillant_->addPath(d);
    connect(surveillant_, &QFileSystemWatcher::directoryChanged, this,
            &SurveillanceCartes::volumesChanges);
    if (udisks && raisonSansUDisks().isEmpty())
        QDBusConnection::systemBus().connect(
            QLatin1String(kService), QStringLiteral("/org/freedesktop/UDisks2"),
            QStringLiteral("org.freedesktop.DBus.ObjectManager"), QStringLiteral("InterfacesAdded"),
            this, SLOT(volumesChanges()));
}

void SurveillanceCartes::volumesChanges() {
    attente_.start();
}

void SurveillanceCartes::examiner() {
    QSet<QString> presentes;
    for (const CarteTrouvee& c : cartes()) {
        presentes.insert(c.dossier);
        if (!connues_.contains(c.dossier))
            emit carteApparue(c);
    }
    connues_ = presentes;
}

} // namespace varlime
