#pragma once

#include "settings/RegText.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

// The two hives the program uses.
enum class Hive { CurrentUser, LocalMachine };

// A tree of keys holding DWORD and string values, with the registry's rules: key and value names
// compare without regard to case and keep the case they were created with; key paths are given as
// lists of names. The current user's hive lives in a text file in the .reg export format; changes are
// kept in memory and the whole file is replaced once, atomically, by sync() (the accessor calls it when
// it closes its key). The local machine's hive lives in memory only (the port list is put there at
// start).
//
// The file is read on first use. A file that cannot be understood is never overwritten: it is moved
// aside under a dated name, the user is told once, and the hive starts empty so that the program's
// built-in defaults apply. A file that is not a regular file, is too large, cannot be read or is
// read-only is left exactly as it is and never written; the user is told once that changes will not be
// kept. Values of types this store does not know (binary, multi-string ...) are kept as they were read
// and written back unchanged.
//
// Failed changes return false and leave the tree as it was; the accessor turns that into the
// program's message naming the key or value. The store is used on the window's thread only (the port's
// threads never read the settings), so it takes no locks.
class SettingsStore final {
public:
    using ValueType = RegValueType;
    using Value = RegValue;
    // The tree node (RegText.h).
    using Key = RegKey;

    static SettingsStore& currentUser();
    static SettingsStore& localMachine();
    static SettingsStore& of(Hive hive);

    // Drops both hives; the next use starts afresh, the current user's hive from `currentUserFile`
    // or, when that is empty, from defaultFilePath() as the environment says now.
    static void resetForTests(const QString& currentUserFile = QString());

    // $XDG_CONFIG_HOME (or ~/.config)/Taloma-Terminal/HKEY_CURRENT_USER.reg
    static QString defaultFilePath();

    // Reads a settings file's bytes as the first use reads the file, keeping nothing and touching no
    // file: empty when they are accepted, otherwise why not. When accepted, `rewritten` receives the
    // text a change would write back.
    static QString checkFileBytes(const QByteArray& bytes, QString* rewritten = nullptr);

    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // The backing file; empty for a hive kept in memory only.
    QString filePath() const { return m_filePath; }
    // The system's text for why the last change failed; empty when the change was refused for its name
    // or because the file is kept unchanged.
    QString lastError() const;
    // The file could not be read, is not a regular file or is read-only, and is kept as it is; the user
    // has been told once that changes to the settings will not be kept, so the failing writes need no
    // further message.
    bool writeBlocked();

    bool keyExists(const QStringList& key);
    // Creates the key and any missing parents. Fails for an unusable name (empty, longer than 255
    // characters, control characters), when the file is kept unchanged, and when the file's folder
    // cannot be made.
    bool createKey(const QStringList& key);

    std::optional<Value> value(const QStringList& key, const QString& name);
    QStringList valueNames(const QStringList& key);

    // Fail when the key does not exist, the name cannot be stored, or the file is kept unchanged.
    bool setDword(const QStringList& key, const QString& name, quint32 data);
    bool setString(const QStringList& key, const QString& name, const QString& data);
    // Removes a value; true when it existed.
    bool removeValue(const QStringList& key, const QString& name);

    // The first change that a failed sync() could not write, and why.
    struct SyncFailure {
        bool isKey = false; // a created key (name: its path) rather than a set value
        QString name;
        QString reason; // the system's text
    };
    // Writes the changes made since the last write, if any, to the file and forces them to the disk.
    // On failure the changes stay in memory and are tried again at the next sync. A file kept unchanged
    // is not written, and that is no failure: the user has been told.
    std::optional<SyncFailure> sync();

    // Keeps a copy of the file as it is now beside it under a dated name, before values the program
    // could not use are replaced. Returns the copy's name; empty when there was no file to keep. When
    // the copy cannot be made the file is kept unchanged from now on and `failed` is set.
    QString keepCopyAside(bool& failed);

private:
    explicit SettingsStore(const QString& filePath);

    void ensureLoaded();
    QString load(); // returns the text to show the user, if any
    bool setValue(const QStringList& key, Value value);
    void noteChange(bool isKey, const QString& name);
    Key* find(const QStringList& key) const;

    const QString m_filePath;
    std::unique_ptr<Key> m_root;
    // Sections of other hives found in the file, kept verbatim so that a rewrite does not lose them.
    std::vector<QStringList> m_foreignSections;
    bool m_loaded = false;
    bool m_writeBlocked = false; // the file could not be read, nor moved aside, or is read-only
    std::optional<SyncFailure> m_firstChange; // the first change not yet in the file (reason empty)
    QString m_lastError;
};
