#pragma once

// The registry export text (.reg) the settings file is kept in: its tree of keys and values, and how
// that tree is read from and written to the text. Pure functions, no file: the store does the file.

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <optional>
#include <vector>

enum class RegValueType { Dword, String, Other };

struct RegValue {
    QString name;
    RegValueType type = RegValueType::String;
    quint32 dword = 0;
    QString text; // the string, or for Other the data as it stands after "=" in the file
};

// Names compare without regard to case and keep the case they were created with.
QString regFold(const QString& name);

struct RegKey {
    QString name;
    // Keyed by the folded name, which also gives the alphabetical order of an export.
    std::map<QString, std::unique_ptr<RegKey>> children;
    // In the order the values were created, as the registry lists them.
    QList<RegValue> values;
    // Position in `values` by folded name: keys with very many values must still load in linear time.
    QHash<QString, qsizetype> positions;

    RegKey* child(const QString& childName) const
    {
        const auto it = children.find(regFold(childName));
        return it == children.end() ? nullptr : it->second.get();
    }

    RegKey* addChild(const QString& childName)
    {
        auto& slot = children[regFold(childName)];
        if (!slot) {
            slot = std::make_unique<RegKey>();
            slot->name = childName;
        }
        return slot.get();
    }

    qsizetype indexOf(const QString& valueName) const { return positions.value(regFold(valueName), -1); }

    // A value that is set again keeps the spelling it was created with.
    void put(RegValue value)
    {
        const qsizetype i = indexOf(value.name);
        if (i < 0) {
            positions.insert(regFold(value.name), values.size());
            values.append(std::move(value));
        } else {
            value.name = values[i].name;
            values[i] = std::move(value);
        }
    }

    void removeAt(qsizetype i)
    {
        values.removeAt(i);
        positions.clear();
        for (qsizetype k = 0; k < values.size(); ++k)
            positions.insert(regFold(values[k].name), k);
    }
};


// The file's bytes as text: UTF-16 with its byte-order mark (as the registry editor exports), UTF-8, or
// else Latin-1. Nothing for broken UTF-16 (an odd length, half a surrogate pair).
std::optional<QString> decodeRegFile(const QByteArray& bytes);

// Reads the text into root (the current user's hive); sections of other hives are kept verbatim in
// foreign. Returns why the text is not an export, or an empty text when it is one.
QString parseRegText(const QString& text, RegKey& root, std::vector<QStringList>& foreign);

// The export text of root and the kept foreign sections.
QString regText(const RegKey& root, const std::vector<QStringList>& foreign);

// The registry's limits on names: a key name of 1 to 255 characters without a backslash or control
// character; a value name of at most 16,383 characters without a control character.
bool isUsableRegKeyName(const QString& name);
bool isUsableRegValueName(const QString& name);
