#include "serial/SerialDevice.h"

#include "serial/PosixSerialDevice.h"
#include "util/SystemError.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <mutex>
#include <pwd.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace celdara {

TStopSignal::TStopSignal() : fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

TStopSignal::~TStopSignal() {
    if (fd_ >= 0)
        ::close(fd_);
}

void TStopSignal::Set() {
    set_.store(true, std::memory_order_release);
    if (fd_ >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto n = ::write(fd_, &one, sizeof one);
    }
}

bool IsDeviceGoneError(int error) {
    return error == EIO || error == ENXIO || error == ENODEV;
}

namespace {

std::mutex& RegistryMutex() {
    static std::mutex m;
    return m;
}
std::vector<TSerialDeviceProvider*>& Providers() {
    static std::vector<TSerialDeviceProvider*> list;
    return list;
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

// The system's serial ports from the tty class: every tty with a device behind it, less
// the placeholder 8250 ports that have no UART (their type reads 0). The device name is the
// driver's; Bluetooth RFCOMM ports are named so that they begin with "BTPORT", which tells
// the reader that they never report an empty output queue.
void ListSysfsDevices(std::vector<TSerialDeviceEntry>& list) {
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

} // namespace

void RegisterSerialDeviceProvider(TSerialDeviceProvider* provider) {
    std::lock_guard lock(RegistryMutex());
    auto& list = Providers();
    if (provider && std::find(list.begin(), list.end(), provider) == list.end())
        list.push_back(provider);
}

void UnregisterSerialDeviceProvider(TSerialDeviceProvider* provider) {
    std::lock_guard lock(RegistryMutex());
    std::erase(Providers(), provider);
}

TSerialDeviceProvider* FindSerialDeviceProvider(const std::string& portName) {
    std::lock_guard lock(RegistryMutex());
    for (TSerialDeviceProvider* p : Providers())
        if (p->OwnsPort(portName))
            return p;
    return nullptr;
}

void SetSysfsTtyRoot(std::string path) {
    std::lock_guard lock(RegistryMutex());
    TtyRoot() = std::move(path);
}

std::string SysfsTtyRoot() {
    std::lock_guard lock(RegistryMutex());
    return TtyRoot().empty() ? std::string("/sys/class/tty") : TtyRoot();
}

std::vector<TSerialDeviceEntry> ListSerialDevices() {
    std::vector<TSerialDeviceEntry> list;
    ListSysfsDevices(list);
    std::vector<TSerialDeviceProvider*> providers;
    {
        std::lock_guard lock(RegistryMutex());
        providers = Providers();
    }
    for (TSerialDeviceProvider* p : providers)
        p->ListDevices(list);
    return list;
}

std::unique_ptr<TSerialDevice> OpenSerialDevice(const std::string& name, int& error) {
    error = 0;
    if (TSerialDeviceProvider* p = FindSerialDeviceProvider(name))
        return p->OpenDevice(name, error);
    return OpenPosixSerialDevice(name, error);
}

std::string DescribeOpenError(const std::string& name, int error) {
    switch (error) {
    case 0:
        return {};
    case ENOENT:
    case ENXIO:
    case ENODEV:
        return "The port " + name + " is not there (" + SystemErrorText(error) + ").";
    case EBUSY:
    case EAGAIN:
        return "The port " + name +
               " is in use by another program (ModemManager holds GSM modems unless a udev "
               "rule sets ID_MM_DEVICE_IGNORE).";
    case EACCES:
    case EPERM: {
        struct stat st {};
        if (::stat(name.c_str(), &st) != 0)
            break;
        std::string groupName = std::to_string(st.st_gid);
        bool listed = false;
        if (const group* g = getgrgid(st.st_gid)) {
            groupName = g->gr_name;
            const passwd* pw = getpwuid(getuid());
            for (char** m = g->gr_mem; pw && m && *m; ++m)
                if (pw->pw_name && std::string(*m) == pw->pw_name)
                    listed = true;
        }
        std::vector<gid_t> groups(static_cast<std::size_t>(std::max(getgroups(0, nullptr), 0)));
        const int n = getgroups(static_cast<int>(groups.size()), groups.data());
        const bool active = getegid() == st.st_gid ||
                            std::find(groups.begin(), groups.begin() + std::max(n, 0), st.st_gid) !=
                                groups.begin() + std::max(n, 0);
        std::string text = "No permission to open " + name + ": it belongs to group " + groupName;
        if (active)
            return text + ", which you are in.";
        if (listed)
            return text + "; you were added to it but must log in again.";
        return text + ", which you are not in.";
    }
    default:
        break;
    }
    return "The port " + name + " cannot be opened: " + SystemErrorText(error) + ".";
}

} // namespace celdara
