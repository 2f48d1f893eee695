#include "dialogs/Update_Unit.h"

#include "platform/HandOver.h"
#include "platform/Prompts.h"
#include "platform/Version.h"
#include "update/InstallerDownload.h"
#include "update/UpdateClient.h"
#include "update/UpdateSite.h"
#include "update/VersionCheck.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <climits>

namespace {

QLabel* makeLabel(const QString& name, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    // A server's answer is shown as it is, never read as markup.
    label->setTextFormat(Qt::PlainText);
    return label;
}

void setTextColor(QWidget* widget, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    widget->setPalette(palette);
}

} // namespace

// The download's view of the dialog. The progress bar counts in int: a length beyond its range is
// shown in coarser steps.
class TfrmUpdate::ProgressView final : public DownloadView {
public:
    explicit ProgressView(TfrmUpdate& dialog) : m_dialog(dialog) {}

    void setStatus(const QString& text) override { m_dialog.lblStatus->setText(text); }
    void setSpeed(const QString& text) override { m_dialog.lblSpeed->setText(text); }
    void setProgressMaximum(qint64 total) override
    {
        m_shift = 0;
        while ((total >> m_shift) > INT_MAX)
            ++m_shift;
        m_dialog.Progress->setMaximum(int(total >> m_shift));
    }
    void setProgressPosition(qint64 position) override
    {
        m_dialog.Progress->setValue(int(qMin<qint64>(position >> m_shift, INT_MAX)));
    }
    void processMessages() override { ProcessMessages(); }

private:
    TfrmUpdate& m_dialog;
    int m_shift = 0;
};

TfrmUpdate::TfrmUpdate(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmUpdate"));
    setWindowTitle(QStringLiteral("Update"));

    GroupBox1 = new QGroupBox(QStringLiteral(" Update-Check "), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox2 = new QGroupBox(GroupBox1);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    QLabel* Label1 = makeLabel(QStringLiteral("Label1"), QStringLiteral("Version:"), GroupBox2);
    lblaktVersion = makeLabel(QStringLiteral("lblaktVersion"), QStringLiteral("0.0.0.0"), GroupBox2);
    QLabel* Label2 = makeLabel(QStringLiteral("Label2"), QStringLiteral("Server:"), GroupBox2);
    lblServerVersion = makeLabel(QStringLiteral("lblServerVersion"), QStringLiteral("0.0.0.0"), GroupBox2);
    // A long first line from the server must not stretch the window; a version always fits.
    const QString widest = QStringLiteral("00000.00000.00000.00000");
    lblServerVersion->setMinimumWidth(lblServerVersion->fontMetrics().horizontalAdvance(widest));
    lblServerVersion->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto* versions = new QGridLayout(GroupBox2);
    versions->addWidget(Label1, 0, 0);
    versions->addWidget(lblaktVersion, 0, 1);
    versions->addWidget(Label2, 1, 0);
    versions->addWidget(lblServerVersion, 1, 1);
    versions->setColumnStretch(1, 1);

    lblTxtVersion = makeLabel(QStringLiteral("lblTxtVersion"), QStringLiteral("Version"), GroupBox1);
    lblTxtVersion->setAlignment(Qt::AlignCenter);
    bbtnUpdateCheck = new QPushButton(QStringLiteral("Updates auf dem Server"), GroupBox1);
    bbtnUpdateCheck->setObjectName(QStringLiteral("bbtnUpdateCheck"));
    bbtnUpdateCheck->setAutoDefault(false);
    auto* check = new QVBoxLayout(GroupBox1);
    check->addWidget(GroupBox2);
    check->addWidget(lblTxtVersion);
    check->addWidget(bbtnUpdateCheck);

    GroupBox3 = new QGroupBox(QStringLiteral("Download"), this);
    GroupBox3->setObjectName(QStringLiteral("GroupBox3"));
    Progress = new QProgressBar(GroupBox3);
    Progress->setObjectName(QStringLiteral("Progress"));
    Progress->setTextVisible(false);
    Progress->setValue(0);
    lblSpeed = makeLabel(QStringLiteral("lblSpeed"), QString(), GroupBox3);
    lblStatus = makeLabel(QStringLiteral("lblStatus"), QString(), GroupBox3);
    lblStatus->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    bbtnDownload = new QPushButton(QStringLiteral("Download (auf den Desktop)"), GroupBox3);
    bbtnDownload->setObjectName(QStringLiteral("bbtnDownload"));
    bbtnDownload->setAutoDefault(false);
    bbtnDownload->setEnabled(false);
    auto* figures = new QHBoxLayout;
    figures->addWidget(lblSpeed);
    figures->addStretch();
    figures->addWidget(lblStatus);
    auto* download = new QVBoxLayout(GroupBox3);
    download->addWidget(Progress);
    download->addLayout(figures);
    download->addWidget(bbtnDownload);

    BitBtnOK = new QPushButton(QStringLiteral("&OK"), this);
    BitBtnOK->setObjectName(QStringLiteral("BitBtnOK"));
    BitBtnOK->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtnOK);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox1);
    layout->addWidget(GroupBox3);
    layout->addStretch();
    layout->addLayout(buttons);

    setTextColor(lblaktVersion, QColor(0, 0, 255));
    setTextColor(lblServerVersion, QColor(0, 128, 0));

    connect(bbtnUpdateCheck, &QPushButton::clicked, this,
            [this] { runTransfer([this] { bbtnUpdateCheckClick(); }); });
    connect(bbtnDownload, &QPushButton::clicked, this, [this] { runTransfer([this] { bbtnDownloadClick(); }); });
    connect(BitBtnOK, &QPushButton::clicked, this, [this] { BitBtnOKClick(); });

    FormCreate();
}

