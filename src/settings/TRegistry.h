#pragma once

#include "settings/SettingsStore.h"

#include <QString>
#include <QStringList>

// The accessor the program's code reads and writes its settings through: one open key at a time,
// typed reads that fail with the program's message when a value is missing or of the wrong type,
// and writes that reach the file together when the key is closed (or the accessor goes away).
//
// A key path with a leading backslash starts at the hive's root; any other path is taken relative to
// the open key (or to the root when none is open). The accessor remembers the path, not the key
// itself, so it stays usable whatever happens to the hive meanwhile.
//
// Errors are ERegistryError with these texts (the name as the caller spelt it):
//   "Erzeugung von Schlüssel %s misslungen"      a key cannot be created
//   "Fehler beim Holen der Daten für '%s'"        an integer or string value cannot be read
//   "Fehler beim Setzen der Daten für '%s'"       a value cannot be written
// When the system refused, its own text follows after ": ".
class TRegistry final {
public:
    explicit TRegistry(Hive root = Hive::CurrentUser);
    // Closes the key; changes that cannot be written then are only logged.
    ~TRegistry();
    TRegistry(const TRegistry&) = default;
    TRegistry& operator=(const TRegistry&) = default;

    Hive RootKey() const { return m_root; }

    // Opens `key`; a missing key is created when `canCreate` is set, otherwise false is returned and
    // the open key stays as it was.
    bool OpenKey(const QString& key, bool canCreate);
    // Opens an existing key for reading; writes to it fail.
    bool OpenKeyReadOnly(const QString& key);
    bool KeyExists(const QString& key) const;
    // Creates `key` (and its parents) without opening it; true when it exists afterwards.
    bool CreateKey(const QString& key);
    // Closes the key and writes the changes made through this accessor. Fails with the message of the
    // first change that could not be written; the key is closed either way.
    void CloseKey();
    // The open key's path from the root, without a leading backslash; empty when none is open.
    QString CurrentPath() const;

    bool ValueExists(const QString& name) const;
    QStringList GetValueNames() const;

    // A DWORD, read as the signed 32-bit number of the same bits.
    int ReadInteger(const QString& name) const;
    // A DWORD; any value other than 0 is true.
    bool ReadBool(const QString& name) const;
    // A string; a missing value reads as empty.
    QString ReadString(const QString& name) const;

    void WriteInteger(const QString& name, int value);
    void WriteBool(const QString& name, bool value);
    void WriteString(const QString& name, const QString& value);
    // Removes a value of the open key; true when it existed.
    bool DeleteValue(const QString& name);

    // The value whose last failed read found data of another type; empty when the last read failure
    // was a missing value (or there was none).
    QString WrongTypedValue() const { return m_wrongTyped; }

private:
    QStringList resolve(const QString& key) const;
    void createOrThrow(const QString& key, const QStringList& path);
    std::optional<SettingsStore::Value> valueOf(const QString& name) const;
    void checkWritable(const QString& name) const;
    [[noreturn]] void throwReadFailed(const QString& name, bool wrongType) const;

    Hive m_root;
    bool m_open = false;
    bool m_readOnly = false;
    bool m_changed = false; // changes made through this accessor wait for the close
    QStringList m_path;
    mutable QString m_wrongTyped;
};
