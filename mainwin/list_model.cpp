#include "mainwin/list_model.h"

#include "gui/text.h"

namespace shenbao {

ProjectListModel::ProjectListModel(QObject* parent) : QAbstractTableModel(parent) {}

int ProjectListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ProjectListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kListColumnCount;
}

QVariant ProjectListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || static_cast<std::size_t>(index.row()) >= rows_.size()) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        const std::string& cell = rows_[static_cast<std::size_t>(index.row())][index.column()];
        // A cell of megabytes (a damaged index line) would take seconds to
        // lay out at every repaint; no column shows more than its start.
        constexpr std::size_t kShownBytes = 2048;
        if (cell.size() > kShownBytes) {
            return FromGbk(std::string_view(cell).substr(0, kShownBytes)) + QStringLiteral("……");
        }
        return FromGbk(cell);
    }
    return {};
}

QVariant ProjectListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) {
        return {};
    }
    if (orientation == Qt::Horizontal && section >= 0 && section < kListColumnCount) {
        return FromGbk(ListHeader()[section]);
    }
    return QString();
}

Qt::ItemFlags ProjectListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void ProjectListModel::setRows(std::vector<ListRow> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

void ProjectListModel::setRow(int r, ListRow row) {
    rows_.at(static_cast<std::size_t>(r)) = std::move(row);
    emit dataChanged(index(r, 0), index(r, kListColumnCount - 1));
}

void ProjectListModel::appendRow(ListRow row) {
    insertRowAt(static_cast<int>(rows_.size()), std::move(row));
}

void ProjectListModel::insertRowAt(int r, ListRow row) {
    beginInsertRows(QModelIndex(), r, r);
    rows_.insert(rows_.begin() + r, std::move(row));
    endInsertRows();
}

void ProjectListModel::removeRowAt(int r) {
    beginRemoveRows(QModelIndex(), r, r);
    rows_.erase(rows_.begin() + r);
    endRemoveRows();
}

void ProjectListModel::rowsChangedInPlace() {
    if (!rows_.empty()) {
        emit dataChanged(index(0, 0),
                         index(static_cast<int>(rows_.size()) - 1, kListColumnCount - 1));
    }
}

}  // namespace shenbao
