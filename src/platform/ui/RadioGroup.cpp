// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ui/RadioGroup.h"

#include <QDialog>

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

namespace varlime {

RadioGroup::RadioGroup(const QString& objectName, const QString& title, const QStringList& items,
                       QWidget* parent)
    : QGroupBox(title, parent), group_(new QButtonGroup(this)), layout_(new QVBoxLayout(this)) {
    setObjectName(objectName);
    group_->setExclusive(true);
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], this);
        group_->addButton(b, i);
        layout_->addWidget(b);
    }
    connect(group_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            emit itemIndexChanged(id);
    });
}

int RadioGroup::itemIndex() const {
    return group_->checkedId();
}

void RadioGroup::setItemIndex(int index) {
    if (index == itemIndex())
        return;
    if (QAbstractButton* b = group_->button(index)) {
        b->setChecked(true);
        return;
    }
    // No item: an exclusive group refuses to uncheck its last button by itself.
    group_->setExclusive(false);
    if (QAbstractButton* checked = group_->checkedButton())
        checked->setChecked(false);
    group_->setExclusive(true);
    emit itemIndexChanged(-1);
}

int RadioGroup::count() const {
    return int(group_->buttons().size());
}

QString RadioGroup::itemText(int index) const {
    QAbstractButton* b = group_->button(index);
    return b ? b->text() : QString();
}

void RadioGroup::setItemText(int index, const QString& text) {
    if (QAbstractButton* b = group_->button(index))
        b->setText(text);
}

QRadioButton* RadioGroup::button(int index) const {
    return qobject_cast<QRadioButton*>(group_->button(index));
}

std::optional<int> choisirDansDialogue(QDialog& dialogue, RadioGroup& groupe, int courant) {
    groupe.setItemIndex(courant >= 0 && courant < groupe.count() ? courant : 0);
    if (dialogue.exec() != QDialog::Accepted)
        return std::nullopt;
    return groupe.itemIndex();
}

} // namespace varlime
