#pragma once

// The query panel that lies over the main window's list: a prompt, one
// field for a text criterion or two for a range, and the buttons to confirm
// or give up. It checks what was typed; the query itself is the window's.

#include <QFrame>
#include <string>

#include "core/project_rows.h"

class QLabel;
class QLineEdit;

namespace shenbao {

class TQueryPanel : public QFrame {
    Q_OBJECT
  public:
    explicit TQueryPanel(QWidget* parent);

    // Sets the panel up for the criterion in list column `column` with the
    // prompt `prompt`: a range (dates, amounts) gets two fields 90 pixels
    // wide, a text one field 225 wide.
    void Prepare(ListColumn column, const QString& prompt);
    // Empties both fields, shows the panel on top and puts the caret into
    // the first field.
    void Open();

  public slots:
    // Confirm: with nothing but blanks in a field the panel tells so and
    // closes; otherwise it hands the criterion on.
    void Button1Click();
    // Give up.
    void Button2Click();
    // Enter in the first field confirms.
    void Edit1KeyDown(int key);

  signals:
    // The criterion to query for: the list column and the bounds typed
    // (GBK; `high` empty for the text criteria). The panel stays open.
    void confirmed(ListColumn column, const std::string& low, const std::string& high);
    // The panel is to close without a query.
    void closeRequested();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The criterion the panel is set up for (a range or a text, by its column).
    ListColumn column_ = ListColumn::Id;

    QLabel* Label2 = nullptr;  // the prompt
    QLineEdit* Edit1 = nullptr;
    QLabel* Label3 = nullptr;  // "至", with the second field
    QLineEdit* Edit2 = nullptr;
};

}  // namespace shenbao
