#include "platform/qt/qt_settings_store.h"

#include <QSettings>

namespace platform::qt {
namespace {
QString path(const std::string& section, const std::string& key) {
    return QString::fromStdString(section) + "/" + QString::fromStdString(key);
}
}  // namespace

std::string QtSettingsStore::value(const std::string& application, const std::string& section,
                                   const std::string& key, const std::string& fallback) const {
    QSettings s("krnsetup", QString::fromStdString(application));
    return s.value(path(section, key), QString::fromStdString(fallback)).toString().toStdString();
}

void QtSettingsStore::setValue(const std::string& application, const std::string& section,
                               const std::string& key, const std::string& value) {
    QSettings s("krnsetup", QString::fromStdString(application));
    s.setValue(path(section, key), QString::fromStdString(value));
}

}  // namespace platform::qt
