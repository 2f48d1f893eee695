#include "HelpWindow.h"

#include "platform/Errors.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

static void initHelpResource() { Q_INIT_RESOURCE(help); }

HelpWindow& HelpWindow::instance()
{
    static HelpWindow* window = new HelpWindow;
    return *window;
}

HelpWindow::HelpWindow() : m_browser(new QTextBrowser(this))
{
    initHelpResource();
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Taloma-Terminal - Hilfe"));
    resize(640, 560);
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    m_browser->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
}

QString HelpWindow::documentPath(const QString& fileName)
{
    const QString beside = QCoreApplication::applicationDirPath() + QLatin1Char('/') + fileName;
    if (QFileInfo::exists(beside))
        return beside;
    initHelpResource();
    const QString builtIn = QStringLiteral(":/help/") + fileName;
    return QFileInfo::exists(builtIn) ? builtIn : QString();
}

void HelpWindow::showDocument(const QString& fileName, const QString& topic)
{
    const QString path = documentPath(fileName);
    if (path.isEmpty())
        throw EFileError(QStringLiteral("Die Hilfedatei %1 wurde nicht gefunden.").arg(fileName));
    const QUrl url = path.startsWith(QLatin1Char(':')) ? QUrl(QStringLiteral("qrc") + path) : QUrl::fromLocalFile(path);
    m_browser->setSource(url);
    if (!topic.isEmpty())
        m_browser->scrollToAnchor(topic);
    setWindowTitle(m_browser->documentTitle().isEmpty() ? fileName : m_browser->documentTitle());
    show();
    raise();
    activateWindow();
}
