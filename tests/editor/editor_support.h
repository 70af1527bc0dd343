#pragma once

// Helpers of the editor tests: opening an editor on a temporary store,
// finding its controls, and a record with every field and cell filled.

#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTest>
#include <filesystem>
#include <memory>
#include <string>

#include "editor/zpinfo.h"
#include "gui/text.h"
#include "tests/support/modal.h"
#include "tests/support/temp_store.h"
#include "tests/support/widgets.h"

namespace shenbao::testing {

// A temporary store with the code table the program ships, which every
// opening of the editor reads.
struct EditorStore : TempStore {
    EditorStore() { InstallCodeTable(); }
};

// Shows a fresh editor for `id` (no modal loop). Message boxes of the opening
// are answered by `answerer`, which must be set up before.
inline std::unique_ptr<TZPInfoForm> ShowEditor(const TempStore& store, const std::string& id,
                                               EditorMode mode) {
    auto form = std::make_unique<TZPInfoForm>(store.dir());
    form->Prepare(id, mode);
    form->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    return form;
}

inline QTableWidget* Grid(const QWidget* form) {
    return Find<QTableWidget>(form, "StringGrid1");
}

// The box that says a project's file `path` is missing: error 405 for the
// main file, 406 for the member file.
inline QString MissingFileMessage(int error, const std::filesystem::path& path) {
    return QStringLiteral("错误号%1   未找到数据文件“%2”").arg(QString::number(error), FromPath(path));
}

// Every field and every member cell holds a text of its own; the research
// content has line breaks, and the department code and name do not belong
// together (so a rule that ran while loading would show).
inline TProjectRecord FullRecord() {
    TProjectRecord record = NumberedRecord();
    record.Fields[Field::DepartmentCode] = "204";
    record.Fields[Field::DepartmentName] = Gbk("省科学技术厅");
    record.Fields[Field::ResearchContent] = Gbk("第一段内容\r\n第二段 second\r\n\r\n末段");
    return record;
}

}  // namespace shenbao::testing
