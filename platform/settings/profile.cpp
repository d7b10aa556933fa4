#include "platform/settings/profile.h"

#include "platform/base/config_paths.h"
#include "platform/text/numbers.h"

#include <sys/stat.h>

#include <mutex>
#include <string>
#include <unordered_map>

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

// A value without a section stands at the top of the profile (QSettings keeps it under [General]).
QString Key(std::string_view section, std::string_view entry) {
    return section.empty() ? Q(entry) : Q(section) + QLatin1Char('/') + Q(entry);
}

// Values are read at every use, and element construction reads several per element, so the parsed file
// is kept until the file changes on disk (path, inode, size or modification time) or this process writes.
struct ProfileCache {
    std::mutex mutex;
    std::string path;
    struct stat st {};
    bool exists = false;
    bool valid = false;
    // By "section/entry" in UTF-8, as QSettings names them: a look-up builds no Qt string.
    std::unordered_map<std::string, std::string> values;
};

ProfileCache& Cache() {
    static ProfileCache cache;
    return cache;
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_ino == b.st_ino && a.st_dev == b.st_dev && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

// The file's path is worked out at every call, so that a changed $XDG_CONFIG_HOME is honoured.
bool Read(std::string_view section, std::string_view entry, std::string& value) {
    const std::string path = ProfilePath();
    if (path.empty()) return false;
    struct stat st {};
    const bool exists = ::stat(path.c_str(), &st) == 0;
    ProfileCache& cache = Cache();
    std::lock_guard<std::mutex> lock(cache.mutex);
    if (!cache.valid || cache.path != path || cache.exists != exists || (exists && !SameFile(cache.st, st))) {
        cache.values.clear();
        if (exists) {
            QSettings settings(QString::fromStdString(path), QSettings::IniFormat);
            for (const QString& key : settings.allKeys()) {
                const QVariant v = settings.value(key);
                // A hand-written value with commas comes back as a list.
                const QString text = v.typeId() == QMetaType::QStringList ? v.toStringList().join(QLatin1Char(','))
                                                                          : v.toString();
                cache.values[key.toStdString()] = text.toStdString();
            }
        }
        cache.path = path;
        cache.st = st;
        cache.exists = exists;
        cache.valid = true;
    }
    if (cache.values.empty()) return false;
    std::string key;
    key.reserve(section.size() + entry.size() + 1);
    if (!section.empty()) key.append(section).push_back('/');
    key.append(entry);
    const auto it = cache.values.find(key);
    if (it == cache.values.end()) return false;
    value = it->second;
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
    {
        std::lock_guard<std::mutex> lock(Cache().mutex);
        Cache().valid = false;
    }
    return settings.status() == QSettings::NoError;
}

}  // namespace

}  // namespace zor

int GetProfileInt(std::string_view section, std::string_view entry, int def) {
    std::string text;
    if (!zor::Read(section, entry, text)) return def;
    size_t used = 0;
    const int value = zor::TextToInt(text, &used);
    return used > 0 ? value : def;
}

std::string GetProfileString(std::string_view section, std::string_view entry, std::string_view def) {
    std::string text;
    if (!zor::Read(section, entry, text)) return std::string(def);
    return text;
}

bool WriteProfileInt(std::string_view section, std::string_view entry, int value) {
    return zor::Write(section, entry, QString::fromStdString(zor::IntToText(value)));
}

bool WriteProfileString(std::string_view section, std::string_view entry, std::string_view value) {
    return zor::Write(section, entry, zor::Q(value));
}
