#include "app/display_probe.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdio>
#include <cstring>

namespace shenbao {

namespace {

// While it lives, what the process writes to standard error goes into a pipe
// instead; Taken() gives its first line. libxcb writes the X server's reason
// for refusing a connection there, which belongs in the program's own lines.
class CapturedStandardError {
  public:
    CapturedStandardError() {
        std::fflush(stderr);
        if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
            pipe_[0] = pipe_[1] = -1;
            return;
        }
        saved_ = ::dup(STDERR_FILENO);
        if (saved_ < 0 || ::dup2(pipe_[1], STDERR_FILENO) < 0) {
            Restore();
        }
    }
    ~CapturedStandardError() {
        Restore();
        for (int fd : pipe_) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    }
    CapturedStandardError(const CapturedStandardError&) = delete;
    CapturedStandardError& operator=(const CapturedStandardError&) = delete;

    std::string Taken() {
        Restore();
        std::string text;
        char buffer[512];
        ssize_t n = 0;
        while (pipe_[0] >= 0 && (n = ::read(pipe_[0], buffer, sizeof buffer)) > 0) {
            text.append(buffer, static_cast<std::size_t>(n));
        }
        text = text.substr(0, text.find('\n'));
        while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') {
            text.pop_back();
        }
        return text;
    }

  private:
    void Restore() {
        if (saved_ >= 0) {
            ::dup2(saved_, STDERR_FILENO);
            ::close(saved_);
            saved_ = -1;
        }
    }

    int pipe_[2] = {-1, -1};
    int saved_ = -1;
};

// Connects to the X server as Qt's X11 platform does (the same library, the
// same display name and the same authorisation) and disconnects again. On
// failure `reason` gets what the server said, if anything.
bool CanOpenX11(const std::string& display, std::string& reason) {
    CapturedStandardError captured;
    xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
    const bool ok = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);  // also frees a connection in error
    if (!ok) {
        reason = captured.Taken();
    }
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
    std::string x11Reason;
    if (plan.x11 && !plan.x11Display.empty() && CanOpenX11(plan.x11Display, x11Reason)) {
        return std::nullopt;
    }
    if (plan.wayland && !plan.waylandSocket.empty() && CanOpenWayland(plan.waylandSocket)) {
        return std::nullopt;
    }
    return NoDisplayText(plan, x11Reason);
}

}  // namespace shenbao
