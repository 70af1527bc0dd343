#include "tests/support/main_form.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QTest>

#include "gui/text.h"
#include "mainwin/list_model.h"

namespace shenbao::testing {

ModalAnswerer::Action ClickSplash() {
    return [](QWidget* splash) {
        EXPECT_STREQ(splash->metaObject()->className(), "shenbao::TFirstForm");
        QTest::mouseClick(splash, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    };
}

std::unique_ptr<TZMainForm> StartMainForm(const TempStore& store, ModalAnswerer& answerer) {
    auto form = std::make_unique<TZMainForm>(FromPath(store.dir()));
    answerer.Then(ClickSplash());
    form->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    return form;
}

void ChooseSortKey(TZMainForm& form, int index) {
    QComboBox* combo = Combo(&form, "ComboBox1");
    ASSERT_NE(combo, nullptr);
    combo->showPopup();
    QAbstractItemView* list = combo->view();
    ASSERT_TRUE(WaitFor([list] { return list->isVisible(); }));
    const QRect item = list->visualRect(list->model()->index(index, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
    ASSERT_TRUE(WaitFor([list] { return !list->isVisible(); }));
}

QString Cell(const TZMainForm& form, int r, int c) {
    return FromGbk(form.listModel()->row(r - 1)[static_cast<std::size_t>(c)]);
}

}  // namespace shenbao::testing
