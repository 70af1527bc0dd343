#pragma once

// Finding a window's controls by their names, as the window tests reach
// them: a control that is missing fails the test and yields nullptr.

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QString>

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

// Runs the menu command `name` of `window` as a click on its entry does.
inline void Trigger(const QObject* window, const char* name) {
    Find<QAction>(window, name)->trigger();
}

}  // namespace shenbao::testing
