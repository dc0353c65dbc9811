// The port list from sysfs: /sys/class/tty, or a tree of a test's own.
#include "serial/PosixPortList.h"

#include "serial/PortSource.h"
#include "serial/SerialDevice.h"

#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>

namespace celdara {
namespace {

std::mutex& RootMutex() {
    static std::mutex m;
    return m;
}
std::string& TtyRoot() {
    static std::string root;
    return root;
}

std::string ReadFirstLine(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

} // namespace

void SetSysfsTtyRoot(std::string path) {
    std::lock_guard lock(RootMutex());
    TtyRoot() = std::move(path);
}

std::string SysfsTtyRoot() {
    std::lock_guard lock(RootMutex());
    return TtyRoot().empty() ? std::string("/sys/class/tty") : TtyRoot();
}

bool SysfsTtyRootOverridden() {
    std::lock_guard lock(RootMutex());
    return !TtyRoot().empty() && TtyRoot() != "/sys/class/tty";
}

namespace {

// Every tty with a device behind it, less the placeholder 8250 ports that have no UART
// (their type reads 0); a type at all marks a port of the serial core, a UART. The driver
// is the device's; Bluetooth RFCOMM ports are named so that they begin with "BTPORT", which
// tells the reader that they never report an empty output queue.
class TSysfsPortSource final : public TPortSource {
public:
    bool List(std::vector<TPortInfo>& ports) override {
        namespace fs = std::filesystem;
        std::error_code ec;
        const fs::path root = SysfsTtyRoot();
        for (fs::directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string name = it->path().filename().string();
            const fs::path dir = root / name;
            std::error_code check; // apart from the walk's: a failed check ends no walk
            TPortInfo port;
            port.Node = "/dev/" + name;
            if (name.rfind("rfcomm", 0) == 0) {
                port.Driver = "BTPORT" + name.substr(6);
                ports.push_back(port);
                continue;
            }
            if (!fs::exists(dir / "device", check))
                continue; // virtual terminals, ptys, consoles
            port.Uart = fs::exists(dir / "type", check);
            if (port.Uart && ReadFirstLine(dir / "type") == "0")
                continue;
            port.Driver = "serial";
            const fs::path link = fs::read_symlink(dir / "device" / "driver", check);
            if (!check && !link.filename().empty())
                port.Driver = link.filename().string();
            ports.push_back(port);
        }
        return true;
    }
};

} // namespace

TPortSource& SysfsPortSource() {
    static TSysfsPortSource source;
    return source;
}

} // namespace celdara
