#pragma once
// A titled group of exclusive radio buttons addressed by item index, -1 meaning no
// item chosen, as the option dialogs keep their choices.
#include <QGroupBox>
#include <QStringList>
#include <vector>

class QButtonGroup;
class QRadioButton;

namespace varlime {

class TGroupeRadio : public QGroupBox {
    Q_OBJECT
public:
    TGroupeRadio(const QString& nom, const QString& titre, const QStringList& items,
                 QWidget* parent = nullptr);

    int ItemIndex() const;
    // An index outside the items leaves no item chosen.
    void setItemIndex(int index);
    int count() const { return static_cast<int>(boutons_.size()); }
    QRadioButton* bouton(int index) const;
    QStringList Items() const;

signals:
    // The user or the program chose an item (not emitted when the choice is cleared).
    void itemChoisi(int index);

private:
    QButtonGroup* groupe_;
    std::vector<QRadioButton*> boutons_;
};

} // namespace varlime
