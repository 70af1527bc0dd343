// The query fields' request for Chinese input: when they ask, what they give
// back when the focus leaves them, the switch through fcitx5's controller
// (against a private session bus with a stand-in for the controller), and the
// choice of the session's switch.

#include <gtest/gtest.h>

#include <QAction>
#include <QDBusConnection>
#include <QLineEdit>
#include <QObject>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "gui/input_method.h"
#include "tests/support/main_form.h"

namespace shenbao::testing {
namespace {

// Notes what is asked of the input method, and answers the question for the
// state before from the event loop, after `answerDelayMs`, with `before`.
class RecordingSwitch : public InputMethodSwitch {
  public:
    RecordingSwitch(QStringList& calls, std::optional<bool> before = false, int answerDelayMs = 0)
        : calls_(calls), before_(before), answerDelayMs_(answerDelayMs) {}
    bool SwitchToChinese() override {
        calls_ << QStringLiteral("Chinese");
        return true;
    }
    bool SwitchToLatin() override {
        calls_ << QStringLiteral("Latin");
        return true;
    }
    void AskWhetherChinese(StateAnswer answer) override {
        calls_ << QStringLiteral("Ask");
        QTimer::singleShot(answerDelayMs_, [answer, before = before_] { answer(before); });
    }

  private:
    QStringList& calls_;
    std::optional<bool> before_;
    int answerDelayMs_;
};

TEST(QueryFields, EachAsksForChineseWhenItGetsTheFocus) {
    TempStore store;
    ModalAnswerer answerer;
    auto form = StartMainForm(store, answerer);
    QStringList calls;
    SetInputMethodSwitch(std::make_unique<RecordingSwitch>(calls, true));
    const auto requests = [&calls] { return calls.count(QStringLiteral("Chinese")); };
    auto* edit1 = Find<QLineEdit>(form.get(), "Edit1");
    auto* edit2 = Find<QLineEdit>(form.get(), "Edit2");
    auto* button1 = Find<QPushButton>(form.get(), "Button1");
    auto* button2 = Find<QPushButton>(form.get(), "Button2");
    Trigger(form.get(), "N71");
    EXPECT_TRUE(edit1->hasFocus());
    EXPECT_TRUE(WaitFor([&] { return requests() == 1; }));
    edit2->setFocus();
    EXPECT_TRUE(WaitFor([&] { return requests() == 2; }));
    // A field that has lost the focus again before the input method heard of
    // it asks nothing, so the request never lands in another field.
    edit1->setFocus();
    button1->setFocus();
    QTest::qWait(300);
    EXPECT_EQ(requests(), 2);
    button2->click();
    QTest::qWait(300);
    EXPECT_EQ(requests(), 2);
    // The state before is asked once, before the first request.
    EXPECT_EQ(calls.count(QStringLiteral("Ask")), 1);
    EXPECT_EQ(calls.value(0), QStringLiteral("Ask"));
    SetInputMethodSwitch(nullptr);
}

// Leaving the query panel gives the input method back what it had before the
// panel asked for Chinese: typing on the list then opens no candidate bar.
TEST(QueryFields, LeavingThePanelGivesTheStateBeforeBack) {
    TempStore store;
    ModalAnswerer answerer;
    auto form = StartMainForm(store, answerer);
    struct Row {
        const char* how;
        std::optional<bool> before;  // Chinese on before; nothing: the input method cannot tell
        int answerDelayMs;
        const char* leave;  // "Button2" gives up, "Button1" confirms empty fields
        QStringList expected;
    };
    const QStringList asked = {"Ask", "Chinese", "Chinese"};
    const Row rows[] = {
        {"Latin before", false, 0, "Button2", asked + QStringList{"Latin"}},
        {"Chinese before", true, 0, "Button2", asked},
        {"no answer", std::nullopt, 0, "Button2", asked},
        // The answer comes only after the focus has left: it still decides.
        {"late answer", false, 700, "Button2", asked + QStringList{"Latin"}},
        // Through the message box of an empty entry, back to the list.
        {"after a box", false, 0, "Button1", asked + QStringList{"Latin"}},
    };
    auto* edit2 = Find<QLineEdit>(form.get(), "Edit2");
    auto* grid = Find<QTableView>(form.get(), "StringGrid1");
    for (const Row& row : rows) {
        QStringList calls;
        SetInputMethodSwitch(std::make_unique<RecordingSwitch>(calls, row.before, row.answerDelayMs));
        Trigger(form.get(), "N15");
        EXPECT_TRUE(WaitFor([&] { return calls.count(QStringLiteral("Chinese")) == 1; })) << row.how;
        // Between the panel's own fields and buttons nothing is given back.
        edit2->setFocus();
        EXPECT_TRUE(WaitFor([&] { return calls.count(QStringLiteral("Chinese")) == 2; }))
            << row.how;
        Find<QPushButton>(form.get(), "Button1")->setFocus();
        QTest::qWait(row.answerDelayMs + 300);
        EXPECT_EQ(calls, asked) << row.how;
        if (std::string(row.leave) == "Button1") {
            answerer.Ok();
        }
        Find<QPushButton>(form.get(), row.leave)->click();
        // After a box the window manager gives the window back its activation.
        form->activateWindow();
        EXPECT_TRUE(WaitFor([&] { return grid->hasFocus(); })) << row.how;
        QTest::qWait(row.answerDelayMs + 300);
        EXPECT_EQ(calls, row.expected) << row.how;
    }
    EXPECT_EQ(answerer.pending(), 0u);
    SetInputMethodSwitch(nullptr);
}

// Stands in for fcitx5's controller object: Chinese off (state 1) or on (2).
class FakeController : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.fcitx.Fcitx.Controller1")
  public:
    int activations = 0;
    int deactivations = 0;
    int state = 1;
  public slots:
    void Activate() {
        ++activations;
        state = 2;
    }
    void Deactivate() {
        ++deactivations;
        state = 1;
    }
    int State() { return state; }
};

// A session bus of the test's own.
class PrivateBus : public ::testing::Test {
  protected:
    void SetUp() override {
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"),
                       QStringLiteral("--nopidfile"), QStringLiteral("--print-address")});
        ASSERT_TRUE(daemon_.waitForStarted(5000)) << "dbus-daemon is needed (package dbus-daemon)";
        ASSERT_TRUE(WaitFor([&] { return daemon_.canReadLine(); }));
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
        ASSERT_FALSE(address_.isEmpty());
    }
    void TearDown() override {
        for (const QString& name : names_) {
            QDBusConnection::disconnectFromBus(name);
        }
        daemon_.kill();
        daemon_.waitForFinished(5000);
    }
    QDBusConnection Connect(const QString& name) {
        names_ << name;
        return QDBusConnection::connectToBus(address_, name);
    }

    QProcess daemon_;
    QString address_;
    QStringList names_;
};

