#include "app/TRegistry.h"

#include "platform/Errors.h"

namespace {

[[noreturn]] void throwCreateFailed(const QString& key)
{
    throw ERegistryError(QStringLiteral("Erzeugung von Schlüssel %1 misslungen").arg(key));
}

[[noreturn]] void throwReadFailed(const QString& name)
{
    throw ERegistryError(QStringLiteral("Fehler beim Holen der Daten für '%1'").arg(name));
}

[[noreturn]] void throwWriteFailed(const QString& name)
{
    throw ERegistryError(QStringLiteral("Fehler beim Setzen der Daten für '%1'").arg(name));
}

} // namespace

TRegistry::TRegistry(Hive root) : m_root(root) {}

QStringList TRegistry::resolve(const QString& key) const
{
    const bool fromRoot = key.startsWith(u'\\');
    const QStringList names = key.split(u'\\', Qt::SkipEmptyParts);
    return fromRoot || !m_open ? names : m_path + names;
}

void TRegistry::createOrThrow(const QString& key, const QStringList& path)
{
    SettingsStore& store = SettingsStore::of(m_root);
    if (store.keyExists(path))
        return;
    // A relative key below one opened for reading cannot be created, as with the registry's handles.
    const bool belowReadOnly = m_open && m_readOnly && !key.startsWith(u'\\');
    if (belowReadOnly || !store.createKey(path))
        throwCreateFailed(key);
}

bool TRegistry::OpenKey(const QString& key, bool canCreate)
{
    const QStringList path = resolve(key);
    if (canCreate)
        createOrThrow(key, path);
    else if (!SettingsStore::of(m_root).keyExists(path))
        return false;
    m_path = path;
    m_open = true;
    m_readOnly = false;
    return true;
}

bool TRegistry::OpenKeyReadOnly(const QString& key)
{
    const QStringList path = resolve(key);
    if (!SettingsStore::of(m_root).keyExists(path))
        return false;
    m_path = path;
    m_open = true;
    m_readOnly = true;
    return true;
}

bool TRegistry::KeyExists(const QString& key) const { return SettingsStore::of(m_root).keyExists(resolve(key)); }

bool TRegistry::CreateKey(const QString& key)
{
    createOrThrow(key, resolve(key));
    return true;
}

void TRegistry::CloseKey()
{
    if (m_open && !m_readOnly)
        SettingsStore::of(m_root).sync();
    m_open = false;
    m_readOnly = false;
    m_path.clear();
}

QString TRegistry::CurrentPath() const { return m_open ? m_path.join(u'\\') : QString(); }

std::optional<SettingsStore::Value> TRegistry::valueOf(const QString& name) const
{
    if (!m_open)
        return std::nullopt;
    return SettingsStore::of(m_root).value(m_path, name);
}

bool TRegistry::ValueExists(const QString& name) const { return valueOf(name).has_value(); }

QStringList TRegistry::GetValueNames() const
{
    return m_open ? SettingsStore::of(m_root).valueNames(m_path) : QStringList();
}

int TRegistry::ReadInteger(const QString& name) const
{
    const auto v = valueOf(name);
    if (!v || v->type != SettingsStore::ValueType::Dword)
        throwReadFailed(name);
    return static_cast<qint32>(v->dword);
}

bool TRegistry::ReadBool(const QString& name) const { return ReadInteger(name) != 0; }

QString TRegistry::ReadString(const QString& name) const
{
    const auto v = valueOf(name);
    if (!v)
        return QString();
    if (v->type != SettingsStore::ValueType::String)
        throwReadFailed(name);
    return v->text;
}

void TRegistry::checkWritable(const QString& name) const
{
    if (!m_open || m_readOnly)
        throwWriteFailed(name);
}

void TRegistry::WriteInteger(const QString& name, int value)
{
    checkWritable(name);
    if (!SettingsStore::of(m_root).setDword(m_path, name, static_cast<quint32>(value)))
        throwWriteFailed(name);
}

void TRegistry::WriteBool(const QString& name, bool value) { WriteInteger(name, value ? 1 : 0); }

void TRegistry::WriteString(const QString& name, const QString& value)
{
    checkWritable(name);
    if (!SettingsStore::of(m_root).setString(m_path, name, value))
        throwWriteFailed(name);
}
