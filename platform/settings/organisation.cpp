#include "platform/settings/organisation.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QString>

#include "platform/base/config_paths.h"
#include "platform/text/numbers.h"

namespace zor {

std::string OrganisationSettingsPath() {
    // The organisation's folder holds the programs' own files; its settings sit beside it.
    const std::string dir = UserConfigDir();
    return dir.empty() ? std::string() : dir + ".ini";
}

bool GetOrganisationInt(std::string_view entry, int& value) {
    const std::string path = OrganisationSettingsPath();
    if (path.empty() || !QFileInfo::exists(QString::fromStdString(path))) return false;
    QSettings settings(QString::fromStdString(path), QSettings::IniFormat);
    const QVariant v = settings.value(QString::fromUtf8(entry.data(), static_cast<qsizetype>(entry.size())));
    if (!v.isValid()) return false;
    const std::string text = v.toString().toStdString();
    size_t used = 0;
    const int number = TextToInt(text, &used);
    if (used == 0) return false;
    value = number;
    return true;
}

bool GetOrganisationFlag(std::string_view entry, bool& on) {
    int value = 0;
    if (!GetOrganisationInt(entry, value)) return false;
    on = value != 0;
    return true;
}

bool WriteOrganisationInt(std::string_view entry, int value) {
    const std::string path = OrganisationSettingsPath();
    if (path.empty()) return false;
    const QString file = QString::fromStdString(path);
    if (!QDir().mkpath(QFileInfo(file).absolutePath())) return false;
    QSettings settings(file, QSettings::IniFormat);
    settings.setValue(QString::fromUtf8(entry.data(), static_cast<qsizetype>(entry.size())),
                      QString::fromStdString(IntToText(value)));
    settings.sync();
    return settings.status() == QSettings::NoError;
}

}  // namespace zor
