#include "QtSettingsStore.h"

#include <QFile>

namespace korvanes::gui {
namespace {

QString KeyPath(const std::string& section, const std::string& key)
{
    return QString::fromStdString(section) + QLatin1Char('/') + QString::fromStdString(key);
}

}  // namespace

QtSettingsStore::QtSettingsStore()
    : m_settings(QStringLiteral("Brenvoll"), QStringLiteral("KorvanesTool"))
{
}

int QtSettingsStore::ReadInt(const std::string& section, const std::string& key, int defaultValue) const
{
    const QVariant value = m_settings.value(KeyPath(section, key));
    if (!value.isValid()) {
        return defaultValue;
    }
    bool ok = false;
    const int number = value.toString().trimmed().toInt(&ok);
    return ok ? number : defaultValue;
}

std::string QtSettingsStore::ReadText(const std::string& section, const std::string& key,
                                      const std::string& defaultValue) const
{
    const QVariant value = m_settings.value(KeyPath(section, key));
    if (!value.isValid()) {
        return defaultValue;
    }
    // Texts here are file paths: keep them in the file system's encoding.
    return QFile::encodeName(value.toString()).toStdString();
}

void QtSettingsStore::WriteInt(const std::string& section, const std::string& key, int value)
{
    m_settings.setValue(KeyPath(section, key), value);
    m_settings.sync();
}

void QtSettingsStore::WriteText(const std::string& section, const std::string& key, const std::string& value)
{
    m_settings.setValue(KeyPath(section, key), QFile::decodeName(QByteArray::fromStdString(value)));
    m_settings.sync();
}

}  // namespace korvanes::gui
