#include "settings/SettingsStore.h"

#include "platform/Prompts.h"
#include "settings/RegText.h"
#include "settings/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLoggingCategory>


Q_LOGGING_CATEGORY(lcSettings, "taloma.settings")

namespace {

// ---- the two hives ---------------------------------------------------------------------------

std::unique_ptr<SettingsStore> currentUserStore;
std::unique_ptr<SettingsStore> localMachineStore;
QString currentUserFileForTests;

} // namespace

SettingsStore::SettingsStore(const QString& filePath) : m_filePath(filePath), m_root(std::make_unique<Key>()) {}

SettingsStore::~SettingsStore() = default;

SettingsStore& SettingsStore::currentUser()
{
    if (!currentUserStore) {
        const QString path = currentUserFileForTests.isEmpty() ? defaultFilePath() : currentUserFileForTests;
        currentUserStore.reset(new SettingsStore(path));
    }
    return *currentUserStore;
}

SettingsStore& SettingsStore::localMachine()
{
    if (!localMachineStore)
        localMachineStore.reset(new SettingsStore(QString()));
    return *localMachineStore;
}

SettingsStore& SettingsStore::of(Hive hive)
{
    return hive == Hive::LocalMachine ? localMachine() : currentUser();
}

void SettingsStore::resetForTests(const QString& currentUserFile)
{
    currentUserStore.reset();
    localMachineStore.reset();
    currentUserFileForTests = currentUserFile;
}

QString SettingsStore::defaultFilePath()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base)) // relative values are to be ignored
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/Taloma-Terminal/HKEY_CURRENT_USER.reg");
}

QString SettingsStore::lastError() const
{
    return m_lastError;
}

bool SettingsStore::writeBlocked()
{
    ensureLoaded();
    return m_writeBlocked;
}

void SettingsStore::ensureLoaded()
{
    if (m_loaded)
        return;
    m_loaded = true;
    // Marked loaded first: the message box runs an event loop that may come back to the store.
    const QString report = load();
    if (!report.isEmpty())
        Prompts::instance().message(report);
}

QString SettingsStore::load()
{
    m_root = std::make_unique<Key>();
    m_foreignSections.clear();
    if (m_filePath.isEmpty())
        return {};

    const QString shownPath = QDir::toNativeSeparators(m_filePath);
    const auto unreadable = [this, &shownPath](const QString& reason) {
        // We cannot tell what the file holds, so it must not be replaced by our defaults.
        m_writeBlocked = true;
        qCWarning(lcSettings) << "cannot read" << m_filePath << reason;
        return QStringLiteral("Die Einstellungsdatei\n%1\nkonnte nicht gelesen werden (%2).\n"
                              "Sie bleibt unverändert erhalten; Änderungen der Einstellungen werden bis zum "
                              "Programmende nicht gespeichert. Das Programm beginnt mit den voreingestellten Werten.")
            .arg(shownPath, reason);
    };

    const SettingsFile::ReadResult file = SettingsFile::read(m_filePath);
    if (file.status == SettingsFile::ReadResult::Status::Missing)
        return {};
    if (file.status == SettingsFile::ReadResult::Status::Unusable)
        return unreadable(file.reason);
    const QByteArray& bytes = file.bytes;
    // The owner protected the file: it is used, but never replaced.
    const QString readOnly =
        QStringLiteral("Die Einstellungsdatei\n%1\nist schreibgeschützt. Sie bleibt unverändert erhalten; "
                       "Änderungen der Einstellungen werden bis zum Programmende nicht gespeichert.")
            .arg(shownPath);

    if (bytes.trimmed().isEmpty()) {
        qCInfo(lcSettings) << m_filePath << "is empty; starting with an empty hive";
        m_writeBlocked = file.readOnly;
        return file.readOnly ? readOnly : QString();
    }

    QString problem;
    auto root = std::make_unique<Key>();
    std::vector<QStringList> foreign;
    if (const auto text = decodeRegFile(bytes))
        problem = parseRegText(*text, *root, foreign);
    else
        problem = QStringLiteral("die Zeichenkodierung ist fehlerhaft");
    if (problem.isEmpty()) {
        m_root = std::move(root);
        m_foreignSections = std::move(foreign);
        m_writeBlocked = file.readOnly;
        return file.readOnly ? readOnly : QString();
    }

    qCWarning(lcSettings) << "damaged settings file" << m_filePath << problem;
    if (file.readOnly)
        return unreadable(problem);
    const QString aside = SettingsFile::asideName(m_filePath);
    if (QFile::rename(m_filePath, aside) || QFile::copy(m_filePath, aside)) {
        return QStringLiteral("Die Einstellungsdatei\n%1\nist beschädigt und wurde nicht gelesen (%2).\n"
                              "Sie wurde unverändert aufbewahrt als\n%3\n"
                              "Das Programm beginnt mit den voreingestellten Werten.")
            .arg(shownPath, problem, QDir::toNativeSeparators(aside));
    }
    return unreadable(problem + QStringLiteral("; sie ließ sich nicht beiseitelegen"));
}

