#pragma once

// The progress panel of export and import, lying over the main window's
// list: what is being done, the log of the run, and the button that gives
// the list back once the run is over.

#include <QFrame>
#include <QStringList>
#include <string>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace shenbao {

class TProgressPanel : public QFrame {
    Q_OBJECT
  public:
    explicit TProgressPanel(QWidget* parent);

    // What the panel says is being done.
    void setText(const QString& text);
    // Draws the text at once, while the run holds the event loop.
    void RedrawText();

    // A run starts: the log is emptied and the button waits for its end.
    void BeginRun();
    // One line of the log (GBK). Lines reach the log in blocks: a control
    // file naming one project a hundred thousand times gives as many lines.
    // A line naming an ID or a name of megabytes is shortened for the eye.
    void AddLogLine(const std::string& line);
    // The run is over: the rest of the log, the closing text, and the button.
    void EndRun(const QString& text);

  public slots:
    // The button: the panel is to close.
    void Button3Click();

  signals:
    void closeRequested();

  private:
    void FlushLog();

    QStringList pending_;

    QLabel* Label4 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* Button3 = nullptr;
};

}  // namespace shenbao
