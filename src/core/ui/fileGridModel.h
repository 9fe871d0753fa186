#pragma once
// The file grid's model: rows of old and new names, both editable. The header row
// of the grid is the view's horizontal header; an empty list still shows one empty row.
#include "core/renameEngine.h"

#include <QAbstractTableModel>

namespace varlime {

class FileGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit FileGridModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Replaces every row (an empty vector leaves the one empty row).
    void setRows(std::vector<FileRow> rows);
    void setHeaders(const QString& avant, const QString& apres);
    // The rows as they stand, hand edits included; always at least one row.
    std::vector<FileRow>& rows() { return rows_; }
    const std::vector<FileRow>& rows() const { return rows_; }
    // Announces that every new name may have changed.
    void newNamesChanged();

private:
    std::vector<FileRow> rows_;
    QString avant_, apres_;
};

} // namespace varlime
