#pragma once

#include <QDialog>

#include <array>

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

// The port selection: which of COM1 to COM4 the terminal uses. Only the ports of the machine's port
// list (SerialPortNames) can be chosen; which those are is settled once, when the dialog is created at
// start, together with the selection of the stored ComPort. OK stores the choice and sets
// PortSettingsChanged; the window's close box closes without storing.
//
// Beside each button a smaller label names the Linux device behind the COM name and what it is, so
// that a user with two adapters can tell them apart. Those labels are refreshed at every showing.
class TfrmComPort final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmComPort)

public:
    explicit TfrmComPort(QWidget* parent = nullptr);

    // Enables the buttons of the listed ports and selects the button of ComPort.
    void FormCreate();
    // Language texts and the device labels.
    void FormActivate();
    void BitBtnOKClick();

    QGroupBox* gboxComPort;
    QRadioButton *rbtnCom1, *rbtnCom2, *rbtnCom3, *rbtnCom4;
    // The device behind each COM name.
    QLabel *lblCom1, *lblCom2, *lblCom3, *lblCom4;
    QPushButton* BitBtnOK;

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::array<QRadioButton*, 4> buttons() const { return {rbtnCom1, rbtnCom2, rbtnCom3, rbtnCom4}; }
    std::array<QLabel*, 4> labels() const { return {lblCom1, lblCom2, lblCom3, lblCom4}; }
};
