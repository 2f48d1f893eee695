#pragma once

#include <QDialog>

#include <functional>
#include <memory>

class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class UpdateClient;

// The "Update" dialog: shows the installed version, asks the update server for its version and, when
// that is newer, downloads the installer to the desktop. Created once at start-up (which fixes
// InstalledVersion) and shown modally when its command is chosen; each opening resets what a check
// found.
class TfrmUpdate final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmUpdate)

public:
    explicit TfrmUpdate(QWidget* parent = nullptr);
    ~TfrmUpdate() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    class ProgressView;

    void FormCreate();
    void FormActivate();
    void bbtnUpdateCheckClick();
    void bbtnDownloadClick();
    void BitBtnOKClick();

    void showVerdict(const QString& text, const QColor& color);
    UpdateClient& client();
    // Runs one transfer with both transfer buttons locked: between the installer's ranges the window's
    // events run, and a second check or download started there would share the client and the file.
    void runTransfer(const std::function<void()>& transfer);

    QGroupBox* GroupBox1;
    QGroupBox* GroupBox2;
    QLabel* lblaktVersion;
    QLabel* lblServerVersion;
    QLabel* lblTxtVersion;
    QPushButton* bbtnUpdateCheck;
    QGroupBox* GroupBox3;
    QProgressBar* Progress;
    QLabel* lblSpeed;
    QLabel* lblStatus;
    QPushButton* bbtnDownload;
    QPushButton* BitBtnOK;

    bool m_transferring = false;
    // A check in this opening found a newer version.
    bool m_downloadOffered = false;

    // Made at the first request, so that a start without an update check sets up no HTTP library.
    std::unique_ptr<UpdateClient> IdHTTP;
};
