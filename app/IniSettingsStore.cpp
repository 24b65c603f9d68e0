// QSettings does the INI syntax. Value names are looked up without regard to
// case, as the registry compares them, and a write keeps the spelling a value
// already has. Like opening the registry key chain, every operation creates
// the folder when it is missing; only writes create or change the file.
#include "IniSettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <cstdlib>

namespace orbit {

namespace {

QString toQString(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// The stored spelling of name in the current group, or name itself.
QString storedKey(const QSettings& file, std::string_view name)
{
    const QString wanted = toQString(name);
    const QStringList keys = file.childKeys();
    for (const QString& key : keys) {
        if (key.compare(wanted, Qt::CaseInsensitive) == 0)
            return key;
    }
    return wanted;
}

} // namespace

IniSettingsStore::IniSettingsStore(const std::string& companyName, const std::string& appName)
    : path(configHome() + "/" + companyName + "/" + appName + ".ini")
{
}

IniSettingsStore::IniSettingsStore(std::string filePath) : path(std::move(filePath)) {}

std::string IniSettingsStore::configHome()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/')
        return xdg;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.config";
}

int IniSettingsStore::readInt(std::string_view section, std::string_view name, int fallback)
{
    QDir().mkpath(QFileInfo(QString::fromStdString(path)).absolutePath());
    QSettings file(QString::fromStdString(path), QSettings::IniFormat);
    if (file.status() != QSettings::NoError)
        return fallback;
    file.beginGroup(toQString(section));
    const QVariant value = file.value(storedKey(file, name));
    // A value with commas reads back as a list, which is no number either.
    if (!value.isValid() || value.typeId() == QMetaType::QStringList)
        return fallback;
    return parseStoredInt(value.toString().toStdString(), fallback);
}

void IniSettingsStore::writeInt(std::string_view section, std::string_view name, int value)
{
    writeString(section, name, std::to_string(value));
}

std::string IniSettingsStore::readString(std::string_view section, std::string_view name, std::string_view fallback)
{
    QDir().mkpath(QFileInfo(QString::fromStdString(path)).absolutePath());
    QSettings file(QString::fromStdString(path), QSettings::IniFormat);
    if (file.status() != QSettings::NoError)
        return std::string(fallback);
    file.beginGroup(toQString(section));
    const QVariant value = file.value(storedKey(file, name));
    if (!value.isValid())
        return std::string(fallback);
    // "a,b" is read back by QSettings as a list; the text is what was stored.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(',')).toStdString();
    return value.toString().toStdString();
}

void IniSettingsStore::writeString(std::string_view section, std::string_view name, std::string_view value)
{
    QDir().mkpath(QFileInfo(QString::fromStdString(path)).absolutePath());
    QSettings file(QString::fromStdString(path), QSettings::IniFormat);
    file.beginGroup(toQString(section));
    file.setValue(storedKey(file, name), toQString(value));
    file.endGroup();
    file.sync();
}

} // namespace orbit
