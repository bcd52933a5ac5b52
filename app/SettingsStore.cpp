#include "app/SettingsStore.h"

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <limits>

namespace {

QString KeyPath(const wchar_t* section, const wchar_t* key)
{
    return QString::fromWCharArray(section) + QLatin1Char('/') + QString::fromWCharArray(key);
}

// The INI reader turns an unquoted text with commas into a list; it was one text.
QString AsText(const QVariant& value)
{
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

} // namespace

CSettingsStore::CSettingsStore(const std::wstring& company, const std::wstring& appName)
    : m_settings(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                             QString::fromStdWString(company),
                                             QString::fromStdWString(appName)))
{
    // Only this application's own values, as its registry key holds them; no company-wide or
    // system-wide files mixed in.
    m_settings->setFallbacksEnabled(false);
}

CSettingsStore::~CSettingsStore() = default;

std::uint32_t CSettingsStore::GetDword(const wchar_t* section, const wchar_t* key,
                                       std::uint32_t defaultValue) const
{
    const QVariant value = m_settings->value(KeyPath(section, key));
    if (!value.isValid())
        return defaultValue;
    bool ok = false;
    const qlonglong number = AsText(value).trimmed().toLongLong(&ok, 10);
    if (!ok || number < std::numeric_limits<std::int32_t>::min() ||
        number > std::numeric_limits<std::uint32_t>::max())
        return defaultValue;
    return static_cast<std::uint32_t>(number);
}

int CSettingsStore::GetInt(const wchar_t* section, const wchar_t* key, int defaultValue) const
{
    return static_cast<int>(GetDword(section, key, static_cast<std::uint32_t>(defaultValue)));
}

std::wstring CSettingsStore::GetString(const wchar_t* section, const wchar_t* key,
                                       const std::wstring& defaultValue) const
{
    const QVariant value = m_settings->value(KeyPath(section, key));
    if (!value.isValid())
        return defaultValue;
    return AsText(value).toStdWString();
}

void CSettingsStore::WriteDword(const wchar_t* section, const wchar_t* key, std::uint32_t value)
{
    // An unsigned 32-bit value: a DWORD in the registry, a plain number in the INI file.
    m_settings->setValue(KeyPath(section, key), QVariant::fromValue(static_cast<quint32>(value)));
}

void CSettingsStore::WriteInt(const wchar_t* section, const wchar_t* key, int value)
{
    m_settings->setValue(KeyPath(section, key), value);
}

void CSettingsStore::WriteString(const wchar_t* section, const wchar_t* key,
                                 const std::wstring& value)
{
    m_settings->setValue(KeyPath(section, key), QString::fromStdWString(value));
}

std::wstring CSettingsStore::Location() const
{
    return m_settings->fileName().toStdWString();
}
