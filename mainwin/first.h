#pragma once

#include <QDialog>

class QLabel;
class QTimer;

namespace shenbao {

// The splash window, shown modally at start-up and as the about box. It
// closes itself after 12 seconds, or at once when the user clicks its
// background, its title or its first credit line.
class TFirstForm : public QDialog {
    Q_OBJECT
  public:
    explicit TFirstForm(QWidget* parent = nullptr);

    static constexpr int kTimeoutMs = 12000;

    QTimer* timer() const { return Timer1; }

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Timer1Timer();

    QLabel* Label1 = nullptr;  // title
    QLabel* Label2 = nullptr;  // edition
    QLabel* Label3 = nullptr;  // first credit line
    QLabel* Label4 = nullptr;  // second credit line
    QLabel* Label5 = nullptr;  // resolution note
    QLabel* Label6 = nullptr;  // program version
    QTimer* Timer1 = nullptr;
};

}  // namespace shenbao
