#include "Prompts.h"

#include "Errors.h"

#include <QAction>
#include <QLoggingCategory>

#include <new>

Q_LOGGING_CATEGORY(lcPrompts, "taloma.prompts")

namespace {

// Until the program installs its prompts nothing is shown; questions are answered with Cancel.
class SilentPrompts final : public Prompts {
public:
    void message(const QString& text) override { qCWarning(lcPrompts) << "message:" << text; }
    void warning(const QString& caption, const QString& text) override
    {
        qCWarning(lcPrompts) << "warning:" << caption << text;
    }
    Answer confirm(const QString& text) override
    {
        qCWarning(lcPrompts) << "question:" << text;
        return Answer::Cancel;
    }
    QString openFile(const FileRequest&) override { return {}; }
    QString saveFile(const FileRequest&) override { return {}; }
    bool chooseFont(QFont&, QColor&) override { return false; }
    QColor chooseColor(const QColor&) override { return {}; }
    QString chooseFolder(const QString&, const QString&) override { return {}; }
    bool choosePrint(QPrinter&, const PrintRequest&, PrintChoice&) override { return false; }
    bool setUpPrinter(QPrinter&) override { return false; }
    void previewPrint(QPrinter&, const QString&, const std::function<void(QPrinter&)>&) override {}
};

SilentPrompts silentPrompts;
Prompts* installed = &silentPrompts;

} // namespace

Prompts& Prompts::instance() { return *installed; }

void Prompts::install(Prompts* prompts) { installed = prompts ? prompts : &silentPrompts; }

QString errorText(const std::exception& e)
{
    if (auto* own = dynamic_cast<const TalomaError*>(&e))
        return own->message();
    // The library's own word for it says nothing to a user.
    if (dynamic_cast<const std::bad_alloc*>(&e))
        return QStringLiteral("Nicht genug Arbeitsspeicher für diesen Befehl (std::bad_alloc).");
    return QString::fromLocal8Bit(e.what());
}

void showError(const std::exception& e) { Prompts::instance().message(errorText(e)); }

bool runMenuItem(QAction* item)
{
    if (!item || !item->isEnabled())
        return false;
    item->trigger();
    return true;
}
