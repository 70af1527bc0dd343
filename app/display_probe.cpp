#include "app/display_probe.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstring>

namespace shenbao {

namespace {

// Connects to the X server as Qt's X11 platform does (the same library, the
// same display name and the same authorisation) and disconnects again.
bool CanOpenX11(const std::string& display) {
    xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
    const bool ok = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);  // also frees a connection in error
    return ok;
}

// Connects to the compositor's socket and closes it again.
bool CanOpenWayland(const std::string& socketPath) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof(address.sun_path)) {
        return false;
    }
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    const bool ok =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

std::optional<std::string> FindDisplayProblem(const DisplayPlan& plan) {
    if (!plan.check) {
        return std::nullopt;
    }
    if (plan.x11 && !plan.x11Display.empty() && CanOpenX11(plan.x11Display)) {
        return std::nullopt;
    }
    if (plan.wayland && !plan.waylandSocket.empty() && CanOpenWayland(plan.waylandSocket)) {
        return std::nullopt;
    }
    return NoDisplayText(plan);
}

}  // namespace shenbao
