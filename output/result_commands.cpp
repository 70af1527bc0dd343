#include "output/result_commands.h"

#include <QDialog>
#include <QPushButton>

#include "gui/window.h"
#include "output/printa.h"
#include "report/preview.h"

namespace shenbao {

ResultCommands::ResultCommands(QDialog* window, ResultOutput output)
    : window_(window), output_(std::move(output)) {
    struct Command {
        const char* name;
        QString text;
        int width;
    };
    const Command commands[] = {
        {"Button1", QStringLiteral("打印预览"), 75},
        {"Button2", QStringLiteral("打印"), 75},
        {"Button3", QStringLiteral("输出至文本文件"), 110},
        {"Button4", QStringLiteral("关闭"), 75},
    };
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        auto* button = Named(new QPushButton(commands[i].text, window), commands[i].name);
        button->setFixedSize(commands[i].width, 25);
        // Enter belongs to the grid and the choices, never to a button.
        button->setAutoDefault(false);
        buttons_[i] = button;
    }
    QObject::connect(buttons_[0], &QPushButton::clicked, window, [this] { Preview(); });
    QObject::connect(buttons_[1], &QPushButton::clicked, window, [this] { Print(window_); });
    QObject::connect(buttons_[2], &QPushButton::clicked, window, [this] { WriteText(); });
    QObject::connect(buttons_[3], &QPushButton::clicked, window, &QDialog::close);
}

void ResultCommands::setResultEmpty(bool empty) {
    for (std::size_t i = 0; i < 3; ++i) {
        buttons_[i]->setEnabled(!empty);
    }
}

void ResultCommands::Print(QWidget* parent) const {
    PrintOrWritePdf(parent, output_.definition(), output_.source(), output_.pdfPath,
                    output_.what);
}

void ResultCommands::Preview() const {
    report::ShowPreview(window_, output_.definition(), output_.source(),
                        [this](QWidget* window) { Print(window); });
}

void ResultCommands::WriteText() const {
    RunGuarded(window_, [this] { output_.writeText(); });
}

}  // namespace shenbao
