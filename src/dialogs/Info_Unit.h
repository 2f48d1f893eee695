#pragma once

#include <QDialog>
#include <QString>

#include <functional>

class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QToolButton;
class QUrl;
class QWidget;

// The maker's contact data as the dialog shows it.
namespace InfoContact {
inline const QString Maker = QStringLiteral("ZUV Mikrocontroller-Systeme");
inline const QString Street = QStringLiteral("Am Werkhof 12");
inline const QString Town = QStringLiteral("D-12345 Musterstadt");
inline const QString Phone = QStringLiteral("Tel. 01234 / 56 78 90");
inline const QString Fax = QStringLiteral("Fax 01234 / 56 78 91");
inline const QString EMail = QStringLiteral("info@zuv-mikrocontroller.example");
inline const QString Homepage = QStringLiteral("www.zuv-mikrocontroller.example");
inline const QString Copyright = QStringLiteral("Copyright © Orvik · ZUV Mikrocontroller-Systeme");
inline const QString IntelAddress = QStringLiteral("www.intel.com");
} // namespace InfoContact

// The "Information" dialog: the program's version, the operating system, the machine's memory, the
// maker's contact data and buttons to the maker's homepage and mail, Intel's web site and a system
// information tool. Created once at start-up and shown modally; every showing refreshes what it shows
// and starts on the first page.
class TfrmInfo final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmInfo)

public:
    // applyLanguage sets the tagged texts of all of the program's windows for a string-table offset;
    // the dialog asks for it each time it is shown.
    using LanguageApplier = std::function<void(int offset)>;
    // Opens a link with the desktop's program for it; false when none would take it.
    using LinkOpener = std::function<bool(const QUrl& url)>;

    explicit TfrmInfo(QWidget* parent = nullptr, LanguageApplier applyLanguage = {});

    // The desktop's link handling is the default; tests put their own in its place.
    void setLinkOpener(LinkOpener opener);
    // /proc/meminfo is the default.
    void setMemoryInfoPath(const QString& path);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    void FormActivate();
    void BitBtnSysClick();
    void sbtnHomepageClick();
    void sbtnEMailClick();
    void sbtnIntelClick();
    void openLink(const QUrl& url);

    QWidget* buildGeneralPage();
    QWidget* buildAuthorPage();

    LanguageApplier m_applyLanguage;
    LinkOpener m_openLink;
    QString m_memoryInfoPath;

    QTabWidget* PageControl2 = nullptr;
    QWidget* Allgemeines = nullptr;
    QWidget* Autor = nullptr;

    QFrame* Panel1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* lblV = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblCopyright = nullptr;
    QToolButton* sbtnIntel = nullptr;

    QFrame* Panel2 = nullptr;
    QLabel* Image1 = nullptr;

    QFrame* Panel3 = nullptr;
    QLabel* lblOS = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* lblMemory = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* lblMemoryAvail = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* lblPageMemory = nullptr;
    QLabel* Label11 = nullptr;
    QLabel* lblPageMemoryAvail = nullptr;

    QGroupBox* GroupBox1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QToolButton* sbtnEMail = nullptr;
    QToolButton* sbtnHomepage = nullptr;

    QPushButton* BitBtnOK = nullptr;
    QPushButton* BitBtnSys = nullptr;
};
