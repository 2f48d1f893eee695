#include "settings/TRegistry.h"

#include "platform/Errors.h"

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcSettings)

namespace {

// The program's text, then the system's reason when there is one.
QString withReason(const QString& text, const QString& reason)
{
    return reason.isEmpty() ? text : text + QStringLiteral(": ") + reason;
}

QString createFailed(const QString& key, const QString& reason = {})
{
    return withReason(QStringLiteral("Erzeugung von Schlüssel %1 misslungen").arg(key), reason);
}

QString writeFailed(const QString& name, const QString& reason = {})
{
    return withReason(QStringLiteral("Fehler beim Setzen der Daten für '%1'").arg(name), reason);
}

[[noreturn]] void throwWriteFailed(const QString& name)
{
    throw ERegistryError(writeFailed(name));
}

QString syncFailureText(const SettingsStore::SyncFailure& failure)
{
    return failure.isKey ? createFailed(failure.name, failure.reason) : writeFailed(failure.name, failure.reason);
}

} // namespace

TRegistry::TRegistry(Hive root) : m_root(root) {}

TRegistry::~TRegistry()
{
    if (!m_changed)
        return;
    if (const auto failure = SettingsStore::of(m_root).sync())
        qCWarning(lcSettings) << syncFailureText(*failure);
}

void TRegistry::throwReadFailed(const QString& name, bool wrongType) const
{
    m_wrongTyped = wrongType ? name : QString();
    throw ERegistryError(QStringLiteral("Fehler beim Holen der Daten für '%1'").arg(name));
}

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
    if (belowReadOnly)
        throw ERegistryError(createFailed(key));
    if (!store.createKey(path))
        throw ERegistryError(createFailed(key, store.lastError()));
    m_changed = true;
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
    const bool changed = m_changed;
    m_open = false;
    m_readOnly = false;
    m_changed = false;
    m_path.clear();
    if (!changed)
        return;
    if (const auto failure = SettingsStore::of(m_root).sync())
        throw ERegistryError(syncFailureText(*failure));
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
        throwReadFailed(name, v.has_value());
    return static_cast<qint32>(v->dword);
}

bool TRegistry::ReadBool(const QString& name) const { return ReadInteger(name) != 0; }

QString TRegistry::ReadString(const QString& name) const
{
    const auto v = valueOf(name);
    if (!v)
        return QString();
    if (v->type != SettingsStore::ValueType::String)
        throwReadFailed(name, true);
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
    m_changed = true;
}

void TRegistry::WriteBool(const QString& name, bool value) { WriteInteger(name, value ? 1 : 0); }

void TRegistry::WriteString(const QString& name, const QString& value)
{
    checkWritable(name);
    if (!SettingsStore::of(m_root).setString(m_path, name, value))
        throwWriteFailed(name);
    m_changed = true;
}

bool TRegistry::DeleteValue(const QString& name)
{
    if (!m_open || m_readOnly || !SettingsStore::of(m_root).removeValue(m_path, name))
        return false;
    m_changed = true;
    return true;
}
