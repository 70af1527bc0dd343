// The text listing command of the main window.

#include "core/listing.h"
#include "gui/dialogs.h"
#include "gui/text.h"
#include "mainwin/list_model.h"
#include "mainwin/zmain.h"

namespace shenbao {

void TZMainForm::N16Click() {
    RunGuarded([this] {
        const std::filesystem::path path = WriteListing(dataDir_, model_->rows());
        ShowMessage(this, QStringLiteral("共输出%1个项目的基本数据，输出的文本文件为“%2”")
                              .arg(model_->rowCount())
                              .arg(FromPath(path)));
    });
}

}  // namespace shenbao
