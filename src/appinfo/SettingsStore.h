// The per-user settings store: keys such as "Software\Tolm\Celdara\Connection" holding named
// string and integer values. Nothing is cached: every call reads or writes the backing store.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class QSettings;

namespace celdara {

enum class TSettingKind { skNone, skString, skInteger };

class TSettingsStore {
public:
    virtual ~TSettingsStore() = default;

    // How `name` under `key` is stored; skNone when it is missing or the store cannot be read.
    virtual TSettingKind ValueKind(const std::string& key, const std::string& name) = 0;
    // A missing value, one of the other kind, or an unreadable store gives the default.
    virtual std::string ReadString(const std::string& key, const std::string& name,
                                   const std::string& def) = 0;
    virtual std::int32_t ReadInteger(const std::string& key, const std::string& name,
                                     std::int32_t def) = 0;
    // False when the store could not be written; the program goes on either way.
    virtual bool WriteString(const std::string& key, const std::string& name,
                             const std::string& value) = 0;
    virtual bool WriteInteger(const std::string& key, const std::string& name,
                              std::int32_t value) = 0;

    // Writes between these two may be kept back and stored together at the end (the calls
    // nest); reads in between see them.
    virtual void BeginUpdate() {}
    virtual void EndUpdate() {}
};

// BeginUpdate and EndUpdate around a scope.
class TSettingsUpdate {
public:
    explicit TSettingsUpdate(TSettingsStore& store) : store_(store) { store_.BeginUpdate(); }
    ~TSettingsUpdate() { store_.EndUpdate(); }
    TSettingsUpdate(const TSettingsUpdate&) = delete;
    TSettingsUpdate& operator=(const TSettingsUpdate&) = delete;

private:
    TSettingsStore& store_;
};

// The settings as one INI file per user (QSettings, INI format). A key's parts, separated by
// backslashes, become nested groups. Integers are kept as "dword:" and eight hexadecimal
// digits, so that their kind survives the text file; a string that happens to begin with
// "dword:" or "sz:" is kept behind an "sz:" prefix. A file that cannot be read or parsed
// yields the defaults; a write to a file that did not parse replaces it with what could be
// read of it plus the new value.
class TIniSettingsStore final : public TSettingsStore {
public:
    explicit TIniSettingsStore(std::string fileName);
    ~TIniSettingsStore() override;

    const std::string& FileName() const { return fileName_; }

    TSettingKind ValueKind(const std::string& key, const std::string& name) override;
    std::string ReadString(const std::string& key, const std::string& name,
                           const std::string& def) override;
    std::int32_t ReadInteger(const std::string& key, const std::string& name,
                             std::int32_t def) override;
    bool WriteString(const std::string& key, const std::string& name,
                     const std::string& value) override;
    bool WriteInteger(const std::string& key, const std::string& name, std::int32_t value) override;
    // Each write on its own rewrites the file safely and waits for the disk; an update keeps
    // one settings object open and writes the file once, at its end.
    void BeginUpdate() override;
    void EndUpdate() override;

private:
    struct TStoredValue {
        TSettingKind Kind = TSettingKind::skNone;
        std::string Text;
        std::int32_t Integer = 0;
    };
    TStoredValue Read(const std::string& key, const std::string& name);
    bool Write(const std::string& key, const std::string& name, const std::string& encoded);

    std::string fileName_;
    std::unique_ptr<QSettings> update_;
    int updateDepth_ = 0;
};

// $XDG_CONFIG_HOME/Celdara/registry.ini, with ~/.config when the variable is unset or not
// absolute.
std::string DefaultSettingsFile();

// The text form of a stored integer and its reverse (exposed for the store's tests).
std::string EncodeSettingInteger(std::int32_t value);
bool DecodeSettingInteger(const std::string& text, std::int32_t& value);

} // namespace celdara
