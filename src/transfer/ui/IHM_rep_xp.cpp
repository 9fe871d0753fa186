// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfer/ui/IHM_rep_xp.h"

#include "platform/fileSystem.h"
#include "platform/ui/MessageService.h"
#include "platform/ui/ServicesFenetre.h"

#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace varlime {

namespace {

// The folder tree shows an expand arrow only on folders that hold a folder: the
// system's model claims children for every folder it has not read yet. A folder is
// looked at once, when its row is drawn, and again each time the model reads it.
class ModeleDossiers : public QFileSystemModel {
public:
    explicit ModeleDossiers(QObject* parent) : QFileSystemModel(parent) {
        connect(this, &QFileSystemModel::directoryLoaded, this,
                [this](const QString& chemin) { connus_.remove(chemin); });
    }

    bool hasChildren(const QModelIndex& parent) const override {
        if (!parent.isValid() || !QFileSystemModel::hasChildren(parent))
            return QFileSystemModel::hasChildren(parent);
        const QString chemin = filePath(parent);
        auto it = connus_.constFind(chemin);
        if (it == connus_.constEnd())
            it = connus_.insert(chemin, aUnSousDossier(chemin));
        return *it;
    }

private:
    // A visible subfolder (hidden ones are not listed), links to folders included.
    static bool aUnSousDossier(const QString& chemin) {
        const QByteArray c = QFile::encodeName(chemin);
        DIR* d = ::opendir(c.constData());
        if (!d)
            return false;
        bool trouve = false;
        while (!trouve) {
            const dirent* e = ::readdir(d);
            if (!e)
                break;
            if (e->d_name[0] == '.')
                continue;
            if (e->d_type == DT_DIR) {
                trouve = true;
            } else if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) {
                struct stat st;
                trouve = ::fstatat(::dirfd(d), e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
            }
        }
        ::closedir(d);
        return trouve;
    }

    mutable QHash<QString, bool> connus_;
};

} // namespace

TDLG_rep_xp::TDLG_rep_xp(ServicesFenetre& app, QWidget* parent) : QDialog(parent), app_(app) {
    setObjectName(QStringLiteral("DLG_rep_xp"));
    setWindowTitle(QStringLiteral("Sélection de répertoire"));
    setSizeGripEnabled(true);
    resize(520, 560);
    auto* layout = new QVBoxLayout(this);
    LBL_rep = new QLabel(this);
    LBL_rep->setObjectName(QStringLiteral("LBL_rep"));
    LBL_rep->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(LBL_rep);
    model_ = new ModeleDossiers(this);
    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    model_->setRootPath(QStringLiteral("/"));
    STV_rep = new QTreeView(this);
    STV_rep->setObjectName(QStringLiteral("STV_rep"));
    STV_rep->setModel(model_);
    STV_rep->setRootIndex(model_->index(QStringLiteral("/")));
    for (int c = 1; c < model_->columnCount(); ++c)
        STV_rep->hideColumn(c);
    STV_rep->header()->setVisible(false);
    STV_rep->setRootIsDecorated(true);
    layout->addWidget(STV_rep, 1);
    auto* buttons = new QHBoxLayout;
    BT_selectionner = new QPushButton(QStringLiteral("Sélectionner"), this);
    BT_selectionner->setObjectName(QStringLiteral("BT_selectionner"));
    BT_selectionner->setDefault(true);
    BT_annuler = new QPushButton(QStringLiteral("Annuler"), this);
    BT_annuler->setObjectName(QStringLiteral("BT_annuler"));
    buttons->addStretch(1);
    buttons->addWidget(BT_selectionner);
    buttons->addWidget(BT_annuler);
    layout->addLayout(buttons);
    connect(BT_selectionner, &QPushButton::clicked, this, &QDialog::accept);
    connect(BT_annuler, &QPushButton::clicked, this, &QDialog::reject);
    connect(STV_rep->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { LBL_rep->setText(cheminSelectionne()); });
    // The model reads folders in the background: bring the selection into view once
    // the folders above it are there.
    connect(model_, &QFileSystemModel::directoryLoaded, this, [this] {
        // The model sorts what it read a moment later.
        QTimer::singleShot(100, this, [this] {
            if (STV_rep->currentIndex().isValid() && STV_rep->isVisible())
                STV_rep->scrollTo(STV_rep->currentIndex(), QAbstractItemView::PositionAtCenter);
        });
    });
    app.translate(this);
    // Open at the user's home until a folder is chosen.
    selectionner(QDir::homePath());
}

bool TDLG_rep_xp::selectionner(const QString& path) {
    if (!Chemin_valide(cheminSurDisque(path)))
        return false;
    QString clean = QDir::cleanPath(path);
    const QModelIndex index = model_->index(clean);
    if (!index.isValid())
        return false;
    STV_rep->setCurrentIndex(index);
    STV_rep->scrollTo(index, QAbstractItemView::PositionAtCenter);
    STV_rep->expand(index);
    LBL_rep->setText(cheminSelectionne());
    return true;
}

QString TDLG_rep_xp::cheminSelectionne() const {
    const QModelIndex index = STV_rep->currentIndex();
    if (!index.isValid())
        return {};
    return model_->filePath(index);
}

bool TDLG_rep_xp::Selection_repertoire(const QString& start) {
    if (!start.isEmpty() && start != QStringLiteral("Erreur") && !selectionner(start))
        app_.messages().warning(
            app_.texte("RSC_msg_repertoire_inexistant", "Répertoire inexistant"), this);
    // Scroll once the window is on screen: a hidden view does not scroll.
    // The keyboard starts in the tree, on the selected folder.
    QTimer::singleShot(0, this, [this] {
        STV_rep->setFocus(Qt::OtherFocusReason);
        if (STV_rep->currentIndex().isValid())
            STV_rep->scrollTo(STV_rep->currentIndex(), QAbstractItemView::PositionAtCenter);
    });
    if (exec() != QDialog::Accepted)
        return false;
    const QString chosen = cheminSelectionne();
    if (chosen.isEmpty())
        return false;
    return changerRepertoireCourant(cheminSurDisque(chosen));
}

} // namespace varlime
