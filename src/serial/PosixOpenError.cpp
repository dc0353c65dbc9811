// Why a port would not open, in words: the error number, and for a refused permission the
// device's group and whether the user is in it, which takes a look at the file and the
// user's groups.
#include "serial/SerialDevice.h"
#include "util/SystemError.h"

#include <algorithm>
#include <cerrno>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace celdara {
namespace {

// True when the user is listed as a member of the group (which counts only after the next
// log-in, when the process is not in it yet).
bool UserListedInGroup(const group& g) {
    const passwd* pw = getpwuid(getuid());
    for (char** m = g.gr_mem; pw && m && *m; ++m)
        if (pw->pw_name && std::string(*m) == pw->pw_name)
            return true;
    return false;
}

// True when this process has the group now.
bool ProcessInGroup(gid_t gid) {
    if (getegid() == gid)
        return true;
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(getgroups(0, nullptr), 0)));
    const int n = std::max(getgroups(static_cast<int>(groups.size()), groups.data()), 0);
    return std::find(groups.begin(), groups.begin() + n, gid) != groups.begin() + n;
}

// The sentence for a refused permission; empty when the device cannot be looked at.
std::string DescribePermissionError(const std::string& name) {
    struct stat st {};
    if (::stat(name.c_str(), &st) != 0)
        return {};
    std::string groupName = std::to_string(st.st_gid);
    bool listed = false;
    if (const group* g = getgrgid(st.st_gid)) {
        groupName = g->gr_name;
        listed = UserListedInGroup(*g);
    }
    std::string text = "No permission to open " + name + ": it belongs to group " + groupName;
    if (ProcessInGroup(st.st_gid))
        return text + ", which you are in.";
    if (listed)
        return text + "; you were added to it but must log in again.";
    return text + ", which you are not in.";
}

} // namespace

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
    case EPERM:
        if (std::string text = DescribePermissionError(name); !text.empty())
            return text;
        break;
    default:
        break;
    }
    return "The port " + name + " cannot be opened: " + SystemErrorText(error) + ".";
}

} // namespace celdara
