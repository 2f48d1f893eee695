#include "terminal/TfrmFTaste.h"

#include "platform/Prompts.h"
#include "serial/SerComm.h"
#include "settings/GlobVar_Unit.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace {

bool isFunctionKey(int key) { return key == Qt::Key_F1 || key == Qt::Key_F5 || key == Qt::Key_F6; }

} // namespace

TfrmFTaste::TfrmFTaste(QWidget* mainWindow, const Links& links)
    : QDialog(mainWindow, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      m_links(links)
{
    setObjectName(QStringLiteral("frmFTaste"));
    setWindowTitle(QStringLiteral("F-Tasten-Belegung"));
    setFixedSize(357, 116);
    setModal(false);

    auto button = [this](const char* name, const QString& caption, int x, int y, int width) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        QFont bold = b->font();
        bold.setBold(true);
        b->setFont(bold);
        b->setGeometry(x, y, width, 25);
        b->installEventFilter(this);
        return b;
    };
    auto label = [this](const char* name, const QString& text, int x, int y) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QLatin1String(name));
        l->move(x, y);
        return l;
    };
    // Six keys in a row, 56 pixels apart; Ctrl-F1 below F1.
    constexpr int left = 16;
    constexpr int step = 56;
    lblHilfe = label("lblHilfe", QStringLiteral("Hilfe"), left, 8);
    BitBtnF1 = button("BitBtnF1", QStringLiteral("F1"), left, 26, 41);
    BitBtnF2 = button("BitBtnF2", QStringLiteral("F2"), left + step, 26, 41);
    BitBtnF3 = button("BitBtnF3", QStringLiteral("F3"), left + 2 * step, 26, 41);
    BitBtnF4 = button("BitBtnF4", QStringLiteral("F4"), left + 3 * step, 26, 41);
    BitBtnF5 = button("BitBtnF5", QStringLiteral("F5"), left + 4 * step, 26, 41);
    BitBtnF6 = button("BitBtnF6", QStringLiteral("F6"), left + 5 * step, 26, 41);
    lblReferenz = label("lblReferenz", QStringLiteral("Referenz"), left, 60);
    BitBtnCtrlF1 = button("BitBtnCtrlF1", QStringLiteral("Ctrl-F1"), left, 78, 65);

    // The keys and the buttons run their commands through the buttons: a port that fails on RUN or
    // LIST shows its error and the window goes on.
    auto command = [this](QPushButton* b, void (TfrmFTaste::*handler)()) {
        connect(b, &QPushButton::clicked, this,
                [this, handler] { runCommand([this, handler] { (this->*handler)(); }); });
    };
    command(BitBtnF1, &TfrmFTaste::BitBtnF1Click);
    command(BitBtnF5, &TfrmFTaste::BitBtnF5Click);
    command(BitBtnF6, &TfrmFTaste::BitBtnF6Click);
    command(BitBtnCtrlF1, &TfrmFTaste::BitBtnCtrlF1Click);

    installEventFilter(this);
    FormCreate();
}

void TfrmFTaste::FormCreate() { move(GlobVar::FTasteWindowLeft, GlobVar::FTasteWindowTop); }

void TfrmFTaste::FormClose() { m_links.shownItem->setChecked(false); }

void TfrmFTaste::closeEvent(QCloseEvent* event)
{
    // Closing hides the window; it is shown again from the menu, at the same place.
    FormClose();
    event->accept();
}

bool TfrmFTaste::FormKeyDown(const QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_F1:
        if ((event->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier)
            BitBtnCtrlF1->click();
        else
            BitBtnF1->click();
        return true;
    case Qt::Key_F5:
        BitBtnF5->click();
        return true;
    case Qt::Key_F6:
        BitBtnF6->click();
        return true;
    default:
        return false;
    }
}

bool TfrmFTaste::eventFilter(QObject* watched, QEvent* event)
{
    // The window sees its keys before the button that has the focus, and before the main window's
    // shortcuts for the same keys.
    if (watched == this || watched->parent() == this) {
        if (event->type() == QEvent::KeyPress)
            return FormKeyDown(static_cast<QKeyEvent*>(event));
        if (event->type() == QEvent::ShortcutOverride && isFunctionKey(static_cast<QKeyEvent*>(event)->key())) {
            event->accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmFTaste::BitBtnF1Click() { runMenuItem(m_links.help); }

void TfrmFTaste::BitBtnF5Click() { m_links.port->WriteString(QByteArrayLiteral("RUN\r")); }

void TfrmFTaste::BitBtnF6Click() { m_links.port->WriteString(QByteArrayLiteral("LIST\r")); }

void TfrmFTaste::BitBtnCtrlF1Click() { runMenuItem(m_links.reference); }
