#include "dialogs/TfrmEinstellungen.h"

#include "dialogs/DialogFrame.h"
#include "dialogs/TaggedTexts.h"
#include "dialogs/TfrmEinstFarben.h"
#include "platform/StringTable.h"
#include "platform/WinColor.h"
#include "serial/PortCodes.h"
#include "settings/GlobVar_Unit.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <initializer_list>

using namespace GlobVar;

namespace {

using T = TfrmEinstellungen;
using Field = QRadioButton* T::*;
using Handler = void (T::*)();

struct RadioRow {
    Field field;
    const char* name;
    const char* caption;
    Handler handler;
    bool enabled = true;
    int tag = 0;
};

struct GroupRow {
    QGroupBox* T::*field;
    const char* name;
    const char* caption;
    int tag;
    std::initializer_list<RadioRow> rows;
};

// The groups in their order on the form, each with its buttons from top to bottom. A doubled
// ampersand shows as one ("Hardware & Software").
const std::initializer_list<GroupRow>& groups()
{
    static const std::initializer_list<GroupRow> table{
        {&T::gboxBaudrate,
         "gboxBaudrate",
         "Baudrate",
         0,
         {
             {&T::rbtn110, "rbtn110", "110", &T::rbtn110Click},
             {&T::rbtn300, "rbtn300", "300", &T::rbtn300Click},
             {&T::rbtn600, "rbtn600", "600", &T::rbtn600Click},
             {&T::rbtn1200, "rbtn1200", "1200", &T::rbtn1200Click},
             {&T::rbtn2400, "rbtn2400", "2400", &T::rbtn2400Click},
             {&T::rbtn4800, "rbtn4800", "4800", &T::rbtn4800Click},
             {&T::rbtn9600, "rbtn9600", "9600", &T::rbtn9600Click},
             {&T::rbtn19200, "rbtn19200", "19200", &T::rbtn19200Click},
             {&T::rbtn38400, "rbtn38400", "38400", &T::rbtn38400Click},
             {&T::rbtn57600, "rbtn57600", "57600", &T::rbtn57600Click},
             {&T::rbtn115200, "rbtn115200", "115200", &T::rbtn115200Click},
         }},
        {&T::gboxParity,
         "gboxParity",
         "Parität",
         803,
         {
             {&T::rbtnNone, "rbtnNone", "Keine / None", &T::rbtnNoneClick},
             {&T::rbtnOdd, "rbtnOdd", "Ungerade / Odd", &T::rbtnOddClick},
             {&T::rbtnEven, "rbtnEven", "Gerade / Even", &T::rbtnEvenClick},
             {&T::rbtnMark, "rbtnMark", "Markierung / Mark", &T::rbtnMarkClick, false},
             {&T::rbtnSpace, "rbtnSpace", "Leerzeichen / Space", &T::rbtnSpaceClick, false},
         }},
        {&T::gboxDatenbits,
         "gboxDatenbits",
         "Datenbits",
         804,
         {
             {&T::rbtn4, "rbtn4", "4", &T::rbtn4Click},
             {&T::rbtn5, "rbtn5", "5", &T::rbtn5Click},
             {&T::rbtn6, "rbtn6", "6", &T::rbtn6Click},
             {&T::rbtn7, "rbtn7", "7", &T::rbtn7Click},
             {&T::rbtn8, "rbtn8", "8", &T::rbtn8Click},
         }},
        {&T::gboxStopbits,
         "gboxStopbits",
         "Stopbits",
         0,
         {
             {&T::rbtn1, "rbtn1", "1", &T::rbtn1Click},
             {&T::rbtn1_5, "rbtn1_5", "1,5", &T::rbtn1_5Click},
             {&T::rbtn2, "rbtn2", "2", &T::rbtn2Click},
         }},
        {&T::gboxProtokoll,
         "gboxProtokoll",
         "Protokoll",
         805,
         {
             {&T::rbtnKein, "rbtnKein", "Kein", &T::rbtnKeinClick, true, 806},
             {&T::rbtnSW, "rbtnSW", "Software (XON/XOFF)", &T::rbtnSWClick, false},
             {&T::rbtnHW, "rbtnHW", "Hardware (RTS/CTS)", &T::rbtnHWClick, false},
             {&T::rbtnHWSW, "rbtnHWSW", "Hardware && Software", &T::rbtnHWSWClick, false},
         }},
    };
    return table;
}

// A code and the button that stands for it, with the button's display text.
struct CodeButton {
    int code;
    Field field;
    const char* text;
};

// 57600 and 115200 are the codes OK stores for them (12, 13), so that a choice comes back as the same
// choice; 8 (14400) and 11 have no button.
constexpr CodeButton kBaudButtons[] = {
    {1, &T::rbtn110, "110"},      {2, &T::rbtn300, "300"},        {3, &T::rbtn600, "600"},
    {4, &T::rbtn1200, "1200"},    {5, &T::rbtn2400, "2400"},      {6, &T::rbtn4800, "4800"},
    {7, &T::rbtn9600, "9600"},    {9, &T::rbtn19200, "19200"},    {10, &T::rbtn38400, "38400"},
    {12, &T::rbtn57600, "57600"}, {13, &T::rbtn115200, "115200"},
};
constexpr CodeButton kParityButtons[] = {
    {1, &T::rbtnNone, "N"}, {2, &T::rbtnOdd, "O"},   {3, &T::rbtnEven, "E"},
    {4, &T::rbtnMark, "M"}, {5, &T::rbtnSpace, "S"},
};
constexpr CodeButton kDataBitsButtons[] = {
    {1, &T::rbtn4, "4"}, {2, &T::rbtn5, "5"}, {3, &T::rbtn6, "6"}, {4, &T::rbtn7, "7"}, {5, &T::rbtn8, "8"},
};
constexpr CodeButton kStopBitsButtons[] = {{1, &T::rbtn1, "1"}, {2, &T::rbtn1_5, "1.5"}, {3, &T::rbtn2, "2"}};

// Selects the button of the code and sets the text; a code without a button changes nothing.
template <size_t N>
void selectCode(T& dialog, const CodeButton (&buttons)[N], int code, QString& text)
{
    for (const CodeButton& b : buttons) {
        if (b.code == code) {
            (dialog.*b.field)->setChecked(true);
            text = QString::fromLatin1(b.text);
            return;
        }
    }
}

// The code of the first selected button; the last button's code when none of the others is selected.
template <size_t N>
int selectedCode(const T& dialog, const CodeButton (&buttons)[N])
{
    for (size_t k = 0; k + 1 < N; ++k) {
        if ((dialog.*buttons[k].field)->isChecked())
            return buttons[k].code;
    }
    return buttons[N - 1].code;
}

// The design looks of the two panels: lime on black, and green on black.
PanelStyle designLook(int pointSize, quint32 color)
{
    PanelStyle look;
    look.fontName = QStringLiteral("Arial");
    look.fontColor = color;
    look.fontSize = pointSize;
    look.fontStyle = PanelStyle::Bold;
    look.backgroundColor = 0x000000;
    return look;
}

} // namespace