TfrmUpdate::~TfrmUpdate() = default;

void TfrmUpdate::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TfrmUpdate::FormCreate()
{
    lblTxtVersion->setText(QStringLiteral("*** Versions-Check ***"));
    InstalledVersion = versionText();
    lblaktVersion->setText(InstalledVersion);
    setTextColor(GroupBox2, Qt::black);
}

void TfrmUpdate::runTransfer(const std::function<void()>& transfer)
{
    if (m_transferring)
        return;
    m_transferring = true;
    bbtnUpdateCheck->setEnabled(false);
    bbtnDownload->setEnabled(false);
    runCommand(transfer);
    m_transferring = false;
    bbtnUpdateCheck->setEnabled(true);
    bbtnDownload->setEnabled(m_downloadOffered);
}

void TfrmUpdate::FormActivate()
{
    // The check button is left alone: reopened while a download runs on, it stays locked until that ends.
    m_downloadOffered = false;
    bbtnDownload->setEnabled(false);
    showVerdict(QStringLiteral("*** Versions-Check ***"), QColor(176, 0, 88));
    lblServerVersion->setText(QStringLiteral("0.0.0.0"));
    lblSpeed->clear();
    lblStatus->clear();
    QString desktop;
    if (GetSpecialFolder(QStandardPaths::DesktopLocation, desktop))
        DownloadTarget = desktop + QLatin1Char('/') + QLatin1String(UpdateFileName);
}

void TfrmUpdate::showVerdict(const QString& text, const QColor& color)
{
    lblTxtVersion->setText(text);
    setTextColor(lblTxtVersion, color);
}

UpdateClient& TfrmUpdate::client()
{
    if (!IdHTTP)
        IdHTTP = std::make_unique<UpdateClient>();
    return *IdHTTP;
}

void TfrmUpdate::bbtnUpdateCheckClick()
{
    // A failure is shown by the general error display, and the labels keep what they showed.
    const QString server = FetchServerVersion(client());
    lblServerVersion->setText(server);
    switch (CompareVersions(InstalledVersion, server)) {
    case VersionVerdict::Current:
        showVerdict(QStringLiteral("Ihre Version ist aktuell !"), QColor(0, 128, 0));
        break;
    case VersionVerdict::ServerNewer:
        showVerdict(QStringLiteral("Neuere Version ist auf dem Server !!!"), QColor(255, 0, 0));
        m_downloadOffered = true;
        break;
    case VersionVerdict::InstalledNewer:
        showVerdict(QStringLiteral("Ihre Version ist neuer als die auf dem Server !"), QColor(255, 128, 64));
        break;
    }
}

void TfrmUpdate::bbtnDownloadClick()
{
    DownloadURL = UpdateFileURL(QLatin1String(UpdateFileName));
    ProgressView view(*this);
    DownloadInstaller(client(), DownloadURL, DownloadTarget, view);
}

void TfrmUpdate::BitBtnOKClick() { close(); }
