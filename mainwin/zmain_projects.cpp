// Project commands of the main window: add, modify, view, delete, refresh and
// all projects.

#include <optional>
#include <string>
#include <vector>

#include "editor/zpinfo.h"
#include "gui/dialogs.h"
#include "gui/text.h"
#include "mainwin/list_model.h"
#include "mainwin/zmain.h"
#include "platform/io_error.h"
#include "platform/platform.h"
#include "store/index_file.h"
#include "store/project_id.h"
#include "store/project_record.h"
#include "store/project_removal.h"

namespace shenbao {

namespace {

// Opens a fresh editor for `id` and waits until it is closed.
void RunEditor(TZMainForm* form, const std::string& id, EditorMode mode) {
    TZPInfoForm editor(form->dataDir(), form);
    editor.Prepare(id, mode);
    editor.exec();
}

}  // namespace

// Add: a fresh ID in a new last row, stored in the index at once, then the
// editor for it.
void TZMainForm::BitBtn1Click() {
    if (!MayWriteIndex()) {
        return;
    }
    RunGuarded([this] {
        std::optional<std::string> id = NewProjectId(ListedIds(model_->rows()));
        if (!id) {
            ShowMessage(this, QStringLiteral("错误号:408   未能成功产生一个唯一的ID号。"));
            return;
        }
        const int previous = currentRow();
        ListRow row;
        row[ListColumn::Id] = *id;
        model_->appendRow(row);
        setCurrentRow(projectCount());
        try {
            SaveIndex(dataDir_, RowIds(model_->rows()));
        } catch (const IoError&) {
            // The index does not hold the new ID: neither does the list.
            model_->removeRowAt(projectCount() - 1);
            setCurrentRow(previous);
            ShowPosition();
            throw;
        }
        RunEditor(this, *id, EditorMode::Add);
        const int r = currentRow();
        if (r > 0) {
            LoadProjectRow(*id, r);
        }
    });
}

// Modify: the editor for the current project, then its row read again.
void TZMainForm::BitBtn7Click() {
    if (currentRow() == 0) {
        return;
    }
    RunGuarded([this] {
        RunEditor(this, model_->row(currentRow() - 1)[ListColumn::Id], EditorMode::Modify);
        const int r = currentRow();
        if (r > 0) {
            LoadProjectRow(model_->row(r - 1)[ListColumn::Id], r);
        }
    });
}

// View: the editor for the current project with nothing to save.
void TZMainForm::BitBtn10Click() {
    if (currentRow() == 0) {
        return;
    }
    RunEditor(this, model_->row(currentRow() - 1)[ListColumn::Id], EditorMode::View);
}

// Delete: after the question, the row leaves the list and the index, then
// the project's two files are deleted.
void TZMainForm::BitBtn2Click() {
    if (projectCount() == 0) {
        return;
    }
    if (!MayWriteIndex()) {
        return;
    }
    const int r = currentRow();
    const ListRow& current = model_->row(r - 1);
    if (!AskYesNo(this, QStringLiteral("您真的删除项目“") +
                            FromGbk(current[ListColumn::ProjectName]) + QStringLiteral("”吗?"))) {
        return;
    }
    const std::string id = current[ListColumn::Id];
    RunGuarded([this, r, &id] {
        const ListRow removed = model_->row(r - 1);
        model_->removeRowAt(r - 1);
        try {
            // The index without the project and its files gone: one change.
            DeleteProject(dataDir_, RowIds(model_->rows()), id);
        } catch (const IoError&) {
            // The index still holds the project: so does the list.
            model_->insertRowAt(r - 1, removed);
            setCurrentRow(r);
            throw;
        }
        ReloadList();
    });
}

// Refresh.
void TZMainForm::BitBtn9Click() {
    RunGuarded([this] { ReloadList(); });
}

// All projects: the whole list back after a query.
void TZMainForm::BitBtn11Click() {
    ShowQueryButtons(false);
    RunGuarded([this] { ReloadList(); });
}

}  // namespace shenbao
