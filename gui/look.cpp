#include "gui/look.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QHeaderView>
#include <QMouseEvent>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QWidget>
#include <algorithm>
#include <cstdlib>

#include "gui/fonts.h"
#include "gui/window.h"

namespace shenbao {

namespace {

// Fits the client area of its window to the outer size less the frame.
class OuterSizeKeeper : public QObject {
  public:
    OuterSizeKeeper(QWidget* window, const QSize& outer)
        : QObject(window), window_(window), outer_(outer) {
        window->installEventFilter(this);
        Fit();
    }

    void Fit() {
        const QSize frame = window_->frameGeometry().size() - window_->size();
        const QSize client = outer_ - frame;
        if (window_->minimumSize() != client || window_->maximumSize() != client) {
            window_->setFixedSize(client);
        }
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ &&
            (event->type() == QEvent::Show || event->type() == QEvent::Move)) {
            Fit();
        }
        return false;
    }

  private:
    QWidget* window_;
    QSize outer_;
};

// The rows of a drop-down list: as tall as the list's font needs, with a
// little room above and below.
class DropDownRows : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(std::max(size.height(), option.fontMetrics.height() + 4));
        return size;
    }
};

// Lets the mouse drag the line under a row of a grid to set its height.
class RowSizer : public QObject {
  public:
    explicit RowSizer(QTableView* grid) : QObject(grid), grid_(grid), cells_(grid->viewport()) {
        cells_->setMouseTracking(true);
        cells_->installEventFilter(this);
    }

  protected:
    // The cell area is destroyed before this filter, while the grid is no
    // longer whole: only the cell area itself is asked who it is.
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != cells_) {
            return false;
        }
        switch (event->type()) {
            case QEvent::MouseButtonPress: {
                auto* mouse = static_cast<QMouseEvent*>(event);
                const int row = RowAbove(mouse->position().toPoint().y());
                if (mouse->button() != Qt::LeftButton || row < 0) {
                    return false;
                }
                row_ = row;
                startY_ = mouse->position().toPoint().y();
                startHeight_ = grid_->rowHeight(row);
                return true;
            }
            case QEvent::MouseMove: {
                auto* mouse = static_cast<QMouseEvent*>(event);
                const int y = mouse->position().toPoint().y();
                if (row_ >= 0) {
                    const int minimum = grid_->verticalHeader()->minimumSectionSize();
                    grid_->setRowHeight(row_, std::max(minimum, startHeight_ + y - startY_));
                    return true;
                }
                if (mouse->buttons() == Qt::NoButton) {
                    if (RowAbove(y) >= 0) {
                        cells_->setCursor(Qt::SplitVCursor);
                    } else {
                        cells_->unsetCursor();
                    }
                }
                return false;
            }
            case QEvent::MouseButtonRelease:
                if (row_ >= 0 && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
                    row_ = -1;
                    return true;
                }
                return false;
            case QEvent::Leave:
                if (row_ < 0) {
                    cells_->unsetCursor();
                }
                return false;
            default:
                return false;
        }
    }

  private:
    // The shown row whose lower line lies within reach of `y`, or -1.
    int RowAbove(int y) const {
        constexpr int kReach = 1;
        const int row = grid_->rowAt(y - kReach);
        for (int r : {row, row + 1}) {
            if (r < 0 || r >= grid_->model()->rowCount() || grid_->isRowHidden(r)) {
                continue;
            }
            const int line = grid_->rowViewportPosition(r) + grid_->rowHeight(r) - 1;
            if (std::abs(y - line) <= kReach) {
                return r;
            }
        }
        return -1;
    }

    QTableView* grid_;
    QWidget* cells_;
    int row_ = -1;
    int startY_ = 0;
    int startHeight_ = 0;
};

}  // namespace

void ShowGridWithoutRowHeaders(QTableView* grid) {
    grid->verticalHeader()->hide();
    new RowSizer(grid);
}

QTableView* MakeResultTable(QWidget* parent, const char* name, QAbstractItemModel* model) {
    auto* table = Named(new QTableView(parent), name);
    table->setModel(model);
    table->setFont(SongPointFont(9));
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setWordWrap(false);
    table->setCornerButtonEnabled(false);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(20);
    QHeaderView* titles = table->horizontalHeader();
    titles->setFont(SongPointFont(9));
    titles->setHighlightSections(false);
    titles->setStretchLastSection(true);
    titles->setSectionsClickable(true);
    titles->setSortIndicatorShown(true);
    return table;
}

int ResultTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows());
}

int ResultTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

Qt::ItemFlags ResultTableModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void SetColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Active, role, colour);
    palette.setColor(QPalette::Inactive, role, colour);
    widget->setPalette(palette);
}

void FitDropDownList(QComboBox* combo) {
    if (dynamic_cast<DropDownRows*>(combo->itemDelegate()) == nullptr) {
        combo->setItemDelegate(new DropDownRows(combo));
    }
    QAbstractItemView* list = combo->view();
    QStyleOptionViewItem option;
    option.initFrom(list);
    option.widget = list;
    option.font = list->font();
    option.fontMetrics = list->fontMetrics();
    int widest = 0;
    for (int i = 0; i < combo->count(); ++i) {
        const QModelIndex index =
            combo->model()->index(i, combo->modelColumn(), combo->rootModelIndex());
        widest = std::max(widest, combo->itemDelegate()->sizeHint(option, index).width());
    }
    int width = widest + 2 * list->frameWidth();
    if (combo->count() > combo->maxVisibleItems()) {
        width += list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list);
    }
    list->setMinimumWidth(width);
}

void KeepOuterSize(QWidget* window, const QSize& outer) {
    new OuterSizeKeeper(window, outer);
    CentreOnScreen(window, outer);
}

}  // namespace shenbao
