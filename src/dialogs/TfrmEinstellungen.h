#pragma once

#include "settings/PanelStyle.h"

#include <QDialog>

#include <functional>

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

// The line-parameter dialog: baud rate, parity, data bits and stop bits of the serial line, with a
// large preview of the resulting parameters ("9600,8,N,1"). Clicking a radio button changes only
// the preview; OK stores the codes (ComBaudrate, ComParity, ComDatenbits, ComStopbits) and sets
// PortSettingsChanged, after which the caller hands them to the port. Every showing and every closing
// selects the buttons of the stored codes again, so Cancel undoes the choices of this opening.
//
// 57600 and 115200 are offered, as the codes 12 and 13 that OK stores and the port and status bar
// understand; code 11 selects nothing. The handshake group shows only "none" as available: the line
// always runs without handshake.
class TfrmEinstellungen final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmEinstellungen)

public:
    // What the dialog reaches outside itself.
    struct Links {
        // Sets the text of a panel of the main window's status bar.
        std::function<void(int panel, const QString& text)> setStatusPanel;
        // Shows the panel colour dialog modally. It starts from GlobVar::ParameterPanelStyle and
        // GlobVar::HandshakePanelStyle and writes the looks chosen with its OK back into them.
        std::function<void()> showPanelColours;
    };

    explicit TfrmEinstellungen(QWidget* parent = nullptr, Links links = {});

    void FormCreate() {}
    // Language texts, buttons of the stored codes, preview, and the panels' looks into the panel styles.
    void FormActivate();
    // Buttons of the stored codes again, status-bar panels 2 and 3.
    void FormClose();
    void BitBtnOKClick();
    void BitBtnCancelClick();
    void pnlTerminalClick();
    void pnlHandshakeClick();

    void rbtn110Click();
    void rbtn300Click();
    void rbtn600Click();
    void rbtn1200Click();
    void rbtn2400Click();
    void rbtn4800Click();
    void rbtn9600Click();
    void rbtn19200Click();
    void rbtn38400Click();
    void rbtn57600Click();
    void rbtn115200Click();
    void rbtnNoneClick();
    void rbtnOddClick();
    void rbtnEvenClick();
    void rbtnMarkClick();
    void rbtnSpaceClick();
    void rbtn4Click();
    void rbtn5Click();
    void rbtn6Click();
    void rbtn7Click();
    void rbtn8Click();
    void rbtn1Click();
    void rbtn1_5Click();
    void rbtn2Click();
    void rbtnKeinClick() {}
    void rbtnSWClick();
    void rbtnHWClick();
    void rbtnHWSWClick();

    // The selection routines: each selects the button of its stored code and sets its display text; a
    // code without a button changes neither.
    void selectBaudrate();
    void selectParity();
    void selectDatenbits();
    void selectStopbits();
    void selectHandshake();
    // The preview shows the parameters of the four display texts.
    void refreshPreview();

    QGroupBox *gboxBaudrate, *gboxParity, *gboxDatenbits, *gboxStopbits, *gboxProtokoll;
    QRadioButton *rbtn110, *rbtn300, *rbtn600, *rbtn1200, *rbtn2400, *rbtn4800, *rbtn9600, *rbtn19200, *rbtn38400,
        *rbtn57600, *rbtn115200;
    QRadioButton *rbtnNone, *rbtnOdd, *rbtnEven, *rbtnMark, *rbtnSpace;
    QRadioButton *rbtn4, *rbtn5, *rbtn6, *rbtn7, *rbtn8;
    QRadioButton *rbtn1, *rbtn1_5, *rbtn2;
    QRadioButton *rbtnKein, *rbtnSW, *rbtnHW, *rbtnHWSW;
    QLabel *pnlTerminal, *pnlHandshake;
    QPushButton *BitBtnOK, *BitBtnCancel;

public slots:
    // Every way of closing (OK, Cancel, Esc, the close box) ends here.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void setBaud(const QString& text);
    void setParity(const QString& text);
    void setDataBits(const QString& text);
    void setStopBits(const QString& text);

    Links m_links;
    PanelStyle m_terminalLook;
    PanelStyle m_handshakeLook;
};
