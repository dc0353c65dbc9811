// Port names: the name Open uses, the device behind a port, and the port box's list.
#include "serial/LyrComm32.h"
#include "util/TextConvert.h"
#include "util/TextCut.h"

#include <algorithm>

namespace celdara {
namespace {

// A bare device name is opened in the device folder.
constexpr std::string_view kDevicePrefix = "/dev/";

// The wildcard patterns of FindPorts' Wanted, each ended by a zero character.
std::vector<std::string> SplitPatterns(const std::string& wanted) {
    std::vector<std::string> patterns;
    for (std::size_t start = 0; start < wanted.size();) {
        std::size_t end = wanted.find('\0', start);
        if (end == std::string::npos)
            end = wanted.size();
        patterns.push_back(wanted.substr(start, end - start));
        start = end + 1;
    }
    return patterns;
}

bool MatchesAny(const std::string& deviceName, const std::vector<std::string>& patterns) {
    for (const std::string& p : patterns) {
        std::size_t pos = 0;
        std::string_view pattern = p;
        if (WildcardCompare(pos, deviceName, pattern, {}) == 0)
            return true;
    }
    return false;
}

// As text ignoring case, the built-in devices after every system port.
void SortPortNames(std::vector<std::string>& list) {
    std::stable_sort(list.begin(), list.end(), [](const std::string& a, const std::string& b) {
        const bool ba = FindSerialDeviceProvider(a) != nullptr;
        const bool bb = FindSerialDeviceProvider(b) != nullptr;
        if (ba != bb)
            return bb;
        return LessIgnoringCase(a, b);
    });
}

} // namespace

std::string TLyrComm32::OpenName() const {
    std::string name = commPort_;
    // A provider's port (the simulated modem) and a path are used as they are; a bare
    // device name gets the device folder in front unless EnhancedName is off.
    if (name.empty() || name.front() == '/' || FindSerialDeviceProvider(name))
        return name;
    const Tristate enhanced = options_->EnhancedName;
    if (enhanced == TristateTrue || enhanced == TristateUnkn)
        name.insert(0, kDevicePrefix);
    return name;
}

std::string TLyrComm32::GetDeviceName(const std::string& PortName) const {
    std::string name = PortName;
    if (name.rfind(kDevicePrefix, 0) == 0)
        name.erase(0, kDevicePrefix.size());
    std::string result = "?";
    const auto list = ListSerialDevices();
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        if (it->PortName == name) {
            result = it->DeviceName;
            break;
        }
    }
    return UpperCase(result);
}

bool TLyrComm32::FillPortList(TPortListBox* ComboBox) {
    std::string wanted;
    return FindPorts(ComboBox, wanted);
}

bool TLyrComm32::FindPorts(TPortListBox* ComboBox, std::string& Wanted) {
    const std::vector<std::string> patterns = SplitPatterns(Wanted);
    Wanted.clear();
    if (!ComboBox)
        return false;
    const auto devices = ListSerialDevices();
    if (devices.empty())
        return false;
    std::string text = ComboBox->Text();

    std::vector<std::string> list;
    int matches = 0;
    for (auto it = devices.rbegin(); it != devices.rend(); ++it) {
        if (MatchesAny(it->DeviceName, patterns)) {
            if (matches == 0)
                Wanted = it->PortName;
            ++matches;
        }
        if (!it->PortName.empty())
            list.push_back(it->PortName);
    }

    if (matches == 1 && !IsOpen()) {
        text = Wanted;
        SetCommPort(Wanted);
    }
    // An empty CommPort is no port at all and is never offered.
    if (!commPort_.empty() && std::none_of(list.begin(), list.end(), [&](const std::string& p) {
            return EqualIgnoringCase(p, commPort_);
        }))
        list.push_back(commPort_);
    SortPortNames(list);
    if (ComboBox->Items() != list)
        ComboBox->SetItems(list);
    if (ComboBox->Focused())
        return true;
    if (ComboBox->Text() != text)
        return ComboBox->SelectComboText(text);
    return true;
}

std::string TLyrComm32::LastOpenErrorText() const {
    return DescribeOpenError(lastOpenName_, lastOpenError_);
}

} // namespace celdara
