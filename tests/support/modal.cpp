#include "tests/support/modal.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QInputMethodEvent>
#include <QProgressDialog>
#include <QTest>

namespace shenbao::testing {

ModalAnswerer::ModalAnswerer() {
    timer_.setInterval(5);
    connect(&timer_, &QTimer::timeout, this, &ModalAnswerer::Poll);
    timer_.start();
}

ModalAnswerer::~ModalAnswerer() {
    timer_.stop();
}

ModalAnswerer& ModalAnswerer::Then(Action action) {
    actions_.push_back(std::move(action));
    return *this;
}

ModalAnswerer& ModalAnswerer::Press(QMessageBox::StandardButton button) {
    return Then([this, button](QWidget* widget) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        if (box == nullptr) {
            ADD_FAILURE() << "expected a message box, got " << widget->metaObject()->className();
            widget->close();
            return;
        }
        messages_ << box->text();
        icons_ << box->icon();
        QAbstractButton* target = box->button(button);
        if (target == nullptr) {
            ADD_FAILURE() << "message box without the expected button: "
                          << box->text().toStdString();
            box->reject();
            return;
        }
        target->click();
    });
}

void ModalAnswerer::Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    // A progress window comes and goes with its job; nobody answers it.
    if (modal == nullptr || !modal->isVisible() ||
        qobject_cast<QProgressDialog*>(modal) != nullptr) {
        return;
    }
    for (const QPointer<QWidget>& seen : handled_) {
        if (seen == modal) {
            return;
        }
    }
    handled_.append(QPointer<QWidget>(modal));
    if (actions_.empty()) {
        ++unexpected_;
        ADD_FAILURE() << "unexpected modal window " << modal->metaObject()->className() << ": "
                      << MessageText(modal).toStdString();
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        } else {
            modal->close();
        }
        return;
    }
    Action action = std::move(actions_.front());
    actions_.pop_front();
    // The action runs from a posted call rather than inside this timer's
    // slot: a timer does not fire again while its slot runs, so a modal box
    // that the action itself opens could not be answered otherwise.
    QPointer<QWidget> target(modal);
    QMetaObject::invokeMethod(
        this,
        [action = std::move(action), target] {
            if (target) {
                action(target);
            }
        },
        Qt::QueuedConnection);
}

QString MessageText(QWidget* widget) {
    auto* box = qobject_cast<QMessageBox*>(widget);
    return box != nullptr ? box->text() : QString();
}

void TypeText(QWidget* widget, const QString& text) {
    QString pending;
    auto commit = [&] {
        if (!pending.isEmpty()) {
            QInputMethodEvent event;
            event.setCommitString(pending);
            QApplication::sendEvent(widget, &event);
            pending.clear();
        }
    };
    for (QChar c : text) {
        if (c.unicode() >= 0x20 && c.unicode() < 0x7F) {
            commit();
            QTest::keyClick(widget, c.toLatin1());
        } else {
            pending.append(c);
        }
    }
    commit();
}

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
    return QTest::qWaitFor(done, timeoutMs);
}

}  // namespace shenbao::testing
