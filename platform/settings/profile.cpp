#include "platform/settings/profile.h"

#include "platform/base/config_paths.h"
#include "platform/text/numbers.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QString>

namespace zor {

std::string ProfilePath() {
    const std::string dir = UserConfigDir();
    return dir.empty() ? std::string() : dir + "/Квиллмарк.ini";
}

namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QString Key(std::string_view section, std::string_view entry) { return Q(section) + QLatin1Char('/') + Q(entry); }

// The file's path is worked out at every call, so that a changed $XDG_CONFIG_HOME is honoured.
bool Read(std::string_view section, std::string_view entry, QString& value) {
    const std::string path = ProfilePath();
    if (path.empty()) return false;
    QSettings settings(QString::fromStdString(path), QSettings::IniFormat);
    const QVariant v = settings.value(Key(section, entry));
    if (!v.isValid()) return false;
    // A hand-written value with commas comes back as a list.
    value = v.typeId() == QMetaType::QStringList ? v.toStringList().join(QLatin1Char(',')) : v.toString();
    return true;
}

bool Write(std::string_view section, std::string_view entry, const QString& value) {
    const std::string path = ProfilePath();
    if (path.empty()) return false;
    const QString file = QString::fromStdString(path);
    if (!QDir().mkpath(QFileInfo(file).absolutePath())) return false;
    QSettings settings(file, QSettings::IniFormat);
    settings.setValue(Key(section, entry), value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

}  // namespace

}  // namespace zor

int GetProfileInt(std::string_view section, std::string_view entry, int def) {
    QString text;
    if (!zor::Read(section, entry, text)) return def;
    const std::string bytes = text.toStdString();
    size_t used = 0;
    const int value = zor::TextToInt(bytes, &used);
    return used > 0 ? value : def;
}

std::string GetProfileString(std::string_view section, std::string_view entry, std::string_view def) {
    QString text;
    if (!zor::Read(section, entry, text)) return std::string(def);
    return text.toStdString();
}

bool WriteProfileInt(std::string_view section, std::string_view entry, int value) {
    return zor::Write(section, entry, QString::fromStdString(zor::IntToText(value)));
}

bool WriteProfileString(std::string_view section, std::string_view entry, std::string_view value) {
    return zor::Write(section, entry, zor::Q(value));
}
