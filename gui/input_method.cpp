#include "gui/input_method.h"

#include <QApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusReply>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <vector>

namespace shenbao {

namespace {

const QString kFcitx5Service = QStringLiteral("org.fcitx.Fcitx5");
const QString kFcitx5Controller = QStringLiteral("/controller");
const QString kFcitx5Interface = QStringLiteral("org.fcitx.Fcitx.Controller1");

// The input method hears of the new focus through its own messages; the
// switch waits this long so that it acts on this field and not on the one
// (perhaps in another program) that had the focus before.
constexpr int kSwitchDelayMs = 100;
// How long the question for the state before may take.
constexpr int kStateTimeoutMs = 1000;

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

// The bus to reach fcitx5 on, when it is connected and fcitx5 is there
// (nothing is started for it).
std::optional<QDBusConnection> Fcitx5Bus(const QString& busName) {
    QDBusConnection bus =
        busName.isEmpty() ? QDBusConnection::sessionBus() : QDBusConnection(busName);
    if (!bus.isConnected()) {
        return std::nullopt;
    }
    QDBusConnectionInterface* daemon = bus.interface();
    if (daemon == nullptr) {
        return std::nullopt;
    }
    const QDBusReply<bool> registered = daemon->isServiceRegistered(kFcitx5Service);
    if (!registered.isValid() || !registered.value()) {
        return std::nullopt;
    }
    return bus;
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

// Watches the fields of one panel: asks the switch for Chinese each time one
// of them gets the focus and, once the focus has gone on to another control
// of their window, gives back the state that the input method had before.
class ChineseInputFields : public QObject {
  public:
    explicit ChineseInputFields(std::initializer_list<QWidget*> fields)
        : QObject(*fields.begin()) {
        for (QWidget* field : fields) {
            fields_.push_back(field);
        }
        for (QTimer* timer : {&askTimer_, &leaveTimer_}) {
            timer->setSingleShot(true);
            timer->setInterval(kSwitchDelayMs);
        }
        QObject::connect(&askTimer_, &QTimer::timeout, this, &ChineseInputFields::Ask);
        QObject::connect(&leaveTimer_, &QTimer::timeout, this, &ChineseInputFields::Leave);
        QObject::connect(qApp, &QApplication::focusChanged, this,
                         &ChineseInputFields::FocusChanged);
    }

  private:
    bool IsField(const QWidget* widget) const {
        return widget != nullptr && std::find(fields_.begin(), fields_.end(), widget) != fields_.end();
    }

    bool FieldHasFocus() const { return IsField(QApplication::focusWidget()); }

    // The focus is on a control of the fields' window outside their panel
    // (the widget that holds them; its buttons are part of it): the user has
    // gone on in this window. (A box of its own or another program does not
    // count: the focus comes back from there.)
    bool FocusLeftForWindow() const {
        const QWidget* focus = QApplication::focusWidget();
        const QWidget* field = fields_.front();
        if (focus == nullptr || field == nullptr || focus->window() != field->window()) {
            return false;
        }
        const QWidget* panel = field->parentWidget();
        return !IsField(focus) && focus != panel && (panel == nullptr || !panel->isAncestorOf(focus));
    }

    void FocusChanged(QWidget* /*old*/, QWidget* now) {
        if (IsField(now)) {
            leaveTimer_.stop();
            askTimer_.start();
            return;
        }
        askTimer_.stop();
        if (held_ && FocusLeftForWindow()) {
            leaveTimer_.start();
        }
    }

    void Ask() {
        if (!FieldHasFocus()) {
            return;
        }
        InputMethodSwitch* inputSwitch = CurrentSwitch();
        if (inputSwitch == nullptr) {
            return;  // the field keeps what the input method chose
        }
        if (!held_) {
            // The question goes out before the switch, so its answer is the
            // state before it.
            held_ = true;
            before_.reset();
            giveBackOnAnswer_ = false;
            const int asking = ++question_;
            QPointer<ChineseInputFields> self(this);
            inputSwitch->AskWhetherChinese([self, asking](std::optional<bool> chinese) {
                if (self && self->question_ == asking) {
                    self->Answered(chinese);
                }
            });
        }
        inputSwitch->SwitchToChinese();
    }

    void Answered(std::optional<bool> chinese) {
        before_ = chinese;
        if (giveBackOnAnswer_ && !held_ && FocusLeftForWindow()) {
            giveBackOnAnswer_ = false;
            GiveBack();
        }
    }

    void Leave() {
        if (!held_ || !FocusLeftForWindow()) {
            return;
        }
        held_ = false;
        if (before_) {
            GiveBack();
        } else {
            // The input method has not answered yet; the answer decides.
            giveBackOnAnswer_ = true;
        }
    }

    // Latin input again when Chinese was off before; it stays on when it
    // was on. Without an answer nothing is changed.
    void GiveBack() {
        InputMethodSwitch* inputSwitch = CurrentSwitch();
        if (inputSwitch != nullptr && before_ == false) {
            inputSwitch->SwitchToLatin();
        }
    }

    std::vector<QPointer<QWidget>> fields_;
    QTimer askTimer_;
    QTimer leaveTimer_;
    // Chinese has been asked for, and the state before not given back yet.
    bool held_ = false;
    // The state before the first request, once the input method has told.
    std::optional<bool> before_;
    // The focus left before the input method told the state before.
    bool giveBackOnAnswer_ = false;
    // Numbers the questions, so that a late answer to an earlier one counts
    // for nothing.
    int question_ = 0;
};

}  // namespace

Fcitx5Switch::Fcitx5Switch(QString busName) : busName_(std::move(busName)) {}

bool Fcitx5Switch::Call(const QString& method) {
    std::optional<QDBusConnection> bus = Fcitx5Bus(busName_);
    if (!bus) {
        return false;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(kFcitx5Service, kFcitx5Controller, kFcitx5Interface, method);
    call.setAutoStartService(false);
    return bus->send(call);
}

bool Fcitx5Switch::SwitchToChinese() {
    return Call(QStringLiteral("Activate"));
}

bool Fcitx5Switch::SwitchToLatin() {
    return Call(QStringLiteral("Deactivate"));
}

void Fcitx5Switch::AskWhetherChinese(StateAnswer answer) {
    std::optional<QDBusConnection> bus = Fcitx5Bus(busName_);
    if (!bus) {
        answer(std::nullopt);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(kFcitx5Service, kFcitx5Controller,
                                                       kFcitx5Interface, QStringLiteral("State"));
    call.setAutoStartService(false);
    auto* watcher = new QDBusPendingCallWatcher(bus->asyncCall(call, kStateTimeoutMs));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [watcher, answer = std::move(answer)] {
                         const QDBusPendingReply<int> reply = *watcher;
                         watcher->deleteLater();
                         // 0: no field of any program has the focus; 1: Chinese
                         // is off; 2: it is on.
                         if (reply.isError() || reply.value() < 1 || reply.value() > 2) {
                             answer(std::nullopt);
                         } else {
                             answer(reply.value() == 2);
                         }
                     });
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

void AskForChineseInput(std::initializer_list<QWidget*> fields) {
    if (fields.size() == 0) {
        return;
    }
    for (QWidget* field : fields) {
        field->setAttribute(Qt::WA_InputMethodEnabled, true);
        field->setInputMethodHints(Qt::ImhNone);
    }
    new ChineseInputFields(fields);
}

}  // namespace shenbao
