#pragma once

// The row of commands a result window ends with: "打印预览" (Button1),
// "打印" (Button2), "输出至文本文件" (Button3) and "关闭" (Button4). The check
// and the summary windows show their results with it; each says what its
// printout is and how its text file is written.

#include <QString>
#include <array>
#include <filesystem>
#include <functional>

#include "report/report.h"

class QDialog;
class QPushButton;
class QWidget;

namespace shenbao {

struct ResultOutput {
    // The printout of the result as shown, and its rows for the engine.
    std::function<report::ReportDefinition()> definition;
    std::function<report::ReportSource()> source;
    // Where the printout goes when no printer is installed, and its name in
    // the messages ("检查结果", "汇总表").
    std::filesystem::path pdfPath;
    QString what;
    // Writes the text file and says where it went; runs inside RunGuarded.
    std::function<void()> writeText;
};

class ResultCommands {
  public:
    // Makes the four buttons as children of `window`, 25 pixels high; the
    // window places them. "关闭" closes it.
    ResultCommands(QDialog* window, ResultOutput output);
    ResultCommands(const ResultCommands&) = delete;
    ResultCommands& operator=(const ResultCommands&) = delete;

    // Preview, print, text file, close: in this order.
    const std::array<QPushButton*, 4>& buttons() const { return buttons_; }
    // Preview, print and the text file want a result that is not empty.
    void setResultEmpty(bool empty);

    // Prints on the default printer, or into the PDF file when there is
    // none. Messages go over `parent`.
    void Print(QWidget* parent) const;

  private:
    void Preview() const;
    void WriteText() const;

    QDialog* window_;
    ResultOutput output_;
    std::array<QPushButton*, 4> buttons_{};
};

}  // namespace shenbao
