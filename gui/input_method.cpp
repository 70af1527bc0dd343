#include "gui/input_method.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QEvent>
#include <QFileInfo>
#include <QTimer>
#include <QWidget>

namespace shenbao {

namespace {

const QString kFcitx5Service = QStringLiteral("org.fcitx.Fcitx5");
const QString kFcitx5Controller = QStringLiteral("/controller");
const QString kFcitx5Interface = QStringLiteral("org.fcitx.Fcitx.Controller1");

// The input method hears of the new focus through its own messages; the
// switch waits this long so that it acts on this field and not on the one
// (perhaps in another program) that had the focus before.
constexpr int kSwitchDelayMs = 100;

struct SwitchSlot {
    bool made = false;
    std::unique_ptr<InputMethodSwitch> value;
};

SwitchSlot& Slot() {
    static SwitchSlot slot;
    return slot;
}

InputMethodSwitch* CurrentSwitch() {
    SwitchSlot& slot = Slot();
    if (!slot.made) {
        slot.value = SessionInputMethodSwitch();
        slot.made = true;
    }
    return slot.value.get();
}

// A session bus can be reached without starting one: its address is set, or
// the user's runtime folder holds the bus socket that libdbus looks for.
bool SessionBusThere() {
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
        return true;
    }
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}

// Watches one field and asks the switch for Chinese each time the field gets
// the focus.
class ChineseInputRequest : public QObject {
  public:
    explicit ChineseInputRequest(QWidget* field) : QObject(field), field_(field) {
        timer_.setSingleShot(true);
        timer_.setInterval(kSwitchDelayMs);
        QObject::connect(&timer_, &QTimer::timeout, this, &ChineseInputRequest::Ask);
        field->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == field_) {
            if (event->type() == QEvent::FocusIn) {
                timer_.start();
            } else if (event->type() == QEvent::FocusOut) {
                timer_.stop();
            }
        }
        return false;
    }

  private:
    void Ask() {
        if (!field_->hasFocus()) {
            return;
        }
        if (InputMethodSwitch* inputSwitch = CurrentSwitch()) {
            // Without a switch the field keeps what the input method chose.
            inputSwitch->SwitchToChinese();
        }
    }

    QWidget* field_;
    QTimer timer_;
};

}  // namespace

Fcitx5Switch::Fcitx5Switch(QString busName) : busName_(std::move(busName)) {}

bool Fcitx5Switch::SwitchToChinese() {
    QDBusConnection bus =
        busName_.isEmpty() ? QDBusConnection::sessionBus() : QDBusConnection(busName_);
    if (!bus.isConnected()) {
        return false;
    }
    QDBusConnectionInterface* daemon = bus.interface();
    if (daemon == nullptr) {
        return false;
    }
    const QDBusReply<bool> registered = daemon->isServiceRegistered(kFcitx5Service);
    if (!registered.isValid() || !registered.value()) {
        return false;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        kFcitx5Service, kFcitx5Controller, kFcitx5Interface, QStringLiteral("Activate"));
    call.setAutoStartService(false);
    return bus.send(call);
}

std::unique_ptr<InputMethodSwitch> SessionInputMethodSwitch() {
    const QString module = qEnvironmentVariable("QT_IM_MODULE").toLower();
    if ((module != QStringLiteral("fcitx") && module != QStringLiteral("fcitx5")) ||
        !SessionBusThere()) {
        return nullptr;
    }
    return std::make_unique<Fcitx5Switch>();
}

void SetInputMethodSwitch(std::unique_ptr<InputMethodSwitch> inputSwitch) {
    SwitchSlot& slot = Slot();
    slot.made = inputSwitch != nullptr;
    slot.value = std::move(inputSwitch);
}

void AskForChineseInput(QWidget* field) {
    field->setAttribute(Qt::WA_InputMethodEnabled, true);
    field->setInputMethodHints(Qt::ImhNone);
    new ChineseInputRequest(field);
}

}  // namespace shenbao
