#include "support/SwaySession.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "support/Files.h"
#include "support/XSession.h"

namespace skr::e2e {
namespace {

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

bool SendAll(int fd, const void* data, size_t n) {
    const auto* p = static_cast<const unsigned char*>(data);
    while (n > 0) {
        const ssize_t sent = send(fd, p, n, MSG_NOSIGNAL);
        if (sent <= 0) return false;
        p += sent;
        n -= static_cast<size_t>(sent);
    }
    return true;
}

bool ReceiveAll(int fd, void* data, size_t n) {
    auto* p = static_cast<unsigned char*>(data);
    while (n > 0) {
        const ssize_t got = recv(fd, p, n, 0);
        if (got <= 0) return false;
        p += got;
        n -= static_cast<size_t>(got);
    }
    return true;
}

// A port of this machine's loopback that nothing listens on now.
int FreePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    int port = 0;
    if (fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) == 0)
        port = ntohs(a.sin_port);
    if (fd >= 0) close(fd);
    return port;
}

// The VNC protocol as far as a pointer needs it (RFB 3.8, no security):
// the handshake; afterwards PointerEvent messages. The socket, or -1.
int ConnectVnc(int port, std::string& failure) {
    for (int i = 0; i < 100; ++i, Sleep(50)) {
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            close(fd);
            continue;
        }
        char version[12];
        unsigned char count = 0, result[4], init[24];
        std::vector<unsigned char> types;
        bool ok = ReceiveAll(fd, version, sizeof version) && SendAll(fd, "RFB 003.008\n", 12) && ReceiveAll(fd, &count, 1);
        types.resize(count);
        const unsigned char none = 1, shared = 1;
        ok = ok && count > 0 && ReceiveAll(fd, types.data(), count) && SendAll(fd, &none, 1) &&
             ReceiveAll(fd, result, 4) && result[0] == 0 && result[1] == 0 && result[2] == 0 && result[3] == 0 &&
             SendAll(fd, &shared, 1) && ReceiveAll(fd, init, sizeof init);
        // (The server's name follows its initialisation.)
        const uint32_t nameLength = ok ? (uint32_t(init[20]) << 24 | uint32_t(init[21]) << 16 | uint32_t(init[22]) << 8 | init[23]) : 0;
        std::vector<unsigned char> name(nameLength < 4096 ? nameLength : 0);
        if (ok && nameLength < 4096 && ReceiveAll(fd, name.data(), name.size())) return fd;
        close(fd);
        failure = "wayvnc did not complete the VNC handshake";
        return -1;
    }
    failure = "wayvnc did not listen";
    return -1;
}

}  // namespace

SwaySession::SwaySession(int scale) : scale_(scale < 1 ? 1 : scale) {
    char tmpl[] = "/tmp/skr-sway-XXXXXX";
    if (!mkdtemp(tmpl)) {
        failure_ = "no folder for sway";
        return;
    }
    dir_ = tmpl;
    runtime_ = dir_ + "/runtime";
    std::error_code ec;
    std::filesystem::create_directory(runtime_, ec);
    std::filesystem::permissions(runtime_, std::filesystem::perms::owner_all, ec);
    // One output of 960 x 540 units at the scale; captions drawn by sway
    // itself; no Xwayland. (Readable by the user sway runs as.)
    const std::string config = dir_ + "/config";
    std::ofstream(config) << "output HEADLESS-1 resolution " << 960 * scale_ << "x" << 540 * scale_
                          << " position 0 0 scale " << scale_ << "\noutput HEADLESS-1 bg #203040 solid_color\n"
                          << "xwayland disable\n";
    std::vector<std::string> command;
    if (geteuid() == 0) {
        // As nobody, who must own its runtime folder.
        const passwd* nobody = getpwnam("nobody");
        if (!nobody || chown(runtime_.c_str(), nobody->pw_uid, nobody->pw_gid) != 0) {
            failure_ = "no user nobody to run sway as";
            return;
        }
        command = {"setpriv", "--reuid=" + std::to_string(nobody->pw_uid), "--regid=" + std::to_string(nobody->pw_gid),
                   "--clear-groups"};
    }
    std::filesystem::permissions(dir_, std::filesystem::perms::owner_all | std::filesystem::perms::others_read |
                                           std::filesystem::perms::others_exec, ec);
    std::filesystem::permissions(config, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                                             std::filesystem::perms::others_read, ec);
    for (const char* a : {"env", "-i", "PATH=/usr/bin:/bin", "HOME=/nonexistent"}) command.emplace_back(a);
    for (const std::string& a : {"XDG_RUNTIME_DIR=" + runtime_, std::string("WLR_BACKENDS=headless"),
                                 std::string("WLR_LIBINPUT_NO_DEVICES=1"), std::string("WLR_RENDERER=pixman"),
                                 std::string("sway"), std::string("-c"), config})
        command.push_back(a);
    sway_ = Spawn(command, {}, dir_ + "/sway.log", true);
    // Ready once both its Wayland and its control sockets are there.
    for (int i = 0; i < 200 && (socket_.empty() || ipc_.empty()); ++i, Sleep(50))
        for (const auto& entry : std::filesystem::directory_iterator(runtime_, ec)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("wayland-", 0) == 0 && name.find('.') == std::string::npos) socket_ = name;
            if (name.rfind("sway-ipc.", 0) == 0) ipc_ = entry.path().string();
        }
    if (socket_.empty() || ipc_.empty()) {
        const std::vector<uint8_t> log = test::TryReadFile(dir_ + "/sway.log").value_or(std::vector<uint8_t>{});
        failure_ = "sway did not start (the sway package): " + std::string(log.begin(), log.end());
        return;
    }
    const int port = FreePort();
    wayvnc_ = Spawn({"wayvnc", "127.0.0.1", std::to_string(port)},
                    {"WAYLAND_DISPLAY=" + socket_, "XDG_RUNTIME_DIR=" + runtime_}, dir_ + "/wayvnc.log", true);
    vnc_ = ConnectVnc(port, failure_);
    if (vnc_ < 0) failure_ += " (the wayvnc package)";
}

