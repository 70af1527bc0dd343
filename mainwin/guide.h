#pragma once

#include <QDialog>
#include <filesystem>

#include "platform/platform.h"

class QTextBrowser;

namespace shenbao {

// The usage guide of the help menu: how to do the daily work with the
// program, written for the office clerk who does it, with the folder where
// this installation keeps its data.
class TGuideForm : public QDialog {
    Q_OBJECT
  public:
    explicit TGuideForm(const std::filesystem::path& dataDir, QWidget* parent = nullptr);

    // The guide as HTML, for the given data directory of a program in
    // `programDir` (another folder: an installed program).
    static QString GuideHtml(const std::filesystem::path& dataDir,
                             const std::filesystem::path& programDir = platform::ProgramDirectory());

  private:
    QTextBrowser* Browser1 = nullptr;
};

}  // namespace shenbao
