// The query fields' request for Chinese input: when they ask, the switch to
// Chinese through fcitx5's controller (against a private session bus with a
// stand-in for the controller), and the choice of the session's switch.

#include <gtest/gtest.h>

#include <QAction>
#include <QDBusConnection>
#include <QLineEdit>
#include <QObject>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <cstdlib>
#include <optional>
#include <string>

#include "gui/input_method.h"
#include "tests/support/main_form.h"

namespace shenbao::testing {
namespace {

// Counts the requests for Chinese input that reach the input method.
class CountingSwitch : public InputMethodSwitch {
  public:
    explicit CountingSwitch(int& requests) : requests_(requests) {}
    bool SwitchToChinese() override {
        ++requests_;
        return true;
    }

  private:
    int& requests_;
};

TEST(QueryFields, EachAsksForChineseWhenItGetsTheFocus) {
    TempStore store;
    ModalAnswerer answerer;
    auto form = StartMainForm(store, answerer);
    int requests = 0;
    SetInputMethodSwitch(std::make_unique<CountingSwitch>(requests));
    auto* edit1 = Find<QLineEdit>(form.get(), "Edit1");
    auto* edit2 = Find<QLineEdit>(form.get(), "Edit2");
    auto* button1 = Find<QPushButton>(form.get(), "Button1");
    auto* button2 = Find<QPushButton>(form.get(), "Button2");
    Trigger(form.get(), "N71");
    EXPECT_TRUE(edit1->hasFocus());
    EXPECT_TRUE(WaitFor([&] { return requests == 1; }));
    edit2->setFocus();
    EXPECT_TRUE(WaitFor([&] { return requests == 2; }));
    // A field that has lost the focus again before the input method heard of
    // it asks nothing, so the request never lands in another field.
    edit1->setFocus();
    button1->setFocus();
    QTest::qWait(300);
    EXPECT_EQ(requests, 2);
    button2->click();
    QTest::qWait(300);
    EXPECT_EQ(requests, 2);
    SetInputMethodSwitch(nullptr);
}

// Stands in for fcitx5's controller object.
class FakeController : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.fcitx.Fcitx.Controller1")
  public:
    int activations = 0;
  public slots:
    void Activate() { ++activations; }
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

    // The input method quits: back to no switch.
    inputMethod.unregisterService(QStringLiteral("org.fcitx.Fcitx5"));
    EXPECT_FALSE(inputSwitch.SwitchToChinese());
    QTest::qWait(100);
    EXPECT_EQ(controller.activations, 2);

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
