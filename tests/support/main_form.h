#pragma once

#include <memory>

#include "mainwin/zmain.h"
#include "tests/support/modal.h"
#include "tests/support/temp_store.h"
#include "tests/support/widgets.h"

namespace shenbao::testing {

// Shows a main window on `store` as the program starts it: the splash is
// answered with a click, then the list is loaded and sorted by project ID.
std::unique_ptr<TZMainForm> StartMainForm(const TempStore& store, ModalAnswerer& answerer);

// An action for ModalAnswerer that dismisses the splash with a click.
ModalAnswerer::Action ClickSplash();

// Chooses item `index` of the sort key list as a user does: opens the list
// and clicks the item, also when it is the one already shown.
void ChooseSortKey(TZMainForm& form, int index);

// The text of list row r (1..N), column c, as display text.
QString Cell(const TZMainForm& form, int r, int c);

}  // namespace shenbao::testing
