#pragma once

// The main window as the benchmarks drive it: started as the program starts
// it (the splash closed at once), and the modal windows its commands open
// answered as soon as they are up.

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>

#include "gui/text.h"
#include "mainwin/zmain.h"

namespace shenbao::bench {

// The next modal window to open gets `action` as soon as its event loop
// runs.
inline void OnNextModal(std::function<void(QWidget*)> action) {
    QTimer::singleShot(0, [action = std::move(action)] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            action(modal);
        }
    });
}

// The next modal window to open is closed at once, after it has painted.
inline void CloseNextModal() {
    OnNextModal([](QWidget* modal) {
        QApplication::processEvents();
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        } else {
            modal->close();
        }
    });
}

// The main window on the store in `dataDir`, shown maximised as the program
// shows it: the store taken, the list loaded and sorted by ID, painted.
inline std::unique_ptr<TZMainForm> StartWindow(const std::filesystem::path& dataDir) {
    auto form = std::make_unique<TZMainForm>(FromPath(dataDir));
    CloseNextModal();  // the splash
    form->showMaximized();
    QApplication::processEvents();
    return form;
}

// The code table the program ships, copied into `dataDir` (the editor needs
// it).
inline void InstallCodeTable(const std::filesystem::path& dataDir) {
    std::filesystem::copy_file(std::filesystem::path(SHENBAO_SOURCE_DIR) / "data" / "_SysCode.zzj",
                               dataDir / "_SysCode.zzj",
                               std::filesystem::copy_options::overwrite_existing);
}

}  // namespace shenbao::bench
