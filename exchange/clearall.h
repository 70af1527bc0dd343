#pragma once

// Clearing the store: the warning dialog with its blinking question. The
// removal itself is the store's (ClearStore).

#include <QDialog>
#include <filesystem>

class QLabel;
class QPushButton;
class QTimer;

namespace shenbao {

class TClearAllForm : public QDialog {
    Q_OBJECT
  public:
    explicit TClearAllForm(const std::filesystem::path& dataDir, QWidget* parent = nullptr);

    static constexpr int kBlinkMs = 300;

    // True once the store has been cleared in this dialog.
    bool cleared() const { return stage_ == Stage::Cleared; }

    // Clears the store and reports the outcome in a message box; true when
    // the store was cleared. Throws IoError as ClearStore.
    bool DeleteAllProjects();

  private:
    void Timer1Timer();
    void Button1Click();
    void Button2Click();

    std::filesystem::path dataDir_;
    // Until the store is cleared the warning blinks yellow and red.
    enum class Stage { WarningYellow, WarningRed, Cleared };
    Stage stage_ = Stage::WarningYellow;

    QLabel* Label1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QTimer* Timer1 = nullptr;
};

}  // namespace shenbao
