#include "dialogs/TfrmEinstFarben.h"

#include "dialogs/DialogFrame.h"
#include "platform/Prompts.h"
#include "platform/WinColor.h"

#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

PanelStyle panelStyleOf(const QWidget* panel)
{
    PanelStyle style;
    style.setFont(panel->font());
    style.fontColor = qColorToWinColor(panel->palette().color(panel->foregroundRole()));
    style.backgroundColor = qColorToWinColor(panel->palette().color(panel->backgroundRole()));
    return style;
}

void applyPanelStyle(QWidget* panel, const PanelStyle& style)
{
    panel->setFont(style.font());
    QPalette palette = panel->palette();
    palette.setColor(panel->foregroundRole(), winColorToQColor(style.fontColor));
    palette.setColor(panel->backgroundRole(), winColorToQColor(style.backgroundColor));
    panel->setPalette(palette);
    panel->setAutoFillBackground(true);
}

namespace {

QLabel* previewPanel(QWidget* parent, const char* name, const QString& caption, QSize size)
{
    auto* panel = new QLabel(caption, parent);
    panel->setObjectName(QLatin1String(name));
    panel->setAlignment(Qt::AlignCenter);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setFixedSize(size);
    return panel;
}

QPushButton* dotsButton(QWidget* parent, const char* name)
{
    auto* b = new QPushButton(QStringLiteral("..."), parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    b->setFixedWidth(32);
    return b;
}

// The rows "Fonts" and "Hintergrund" of a panel's group.
QGroupBox* chooserGroup(QWidget* parent, const char* name, const QString& title, QPushButton* font,
                        QPushButton* background)
{
    auto* box = new QGroupBox(title, parent);
    box->setObjectName(QLatin1String(name));
    font->setParent(box);
    background->setParent(box);
    auto* grid = new QGridLayout(box);
    grid->addWidget(new QLabel(QStringLiteral("Fonts"), box), 0, 0);
    grid->addWidget(font, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Hintergrund"), box), 1, 0);
    grid->addWidget(background, 1, 1);
    grid->setColumnStretch(0, 1);
    return box;
}

QFrame* raisedPanel(QWidget* parent, const char* name, QWidget* preview, QGroupBox* group)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(QLatin1String(name));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    preview->setParent(panel);
    group->setParent(panel);
    auto* layout = new QVBoxLayout(panel);
    layout->addWidget(preview, 0, Qt::AlignHCenter);
    layout->addStretch();
    layout->addWidget(group);
    return panel;
}

} // namespace

TfrmEinstFarben::TfrmEinstFarben(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmEinstFarben"));
    setWindowTitle(QStringLiteral("Farben einstellen"));

    pnl1 = previewPanel(this, "pnl1", QStringLiteral("9600,N,8,1"), QSize(205, 61));
    pnl2 = previewPanel(this, "pnl2", QStringLiteral("Software (XON/XOFF)"), QSize(205, 33));
    // The design looks, until the styles are shown.
    applyPanelStyle(pnl1, {QStringLiteral("Arial"), 0x0000FF00, 22, {}, 0x00000000});
    QFont handshakeFont(QStringLiteral("Arial"), 12);
    handshakeFont.setBold(true);
    pnl2->setFont(handshakeFont);
    QPalette green = pnl2->palette();
    green.setColor(pnl2->foregroundRole(), winColorToQColor(0x00008000));
    pnl2->setPalette(green);

    btnFont = dotsButton(this, "btnFont");
    btnColorRear = dotsButton(this, "btnColorRear");
    btnFont1 = dotsButton(this, "btnFont1");
    btnColorRear1 = dotsButton(this, "btnColorRear1");
    gboxTerminal = chooserGroup(this, "gboxTerminal", QStringLiteral("Terminal"), btnFont, btnColorRear);
    gboxProtokoll = chooserGroup(this, "gboxProtokoll", QStringLiteral("Protokoll"), btnFont1, btnColorRear1);

    BitBtnCancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    BitBtnCancel->setObjectName(QStringLiteral("BitBtnCancel"));
    BitBtnCancel->setAutoDefault(false);
    BitBtnOK = new QPushButton(QStringLiteral("OK"), this);
    BitBtnOK->setObjectName(QStringLiteral("BitBtnOK"));
    BitBtnOK->setDefault(true);

    auto* panels = new QHBoxLayout;
    panels->addWidget(raisedPanel(this, "pnlLeft", pnl1, gboxTerminal));
    panels->addWidget(raisedPanel(this, "pnlRight", pnl2, gboxProtokoll));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtnCancel);
    buttons->addWidget(BitBtnOK);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(panels, 1);
    layout->addLayout(buttons);
    setFixedSize(492, 244);
    move(194, 107);

    const auto command = [this](QPushButton* b, void (TfrmEinstFarben::*handler)()) {
        connect(b, &QPushButton::clicked, this,
                [this, handler] { runCommand([this, handler] { (this->*handler)(); }); });
    };
    command(btnFont, &TfrmEinstFarben::btnFontClick);
    command(btnFont1, &TfrmEinstFarben::btnFont1Click);
    command(btnColorRear, &TfrmEinstFarben::btnColorRearClick);
    command(btnColorRear1, &TfrmEinstFarben::btnColorRear1Click);
    closeWith(this, BitBtnOK, Accepted, [this] { runCommand([this] { BitBtnOKClick(); }); });
    closeWith(this, BitBtnCancel, Rejected, [this] { runCommand([this] { BitBtnCancelClick(); }); });
}

void TfrmEinstFarben::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TfrmEinstFarben::FormActivate()
{
    applyPanelStyle(pnl1, GlobVar::ParameterPanelStyle);
    applyPanelStyle(pnl2, GlobVar::HandshakePanelStyle);
}

void TfrmEinstFarben::chooseFont(QLabel* preview)
{
    PanelStyle style = panelStyleOf(preview);
    QFont font = style.font();
    QColor color = winColorToQColor(style.fontColor);
    if (!Prompts::instance().chooseFont(font, color))
        return;
    style.setFont(font);
    style.fontColor = qColorToWinColor(color);
    applyPanelStyle(preview, style);
}

void TfrmEinstFarben::chooseBackground(QLabel* preview)
{
    PanelStyle style = panelStyleOf(preview);
    const QColor chosen = Prompts::instance().chooseColor(winColorToQColor(style.backgroundColor));
    if (!chosen.isValid())
        return;
    style.backgroundColor = qColorToWinColor(chosen);
    applyPanelStyle(preview, style);
}

void TfrmEinstFarben::btnFontClick() { chooseFont(pnl1); }

void TfrmEinstFarben::btnFont1Click() { chooseFont(pnl2); }

void TfrmEinstFarben::btnColorRearClick() { chooseBackground(pnl1); }

void TfrmEinstFarben::btnColorRear1Click() { chooseBackground(pnl2); }

void TfrmEinstFarben::BitBtnOKClick()
{
    GlobVar::ParameterPanelStyle = panelStyleOf(pnl1);
    GlobVar::HandshakePanelStyle = panelStyleOf(pnl2);
}

void TfrmEinstFarben::BitBtnCancelClick() {}