SwaySession::~SwaySession() {
    if (vnc_ >= 0) close(vnc_);
    for (pid_t* p : {&program_, &wayvnc_, &sway_}) {
        if (*p <= 0) continue;
        kill(p == &program_ ? *p : -*p, SIGKILL);
        waitpid(*p, nullptr, 0);
    }
    std::error_code ec;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
    if (!errorLog_.empty()) std::remove(errorLog_.c_str());
}

bool SwaySession::Launch(const std::string& program, const std::vector<std::string>& env) {
    std::vector<std::string> all{"WAYLAND_DISPLAY=" + socket_, "XDG_RUNTIME_DIR=" + runtime_};
    all.insert(all.end(), env.begin(), env.end());
    errorLog_ = dir_ + "/program.log";
    program_ = Spawn({program}, all, errorLog_);
    return program_ > 0;
}

std::string SwaySession::ProgramErrors() const { return LogTail(errorLog_); }

std::vector<uint32_t> SwaySession::Screenshot(int& width, int& height) {
    std::vector<uint32_t> out;
    const std::string file = dir_ + "/screen.ppm";
    const pid_t grim = Spawn({"grim", "-t", "ppm", file}, {"WAYLAND_DISPLAY=" + socket_, "XDG_RUNTIME_DIR=" + runtime_});
    int status = 0;
    if (grim <= 0 || waitpid(grim, &status, 0) != grim || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return out;
    // A binary PPM: "P6", width, height, the largest value (255), pixels.
    const std::vector<uint8_t> ppm = test::TryReadFile(file).value_or(std::vector<uint8_t>{});
    // (The header is read from a copy that ends, never past the file.)
    const std::string header(ppm.begin(), ppm.begin() + static_cast<std::ptrdiff_t>(std::min<size_t>(ppm.size(), 64)));
    int maxValue = 0, at = 0;
    if (std::sscanf(header.c_str(), "P6 %d %d %d%n", &width, &height, &maxValue, &at) != 3 || maxValue != 255 ||
        width <= 0 || height <= 0 || width > 16384 || height > 16384)
        return out;
    const size_t start = static_cast<size_t>(at) + 1, n = size_t(width) * size_t(height);
    if (ppm.size() < start + 3 * n) return out;
    out.resize(n);
    for (size_t i = 0; i < n; ++i)
        out[i] = uint32_t(ppm[start + 3 * i]) << 16 | uint32_t(ppm[start + 3 * i + 1]) << 8 | ppm[start + 3 * i + 2];
    return out;
}

bool SwaySession::Pointer(int x, int y, bool down) {
    const unsigned char event[6] = {5, static_cast<unsigned char>(down ? 1 : 0), static_cast<unsigned char>(x >> 8),
                                    static_cast<unsigned char>(x), static_cast<unsigned char>(y >> 8),
                                    static_cast<unsigned char>(y)};
    return vnc_ >= 0 && x >= 0 && y >= 0 && SendAll(vnc_, event, sizeof event);
}

bool SwaySession::Click(int x, int y) {
    const bool ok = Pointer(x, y, false);
    Sleep(50);
    const bool pressed = ok && Pointer(x, y, true);
    Sleep(50);
    return pressed && Pointer(x, y, false);
}

std::string SwaySession::SwayMsg(const std::string& args) {
    std::string out;
    FILE* p = popen(("swaymsg -s '" + ipc_ + "' " + args + " 2>&1").c_str(), "r");
    if (!p) return out;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, p)) > 0;) out.append(buffer, n);
    pclose(p);
    return out;
}

std::string SwaySession::Tree() { return SwayMsg("-t get_tree"); }

void SwaySession::Close(const std::string& title) { SwayMsg("'[title=\"" + title + "\"] kill'"); }

int SwaySession::WaitExit(int timeoutMs) { return WaitForExit(program_, timeoutMs); }

}  // namespace skr::e2e
