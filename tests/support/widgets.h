#pragma once

// Finding a window's controls by their names, as the window tests reach
// them: a control that is missing fails the test and yields nullptr.

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QWidget>
#include <initializer_list>
#include <tuple>

namespace shenbao::testing {

template <typename T>
T* Find(const QObject* parent, const char* name) {
    T* child = parent->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
}

inline QLineEdit* Edit(const QObject* parent, const char* name) {
    return Find<QLineEdit>(parent, name);
}
inline QComboBox* Combo(const QObject* parent, const char* name) {
    return Find<QComboBox>(parent, name);
}
inline QPushButton* Button(const QObject* parent, const char* name) {
    return Find<QPushButton>(parent, name);
}

// A row of a window's layout table: a control's left, top, width and height
// in its parent, in pixels (-1: not part of the row). The row named as the
// window itself gives its size.
struct Place {
    const char* name;
    int left = -1, top = -1, width = -1, height = -1;
};

// Checks every row of `table` against the controls of `window`.
inline void ExpectLayout(const QWidget* window, std::initializer_list<Place> table) {
    for (const Place& row : table) {
        const QWidget* control = window->objectName() == QLatin1String(row.name)
                                     ? window
                                     : Find<QWidget>(window, row.name);
        if (control == nullptr) {
            continue;
        }
        const QRect box = control == window ? window->rect() : control->geometry();
        for (const auto& [what, wanted, actual] :
             {std::tuple{"left", row.left, box.left()}, std::tuple{"top", row.top, box.top()},
              std::tuple{"width", row.width, box.width()},
              std::tuple{"height", row.height, box.height()}}) {
            if (wanted >= 0) {
                EXPECT_EQ(actual, wanted) << row.name << " " << what;
            }
        }
    }
}

// Runs the menu command `name` of `window` as a click on its entry does.
inline void Trigger(const QObject* window, const char* name) {
    Find<QAction>(window, name)->trigger();
}

}  // namespace shenbao::testing
