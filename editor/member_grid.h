#pragma once

// The editor's member grid: a table edited in place whose open cell editor
// can be committed (before a save) or closed (when the editor turns to view
// mode) from outside.

#include <QTableWidget>

namespace shenbao {

class TMemberGrid : public QTableWidget {
  public:
    TMemberGrid(int rows, int columns, QWidget* parent = nullptr)
        : QTableWidget(rows, columns, parent) {}

    // Writes the text of an open cell editor into its cell.
    void CommitOpenEditor() {
        if (QWidget* editor = OpenEditor()) {
            commitData(editor);
        }
    }

    // Closes an open cell editor, keeping what it holds.
    void CloseOpenEditor() {
        if (QWidget* editor = OpenEditor()) {
            commitData(editor);
            closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
    }

  private:
    QWidget* OpenEditor() const {
        return state() == QAbstractItemView::EditingState ? indexWidget(currentIndex()) : nullptr;
    }
};

}  // namespace shenbao
