// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A titled group of mutually exclusive choices addressed by item index, as the
// dialogs' options are stored (zero-based index; -1 when nothing is chosen).
#include <QGroupBox>
#include <QStringList>
#include <optional>

class QButtonGroup;
class QDialog;
class QRadioButton;
class QVBoxLayout;

namespace varlime {

class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    RadioGroup(const QString& objectName, const QString& title, const QStringList& items,
               QWidget* parent = nullptr);

    int itemIndex() const;
    // Any index outside the items leaves nothing chosen.
    void setItemIndex(int index);
    int count() const;
    QString itemText(int index) const;
    void setItemText(int index, const QString& text);
    QRadioButton* button(int index) const;

signals:
    // The user or the program chose another item.
    void itemIndexChanged(int index);

private:
    QButtonGroup* group_;
    QVBoxLayout* layout_;
};

// A dialog whose one choice is `groupe`: opens with `courant` ticked (the first item when
// it names none), and gives the item ticked on OK, nothing on Annuler. What the group
// showed before is no choice of anyone's: it is set again at each opening.
std::optional<int> choisirDansDialogue(QDialog& dialogue, RadioGroup& groupe, int courant);

} // namespace varlime