QString SettingsStore::checkFileBytes(const QByteArray& bytes, QString* rewritten)
{
    Key root;
    std::vector<QStringList> foreign;
    QString problem;
    if (!bytes.trimmed().isEmpty()) {
        if (const auto text = decodeRegFile(bytes))
            problem = parseRegText(*text, root, foreign);
        else
            problem = QStringLiteral("die Zeichenkodierung ist fehlerhaft");
    }
    if (problem.isEmpty() && rewritten)
        *rewritten = regText(root, foreign);
    return problem;
}

SettingsStore::Key* SettingsStore::find(const QStringList& key) const
{
    Key* k = m_root.get();
    for (qsizetype i = 0; i < key.size() && k; ++i)
        k = k->child(key[i]);
    return k;
}

void SettingsStore::noteChange(bool isKey, const QString& name)
{
    if (!m_firstChange)
        m_firstChange = SyncFailure{isKey, name, {}};
}

std::optional<SettingsStore::SyncFailure> SettingsStore::sync()
{
    if (!m_firstChange)
        return std::nullopt;
    if (m_filePath.isEmpty() || m_writeBlocked) {
        m_firstChange.reset();
        return std::nullopt;
    }
    // The whole file is replaced through a temporary file and a rename, so it is always either the old
    // or the new text; this happens once per close, not once per value.
    const QString reason = SettingsFile::write(m_filePath, regText(*m_root, m_foreignSections).toUtf8());
    if (!reason.isEmpty()) {
        m_lastError = reason;
        qCWarning(lcSettings) << "cannot write" << m_filePath << reason;
        SyncFailure failure = *m_firstChange;
        failure.reason = reason;
        return failure;
    }
    m_firstChange.reset();
    return std::nullopt;
}

QString SettingsStore::keepCopyAside(bool& failed)
{
    ensureLoaded();
    failed = false;
    if (m_filePath.isEmpty() || m_writeBlocked || !QFileInfo::exists(m_filePath))
        return {};
    const QString aside = SettingsFile::copyAside(m_filePath);
    if (aside.isEmpty()) {
        failed = true;
        m_writeBlocked = true;
        m_firstChange.reset();
    }
    return aside;
}

bool SettingsStore::keyExists(const QStringList& key)
{
    ensureLoaded();
    return find(key) != nullptr;
}

bool SettingsStore::createKey(const QStringList& key)
{
    ensureLoaded();
    m_lastError.clear();
    Key* parent = m_root.get();
    qsizetype firstNew = 0;
    while (firstNew < key.size()) {
        Key* next = parent->child(key[firstNew]);
        if (!next)
            break;
        parent = next;
        ++firstNew;
    }
    if (firstNew == key.size())
        return true;
    for (qsizetype i = firstNew; i < key.size(); ++i) {
        if (!isUsableRegKeyName(key[i]))
            return false;
    }
    if (m_writeBlocked)
        return false;
    // The file is written only at the close, but a folder that cannot hold it is known now.
    if (!m_filePath.isEmpty()) {
        m_lastError = SettingsFile::makeFolder(QFileInfo(m_filePath).absolutePath());
        if (!m_lastError.isEmpty())
            return false;
    }
    Key* k = parent;
    for (qsizetype i = firstNew; i < key.size(); ++i)
        k = k->addChild(key[i]);
    noteChange(true, u'\\' + key.join(u'\\'));
    return true;
}

std::optional<SettingsStore::Value> SettingsStore::value(const QStringList& key, const QString& name)
{
    ensureLoaded();
    const Key* k = find(key);
    if (!k)
        return std::nullopt;
    const qsizetype i = k->indexOf(name);
    if (i < 0)
        return std::nullopt;
    return k->values[i];
}

QStringList SettingsStore::valueNames(const QStringList& key)
{
    ensureLoaded();
    QStringList names;
    if (const Key* k = find(key)) {
        for (const Value& v : k->values)
            names.append(v.name);
    }
    return names;
}

bool SettingsStore::setDword(const QStringList& key, const QString& name, quint32 data)
{
    return setValue(key, Value{name, ValueType::Dword, data, {}});
}

bool SettingsStore::setString(const QStringList& key, const QString& name, const QString& data)
{
    return setValue(key, Value{name, ValueType::String, 0, data});
}

bool SettingsStore::setValue(const QStringList& key, Value value)
{
    ensureLoaded();
    m_lastError.clear();
    Key* k = find(key);
    if (!k || m_writeBlocked)
        return false;
    if (!isUsableRegValueName(value.name))
        return false;
    // The program sets all its settings at every close, nearly all of them unchanged; those need no write.
    const qsizetype existing = k->indexOf(value.name);
    if (existing >= 0) {
        const Value& old = k->values[existing];
        if (old.type == value.type && old.dword == value.dword && old.text == value.text)
            return true;
    }
    noteChange(false, value.name);
    k->put(std::move(value));
    return true;
}

bool SettingsStore::removeValue(const QStringList& key, const QString& name)
{
    ensureLoaded();
    Key* k = find(key);
    const qsizetype i = k && !m_writeBlocked ? k->indexOf(name) : -1;
    if (i < 0)
        return false;
    noteChange(false, k->values[i].name);
    k->removeAt(i);
    return true;
}
