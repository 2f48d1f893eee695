#include "HelpWindow.h"

#include "platform/Errors.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QScreen>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

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
    resize(640, 640);
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    m_browser->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
}

QString HelpWindow::englishName(const QString& fileName)
{
    const QFileInfo info(fileName);
    return info.completeBaseName() + QStringLiteral("-en.") + info.suffix();
}

QString HelpWindow::documentPath(const QString& fileName, const QString& programDir)
{
    const QDir dir(programDir);
    const QString candidates[] = {
        dir.filePath(QStringLiteral("../share/taloma-terminal/help/") + fileName),
        dir.filePath(fileName),
    };
    for (const QString& path : candidates)
        if (QFileInfo(path).isFile())
            return QDir::cleanPath(path);
    initHelpResource();
    const QString builtIn = QStringLiteral(":/help/") + fileName;
    return QFileInfo::exists(builtIn) ? builtIn : QString();
}

QString HelpWindow::documentPath(const QString& fileName)
{
    return documentPath(fileName, QCoreApplication::applicationDirPath());
}

QRect HelpWindow::placeBeside(const QRect& mainFrame, QSize wanted, const QRect& screen)
{
    // Narrower than this, the help is better read over the main window than beside it.
    constexpr int narrowest = 420;
    int width = std::min(wanted.width(), screen.width());
    const int height = std::min(wanted.height(), screen.height());
    const int roomRight = screen.x() + screen.width() - (mainFrame.x() + mainFrame.width());
    const int roomLeft = mainFrame.x() - screen.x();
    const int roomBeside = std::max(roomRight, roomLeft);
    if (roomBeside < width && roomBeside >= std::min(narrowest, width))
        width = roomBeside;
    int x;
    if (roomRight >= width)
        x = mainFrame.x() + mainFrame.width();
    else if (roomLeft >= width)
        x = mainFrame.x() - width;
    else if (roomRight >= roomLeft)
        x = screen.x() + screen.width() - width;
    else
        x = screen.x();
    const int y = std::clamp(mainFrame.y(), screen.y(), screen.y() + screen.height() - height);
    return {x, y, width, height};
}

void HelpWindow::moveBeside(const QWidget* mainWindow)
{
    const QScreen* screen = mainWindow->screen();
    if (!screen)
        return;
    // The frame of a window not yet shown is unknown; the main window's frame tells how wide it is.
    const QRect mainFrame = mainWindow->frameGeometry();
    const QSize decoration = mainFrame.size() - mainWindow->size();
    const QRect frame = placeBeside(mainFrame, size() + decoration, screen->availableGeometry());
    resize(frame.size() - decoration);
    move(frame.topLeft());
}

void HelpWindow::showDocument(const QString& fileName, const QString& topic, bool english, const QWidget* beside)
{
    QString path = english ? documentPath(englishName(fileName)) : QString();
    if (path.isEmpty())
        path = documentPath(fileName);
    if (path.isEmpty())
        throw EFileError(QStringLiteral("Die Hilfedatei %1 wurde nicht gefunden.").arg(fileName));
    const QUrl url = path.startsWith(QLatin1Char(':')) ? QUrl(QStringLiteral("qrc") + path) : QUrl::fromLocalFile(path);
    m_browser->setSource(url);
    if (!topic.isEmpty())
        m_browser->scrollToAnchor(topic);
    setWindowTitle(m_browser->documentTitle().isEmpty() ? fileName : m_browser->documentTitle());
    if (!isVisible() && beside)
        moveBeside(beside);
    show();
    raise();
    activateWindow();
}