TEST_F(PrivateBus, TheFcitx5SwitchActivatesTheControllerOnlyWhereItIsThere) {
    QDBusConnection program = Connect(QStringLiteral("program"));
    ASSERT_TRUE(program.isConnected());
    Fcitx5Switch inputSwitch(QStringLiteral("program"));
    // No fcitx5 on the bus: no switch, and nothing is started for it.
    EXPECT_FALSE(inputSwitch.SwitchToChinese());

    QDBusConnection inputMethod = Connect(QStringLiteral("fcitx5"));
    FakeController controller;
    ASSERT_TRUE(inputMethod.registerObject(QStringLiteral("/controller"), &controller,
                                           QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(inputMethod.registerService(QStringLiteral("org.fcitx.Fcitx5")));
    EXPECT_TRUE(inputSwitch.SwitchToChinese());
    EXPECT_TRUE(WaitFor([&] { return controller.activations == 1; }));
    EXPECT_TRUE(inputSwitch.SwitchToChinese());
    EXPECT_TRUE(WaitFor([&] { return controller.activations == 2; }));

    // Asked before a switch, the state is the one before it.
    EXPECT_TRUE(inputSwitch.SwitchToLatin());
    EXPECT_TRUE(WaitFor([&] { return controller.deactivations == 1; }));
    std::vector<std::optional<bool>> answers;
    inputSwitch.AskWhetherChinese([&](std::optional<bool> chinese) { answers.push_back(chinese); });
    EXPECT_TRUE(inputSwitch.SwitchToChinese());
    inputSwitch.AskWhetherChinese([&](std::optional<bool> chinese) { answers.push_back(chinese); });
    EXPECT_TRUE(WaitFor([&] { return answers.size() == 2; }));
    EXPECT_EQ(answers, (std::vector<std::optional<bool>>{false, true}));
    // No field has the focus (state 0): it cannot tell.
    controller.state = 0;
    inputSwitch.AskWhetherChinese([&](std::optional<bool> chinese) { answers.push_back(chinese); });
    EXPECT_TRUE(WaitFor([&] { return answers.size() == 3; }));
    EXPECT_EQ(answers.back(), std::nullopt);

    // The input method quits: back to no switch.
    inputMethod.unregisterService(QStringLiteral("org.fcitx.Fcitx5"));
    EXPECT_FALSE(inputSwitch.SwitchToChinese());
    EXPECT_FALSE(inputSwitch.SwitchToLatin());
    inputSwitch.AskWhetherChinese([&](std::optional<bool> chinese) { answers.push_back(chinese); });
    ASSERT_EQ(answers.size(), 4u);  // at once
    EXPECT_EQ(answers.back(), std::nullopt);
    QTest::qWait(100);
    EXPECT_EQ(controller.activations, 3);
    EXPECT_EQ(controller.deactivations, 1);

    // No bus at all.
    EXPECT_FALSE(Fcitx5Switch(QStringLiteral("never-connected")).SwitchToChinese());
}

TEST(SessionInputMethodSwitch, OnlyFcitxWithASessionBusHasOne) {
    TempStore runtime, bare;
    runtime.Write("bus", "");  // where libdbus finds the user's bus
    ScopedEnv module("QT_IM_MODULE", nullptr);
    ScopedEnv address("DBUS_SESSION_BUS_ADDRESS", nullptr);
    ScopedEnv runtimeDir("XDG_RUNTIME_DIR", nullptr);
    struct Row {
        const char* module;
        const char* address;
        std::string runtimeDir;
        bool expected;
    };
    const Row rows[] = {
        {"fcitx", "unix:path=/run/user/1000/bus", "", true},
        {"fcitx5", "unix:path=/run/user/1000/bus", "", true},
        {"fcitx", nullptr, runtime.dir().string(), true},
        // Without a bus nothing would answer, and none is started.
        {"fcitx", nullptr, "", false},
        {"fcitx", nullptr, bare.dir().string(), false},
        {"fcitx", "", "", false},
        // Other input methods have no switch: the field keeps what they chose.
        {"ibus", "unix:path=/run/user/1000/bus", "", false},
        {nullptr, "unix:path=/run/user/1000/bus", "", false},
        {"xim", "unix:path=/run/user/1000/bus", "", false},
    };
    for (const Row& row : rows) {
        module.Set(row.module);
        address.Set(row.address);
        runtimeDir.Set(row.runtimeDir.empty() ? nullptr : row.runtimeDir.c_str());
        EXPECT_EQ(SessionInputMethodSwitch() != nullptr, row.expected)
            << (row.module ? row.module : "unset") << " " << (row.address ? row.address : "unset")
            << " " << row.runtimeDir;
    }
}

}  // namespace
}  // namespace shenbao::testing

#include "input_method_test.moc"
