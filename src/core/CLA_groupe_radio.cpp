#include "core/CLA_groupe_radio.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

namespace varlime {

TGroupeRadio::TGroupeRadio(const QString& nom, const QString& titre, const QStringList& items,
                           QWidget* parent)
    : QGroupBox(titre, parent), groupe_(new QButtonGroup(this)) {
    setObjectName(nom);
    auto* layout = new QVBoxLayout(this);
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], this);
        b->setObjectName(nom + QStringLiteral("_") + QString::number(i));
        groupe_->addButton(b, i);
        boutons_.push_back(b);
        layout->addWidget(b);
    }
    connect(groupe_, &QButtonGroup::idToggled, this, [this](int id, bool coche) {
        if (coche)
            emit itemChoisi(id);
    });
}

int TGroupeRadio::ItemIndex() const {
    return groupe_->checkedId();
}

void TGroupeRadio::setItemIndex(int index) {
    if (index >= 0 && index < count()) {
        boutons_[static_cast<std::size_t>(index)]->setChecked(true);
        return;
    }
    // An exclusive group never unchecks its last button by itself.
    groupe_->setExclusive(false);
    for (auto* b : boutons_)
        b->setChecked(false);
    groupe_->setExclusive(true);
}

QRadioButton* TGroupeRadio::bouton(int index) const {
    return index >= 0 && index < count() ? boutons_[static_cast<std::size_t>(index)] : nullptr;
}

QStringList TGroupeRadio::Items() const {
    QStringList out;
    for (auto* b : boutons_)
        out << b->text();
    return out;
}

} // namespace varlime
