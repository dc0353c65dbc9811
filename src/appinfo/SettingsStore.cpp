#include "appinfo/SettingsStore.h"

#include "util/UserFolders.h"

#include <QSettings>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace celdara {

namespace {

constexpr std::string_view kIntegerPrefix = "dword:";
constexpr std::string_view kStringPrefix = "sz:";

// Settings texts are byte strings; Latin-1 carries every byte through the file unchanged.
QString ToQ(const std::string& s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

std::string FromQ(const QString& s) {
    return s.toLatin1().toStdString();
}

// QSettings reads "/" and "\" in a key as group separators and gives "%" a meaning in the
// file; a key part or a value name may hold any of them.
std::string EscapePart(const std::string& part) {
    std::string out;
    for (char c : part) {
        if (c == '%')
            out += "%25";
        else if (c == '/')
            out += "%2F";
        else if (c == '\\')
            out += "%5C";
        else
            out += c;
    }
    return out;
}

QString SettingsPath(const std::string& key, const std::string& name) {
    std::string path;
    std::size_t start = 0;
    while (start <= key.size()) {
        std::size_t end = key.find('\\', start);
        if (end == std::string::npos)
            end = key.size();
        if (end > start)
            path += EscapePart(key.substr(start, end - start)) + '/';
        start = end + 1;
    }
    // A key's unnamed value: a bare "%" cannot come out of EscapePart.
    path += name.empty() ? std::string("%") : EscapePart(name);
    return ToQ(path);
}

bool StartsWith(const std::string& s, std::string_view prefix) {
    return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

std::string EncodeSettingInteger(std::int32_t value) {
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(value));
    return std::string(kIntegerPrefix) + digits;
}

bool DecodeSettingInteger(const std::string& text, std::int32_t& value) {
    if (!StartsWith(text, kIntegerPrefix) || text.size() != kIntegerPrefix.size() + 8)
        return false;
    std::uint32_t v = 0;
    for (std::size_t i = kIntegerPrefix.size(); i < text.size(); ++i) {
        char c = text[i];
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return false;
        v = v << 4 | static_cast<std::uint32_t>(d);
    }
    value = static_cast<std::int32_t>(v);
    return true;
}

TIniSettingsStore::TIniSettingsStore(std::string fileName) : fileName_(std::move(fileName)) {}

TIniSettingsStore::~TIniSettingsStore() {
    if (update_)
        update_->sync();
}

void TIniSettingsStore::BeginUpdate() {
    if (updateDepth_++ == 0)
        update_ = std::make_unique<QSettings>(ToQ(fileName_), QSettings::IniFormat);
}

void TIniSettingsStore::EndUpdate() {
    if (updateDepth_ == 0 || --updateDepth_ > 0)
        return;
    update_->sync();
    update_.reset();
}

TIniSettingsStore::TStoredValue TIniSettingsStore::Read(const std::string& key,
                                                        const std::string& name) {
    TStoredValue result;
    std::optional<QSettings> own;
    QSettings& settings = update_ ? *update_ : own.emplace(ToQ(fileName_), QSettings::IniFormat);
    if (settings.status() != QSettings::NoError)
        return result;
    QVariant v = settings.value(SettingsPath(key, name));
    if (!v.isValid())
        return result;
    // An unquoted text with commas in a hand-edited file comes back as a list.
    std::string text = v.typeId() == QMetaType::QStringList
                           ? FromQ(v.toStringList().join(QStringLiteral(", ")))
                           : FromQ(v.toString());
    if (DecodeSettingInteger(text, result.Integer)) {
        result.Kind = TSettingKind::skInteger;
        return result;
    }
    result.Kind = TSettingKind::skString;
    result.Text = StartsWith(text, kStringPrefix) ? text.substr(kStringPrefix.size()) : text;
    return result;
}

bool TIniSettingsStore::Write(const std::string& key, const std::string& name,
                              const std::string& encoded) {
    std::optional<QSettings> own;
    QSettings& settings = update_ ? *update_ : own.emplace(ToQ(fileName_), QSettings::IniFormat);
    if (settings.status() == QSettings::AccessError)
        return false;
    // A file that did not parse is written anew from what could be read of it, so that the
    // program can keep its settings again; the status still tells of the parse.
    settings.setValue(SettingsPath(key, name), ToQ(encoded));
    if (!update_)
        settings.sync();
    return settings.status() != QSettings::AccessError;
}

TSettingKind TIniSettingsStore::ValueKind(const std::string& key, const std::string& name) {
    return Read(key, name).Kind;
}

std::string TIniSettingsStore::ReadString(const std::string& key, const std::string& name,
                                          const std::string& def) {
    TStoredValue v = Read(key, name);
    return v.Kind == TSettingKind::skString ? v.Text : def;
}

std::int32_t TIniSettingsStore::ReadInteger(const std::string& key, const std::string& name,
                                            std::int32_t def) {
    TStoredValue v = Read(key, name);
    return v.Kind == TSettingKind::skInteger ? v.Integer : def;
}

bool TIniSettingsStore::WriteString(const std::string& key, const std::string& name,
                                    const std::string& value) {
    bool needsPrefix = StartsWith(value, kIntegerPrefix) || StartsWith(value, kStringPrefix);
    return Write(key, name, needsPrefix ? std::string(kStringPrefix) + value : value);
}

bool TIniSettingsStore::WriteInteger(const std::string& key, const std::string& name,
                                     std::int32_t value) {
    return Write(key, name, EncodeSettingInteger(value));
}

std::string DefaultSettingsFile() {
    return UserConfigHome() + "/Celdara/registry.ini";
}

} // namespace celdara