TfrmEinstellungen::TfrmEinstellungen(QWidget* parent, Links links)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      m_links(std::move(links))
{
    setObjectName(QStringLiteral("frmEinstellungen"));
    setWindowTitle(QStringLiteral("Einstellungen"));
    buildControls();
    FormCreate();
}

void TfrmEinstellungen::buildControls()
{
    for (const GroupRow& group : groups()) {
        auto* box = new QGroupBox(QString::fromUtf8(group.caption), this);
        box->setObjectName(QLatin1String(group.name));
        tagControl(box, group.tag);
        this->*group.field = box;
        auto* column = new QVBoxLayout(box);
        column->setSpacing(0);
        column->setContentsMargins(8, 2, 8, 4);
        for (const RadioRow& row : group.rows) {
            auto* button = new QRadioButton(QString::fromUtf8(row.caption), box);
            button->setObjectName(QLatin1String(row.name));
            button->setEnabled(row.enabled);
            tagControl(button, row.tag);
            column->addWidget(button);
            this->*row.field = button;
            connect(button, &QRadioButton::clicked, this, [this, handler = row.handler] { (this->*handler)(); });
        }
        column->addStretch();
    }
    rbtn9600->setChecked(true);
    rbtnNone->setChecked(true);
    rbtn8->setChecked(true);
    rbtn1->setChecked(true);
    rbtnKein->setChecked(true);

    pnlTerminal = new QLabel(QStringLiteral("9600,8,N,1"), this);
    pnlTerminal->setObjectName(QStringLiteral("pnlTerminal"));
    pnlTerminal->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnlTerminal->setMargin(2);
    pnlHandshake = new QLabel(QStringLiteral("Kein Handshake"), this);
    pnlHandshake->setObjectName(QStringLiteral("pnlHandshake"));
    pnlHandshake->setFrameStyle(QFrame::Box | QFrame::Sunken);
    for (QLabel* panel : {pnlTerminal, pnlHandshake}) {
        panel->setAlignment(Qt::AlignCenter);
        panel->setAutoFillBackground(true);
        panel->setCursor(Qt::PointingHandCursor);
        panel->installEventFilter(this);
    }
    m_terminalLook = designLook(24, 0x00FF00);
    m_handshakeLook = designLook(12, 0x008000);
    applyPanelStyle(pnlTerminal, m_terminalLook);
    applyPanelStyle(pnlHandshake, m_handshakeLook);
    pnlTerminal->setMinimumHeight(56);
    pnlHandshake->setMinimumHeight(28);

    BitBtnOK = new QPushButton(QStringLiteral("&OK"), this);
    BitBtnOK->setObjectName(QStringLiteral("BitBtnOK"));
    BitBtnOK->setDefault(true);
    tagControl(BitBtnOK, 801);
    BitBtnCancel = new QPushButton(QStringLiteral("&Abbrechen"), this);
    BitBtnCancel->setObjectName(QStringLiteral("BitBtnCancel"));
    BitBtnCancel->setAutoDefault(false);
    tagControl(BitBtnCancel, 802);
    connect(BitBtnOK, &QPushButton::clicked, this, &TfrmEinstellungen::BitBtnOKClick);
    connect(BitBtnCancel, &QPushButton::clicked, this, &TfrmEinstellungen::BitBtnCancelClick);

    // Baud rates on the left, parity and data bits in the middle, stop bits, handshake and its panel
    // on the right; the parameter preview and the buttons below.
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 8, 8, 8);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);
    grid->addWidget(gboxBaudrate, 0, 0, 3, 1);
    grid->addWidget(gboxParity, 0, 1);
    grid->addWidget(gboxDatenbits, 1, 1, 2, 1);
    grid->addWidget(gboxStopbits, 0, 2);
    grid->addWidget(gboxProtokoll, 1, 2);
    grid->addWidget(pnlHandshake, 2, 2, Qt::AlignBottom);
    grid->addWidget(pnlTerminal, 3, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtnOK);
    buttons->addWidget(BitBtnCancel);
    grid->addLayout(buttons, 3, 2, Qt::AlignBottom);
    grid->setRowStretch(2, 1);
    grid->setColumnStretch(2, 1);
    setFixedSize(488, 367);
}

