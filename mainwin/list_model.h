#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "mainwin/project_list.h"

namespace shenbao {

// The grid's model: the list rows as GBK bytes, shown as text; cells are not
// editable. Model row r is list row r + 1 (list row 0 is the header).
class ProjectListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit ProjectListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    const std::vector<ListRow>& rows() const { return rows_; }
    std::vector<ListRow>& mutableRows() { return rows_; }
    const ListRow& row(int r) const { return rows_.at(static_cast<std::size_t>(r)); }

    void setRows(std::vector<ListRow> rows);
    void setRow(int r, ListRow row);
    void appendRow(ListRow row);
    // Puts `row` before row r (0-based); r == rowCount() appends.
    void insertRowAt(int r, ListRow row);
    void removeRowAt(int r);
    // Tells the views that every cell may have changed (after an in-place
    // edit of mutableRows(), e.g. a sort).
    void rowsChangedInPlace();

  private:
    std::vector<ListRow> rows_;
};

}  // namespace shenbao
