// The choices the user makes in the terminal window, kept between starts in an INI file of
// their own: the terminal sits below the program's settings and cannot reach them.
#include "terminal/VTolmTerminal.h"

#include <QSettings>
#include <optional>

namespace celdara {

namespace {

const QString kHexEntryKey = QStringLiteral("HexEntry");

// "1"/"true" or "0"/"false"; anything else (a hand-edited file) is no choice at all.
std::optional<bool> ReadChoice(const QSettings& settings, const QString& key) {
    const QString text = settings.value(key).toString().trimmed().toLower();
    if (text == QLatin1String("1") || text == QLatin1String("true"))
        return true;
    if (text == QLatin1String("0") || text == QLatin1String("false"))
        return false;
    return std::nullopt;
}

} // namespace

void VTolmTerminal::RestoreChoices() {
    if (choicesFile_.isEmpty() || Name().empty())
        return;
    QSettings settings(choicesFile_, QSettings::IniFormat);
    settings.beginGroup(QString::fromStdString(Name()));
    if (const std::optional<bool> hexEntry = ReadChoice(settings, kHexEntryKey))
        SetShowHexEdit(*hexEntry);
}

void VTolmTerminal::ChooseHexEntry(bool show) {
    SetShowHexEdit(show);
    if (choicesFile_.isEmpty() || Name().empty())
        return;
    QSettings settings(choicesFile_, QSettings::IniFormat);
    settings.beginGroup(QString::fromStdString(Name()));
    settings.setValue(kHexEntryKey, show ? QStringLiteral("1") : QStringLiteral("0"));
}

} // namespace celdara
