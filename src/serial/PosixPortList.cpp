// The port list from sysfs: /sys/class/tty, or a tree of a test's own.
#include "serial/PosixPortList.h"

#include <algorithm>
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

// Every tty with a device behind it, less the placeholder 8250 ports that have no UART
// (their type reads 0). The device name is the driver's; Bluetooth RFCOMM ports are named
// so that they begin with "BTPORT", which tells the reader that they never report an empty
// output queue.
void ListSystemSerialDevices(std::vector<TSerialDeviceEntry>& list) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path root = SysfsTtyRoot();
    std::vector<std::string> names;
    for (fs::directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec))
        names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        const fs::path dir = root / name;
        if (name.rfind("rfcomm", 0) == 0) {
            list.push_back({"BTPORT" + name.substr(6), name});
            continue;
        }
        if (!fs::exists(dir / "device", ec))
            continue; // virtual terminals, ptys, consoles
        if (fs::exists(dir / "type", ec) && ReadFirstLine(dir / "type") == "0")
            continue;
        std::string driver = "serial";
        const fs::path link = fs::read_symlink(dir / "device" / "driver", ec);
        if (!ec && !link.filename().empty())
            driver = link.filename().string();
        list.push_back({driver, name});
    }
}

} // namespace celdara
