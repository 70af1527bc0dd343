#pragma once

// The colours the windows are drawn in, named as their designers named
// them, the one way the program sets a widget's colour, and the frame of
// its small fixed dialogs.

#include <QAbstractTableModel>
#include <QColor>
#include <QPalette>
#include <QSize>

class QComboBox;
class QTableView;
class QWidget;

namespace shenbao {

inline const QColor kRed(255, 0, 0);
inline const QColor kYellow(255, 255, 0);
inline const QColor kBlack(0, 0, 0);
inline const QColor kWhite(255, 255, 255);
inline const QColor kGreen(0, 128, 0);
inline const QColor kTeal(0, 128, 128);
inline const QColor kNavy(0, 0, 128);
inline const QColor kOlive(128, 128, 0);
inline const QColor kBlue(0, 0, 255);
inline const QColor kSilver(192, 192, 192);

// A fixed-size dialog with title bar, system menu, close and help buttons.
inline constexpr Qt::WindowFlags kFixedHelpDialogFlags =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
    Qt::WindowCloseButtonHint | Qt::WindowContextHelpButtonHint | Qt::MSWindowsFixedSizeDialogHint;

// Gives `widget` the colour `colour` in `role` of its palette, for its
// enabled states: disabled, it looks as the style draws disabled widgets.
void SetColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour);

// Makes the drop-down list of `combo` as wide as its longest entry and its
// rows as tall as the list's font needs; the closed box keeps its width.
// Call again after the entries change.
void FitDropDownList(QComboBox* combo);

// A grid without a row-header strip whose row heights the user still sets
// with the mouse: dragging the line under a row (the pointer turns into the
// row-sizing arrow there) makes the row taller or shorter.
void ShowGridWithoutRowHeaders(QTableView* grid);

// A read-only table named `name` showing `model`, as the windows that list
// results show theirs: 宋体 at 9 points, one line a cell, rows 20 pixels high
// without row headers, a click chooses one whole row; the column titles
// sort the table when clicked and the last column takes the width left.
// The sort indicator is set by the caller.
QTableView* MakeResultTable(QWidget* parent, const char* name, QAbstractItemModel* model);

// What the models of such tables share: `columns` columns, the rows the
// model counts, and cells that are chosen but never edited.
class ResultTableModel : public QAbstractTableModel {
  public:
    ResultTableModel(int columns, QObject* parent) : QAbstractTableModel(parent), columns_(columns) {}

    int rowCount(const QModelIndex& parent = QModelIndex()) const final;
    int columnCount(const QModelIndex& parent = QModelIndex()) const final;
    Qt::ItemFlags flags(const QModelIndex& index) const final;

  protected:
    // The rows shown.
    virtual std::size_t rows() const = 0;

  private:
    int columns_;
};

// Gives the window `window` the outer size `outer`, its frame included,
// centred on the screen: its client area is what the frame leaves, fitted
// again whenever the window is shown or moved (a window manager tells the
// frame only once the window is on the screen).
void KeepOuterSize(QWidget* window, const QSize& outer);

}  // namespace shenbao