void TfrmEinstellungen::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    centreOnScreen(this);
    FormActivate();
}

bool TfrmEinstellungen::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        auto* panel = qobject_cast<QLabel*>(watched);
        if (panel && panel->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
            if (panel == pnlTerminal)
                pnlTerminalClick();
            else if (panel == pnlHandshake)
                pnlHandshakeClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmEinstellungen::FormActivate()
{
    const bool german = Language == 1;
    setWindowTitle(german ? QStringLiteral("Einstellungen") : QStringLiteral("Settings"));
    applyTaggedTexts(this, StringTable::LanguageOffset(Language));
    pnlHandshake->setText(PortCodes::HandshakeText(Language));

    selectBaudrate();
    selectParity();
    selectDatenbits();
    selectStopbits();
    selectHandshake();
    refreshPreview();

    ParameterPanelStyle = m_terminalLook;
    HandshakePanelStyle = m_handshakeLook;
}

void TfrmEinstellungen::selectBaudrate() { selectCode(*this, kBaudButtons, ComBaudrate, BaudText); }

void TfrmEinstellungen::selectParity() { selectCode(*this, kParityButtons, ComParity, ParityChar); }

void TfrmEinstellungen::selectDatenbits() { selectCode(*this, kDataBitsButtons, ComDatenbits, DataBitsChar); }

void TfrmEinstellungen::selectStopbits() { selectCode(*this, kStopBitsButtons, ComStopbits, StopBitsText); }

void TfrmEinstellungen::selectHandshake() { HandshakeText = PortCodes::HandshakeText(Language); }

void TfrmEinstellungen::refreshPreview()
{
    pnlTerminal->setText(PortCodes::LineParameterText(BaudText, DataBitsChar, ParityChar, StopBitsText));
}

void TfrmEinstellungen::setBaud(const QString& text)
{
    BaudText = text;
    refreshPreview();
}

void TfrmEinstellungen::setParity(const QString& text)
{
    ParityChar = text;
    refreshPreview();
}

void TfrmEinstellungen::setDataBits(const QString& text)
{
    DataBitsChar = text;
    refreshPreview();
}

void TfrmEinstellungen::setStopBits(const QString& text)
{
    StopBitsText = text;
    refreshPreview();
}

void TfrmEinstellungen::rbtn110Click() { setBaud(QStringLiteral("110")); }
void TfrmEinstellungen::rbtn300Click() { setBaud(QStringLiteral("300")); }
void TfrmEinstellungen::rbtn600Click() { setBaud(QStringLiteral("600")); }
void TfrmEinstellungen::rbtn1200Click() { setBaud(QStringLiteral("1200")); }
void TfrmEinstellungen::rbtn2400Click() { setBaud(QStringLiteral("2400")); }
void TfrmEinstellungen::rbtn4800Click() { setBaud(QStringLiteral("4800")); }
void TfrmEinstellungen::rbtn9600Click() { setBaud(QStringLiteral("9600")); }
void TfrmEinstellungen::rbtn19200Click() { setBaud(QStringLiteral("19200")); }
void TfrmEinstellungen::rbtn38400Click() { setBaud(QStringLiteral("38400")); }
void TfrmEinstellungen::rbtn57600Click() { setBaud(QStringLiteral("57600")); }
void TfrmEinstellungen::rbtn115200Click() { setBaud(QStringLiteral("115200")); }
void TfrmEinstellungen::rbtnNoneClick() { setParity(QStringLiteral("N")); }
void TfrmEinstellungen::rbtnOddClick() { setParity(QStringLiteral("O")); }
void TfrmEinstellungen::rbtnEvenClick() { setParity(QStringLiteral("E")); }
void TfrmEinstellungen::rbtnMarkClick() { setParity(QStringLiteral("M")); }
void TfrmEinstellungen::rbtnSpaceClick() { setParity(QStringLiteral("S")); }
void TfrmEinstellungen::rbtn4Click() { setDataBits(QStringLiteral("4")); }
void TfrmEinstellungen::rbtn5Click() { setDataBits(QStringLiteral("5")); }
void TfrmEinstellungen::rbtn6Click() { setDataBits(QStringLiteral("6")); }
void TfrmEinstellungen::rbtn7Click() { setDataBits(QStringLiteral("7")); }
void TfrmEinstellungen::rbtn8Click() { setDataBits(QStringLiteral("8")); }
void TfrmEinstellungen::rbtn1Click() { setStopBits(QStringLiteral("1")); }
void TfrmEinstellungen::rbtn1_5Click() { setStopBits(QStringLiteral("1.5")); }
void TfrmEinstellungen::rbtn2Click() { setStopBits(QStringLiteral("2")); }
void TfrmEinstellungen::rbtnSWClick() { pnlHandshake->setText(QStringLiteral("Software (XON/XOFF)")); }
void TfrmEinstellungen::rbtnHWClick() { pnlHandshake->setText(QStringLiteral("Hardware (RTS/CTS)")); }
void TfrmEinstellungen::rbtnHWSWClick() { pnlHandshake->setText(QStringLiteral("Hardware && Software")); }

void TfrmEinstellungen::pnlTerminalClick()
{
    if (m_links.showPanelColours)
        m_links.showPanelColours();
    m_terminalLook = ParameterPanelStyle;
    m_handshakeLook = HandshakePanelStyle;
    applyPanelStyle(pnlTerminal, m_terminalLook);
    applyPanelStyle(pnlHandshake, m_handshakeLook);
    // The dialog is the active window again, with the looks just applied: what it shows is refreshed
    // as at every activation.
    FormActivate();
}

void TfrmEinstellungen::pnlHandshakeClick() { pnlTerminalClick(); }

void TfrmEinstellungen::BitBtnOKClick()
{
    ComBaudrate = selectedCode(*this, kBaudButtons);
    ComParity = selectedCode(*this, kParityButtons);
    ComDatenbits = selectedCode(*this, kDataBitsButtons);
    ComStopbits = selectedCode(*this, kStopBitsButtons);
    PortSettingsChanged = true;
    accept();
}

void TfrmEinstellungen::BitBtnCancelClick() { reject(); }

void TfrmEinstellungen::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void TfrmEinstellungen::FormClose()
{
    selectBaudrate();
    selectParity();
    selectDatenbits();
    selectStopbits();
    selectHandshake();
    if (m_links.setStatusPanel) {
        m_links.setStatusPanel(2, PortCodes::LineParameterText(BaudText, DataBitsChar, ParityChar, StopBitsText));
        m_links.setStatusPanel(3, QLatin1Char(' ') + HandshakeText);
    }
}
