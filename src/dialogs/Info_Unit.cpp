#include "dialogs/Info_Unit.h"

#include "dialogs/DialogFrame.h"
#include "dialogs/TaggedTexts.h"
#include "platform/JpegImage.h"
#include "platform/StringTable.h"
#include "platform/SystemInfo.h"
#include "platform/Version.h"
#include "settings/GlobVar_Unit.h"

#include <QDesktopServices>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <utility>

namespace {

QLabel* addLabel(QWidget* parent, const char* name, const QString& text, int tag = 0)
{
    auto* label = new QLabel(text, parent);
    if (name)
        label->setObjectName(QString::fromLatin1(name));
    if (tag)
        tagControl(label, tag);
    return label;
}

void emphasise(QLabel* label, qreal scale)
{
    QFont font = label->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * scale);
    label->setFont(font);
}

// The flat buttons that read as links: no frame until the mouse is over them.
QToolButton* addLinkButton(QWidget* parent, const char* name, const QString& text)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(text);
    button->setAutoRaise(true);
    button->setCursor(Qt::PointingHandCursor);
    QPalette palette = button->palette();
    palette.setColor(QPalette::ButtonText, palette.color(QPalette::Link));
    button->setPalette(palette);
    return button;
}

QFrame* addPanel(QWidget* parent, const char* name, QFrame::Shadow shadow)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(shadow);
    return panel;
}

QUrl webAddress(const QString& address) { return QUrl(QStringLiteral("https://") + address + QStringLiteral("/")); }

} // namespace

TfrmInfo::TfrmInfo(QWidget* parent, LanguageApplier applyLanguage)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      m_applyLanguage(std::move(applyLanguage)), m_openLink(&QDesktopServices::openUrl),
      m_memoryInfoPath(QStringLiteral("/proc/meminfo"))
{
    setObjectName(QStringLiteral("frmInfo"));
    setWindowTitle(QStringLiteral("Information"));

    PageControl2 = new QTabWidget(this);
    PageControl2->setObjectName(QStringLiteral("PageControl2"));
    PageControl2->tabBar()->setAttribute(Qt::WA_Hover);
    Allgemeines = buildGeneralPage();
    Autor = buildAuthorPage();
    PageControl2->addTab(Allgemeines, QStringLiteral("Allgemeines"));
    PageControl2->addTab(Autor, QStringLiteral("Der Autor"));

    BitBtnSys = new QPushButton(QStringLiteral("&SystemInfo..."), this);
    BitBtnSys->setObjectName(QStringLiteral("BitBtnSys"));
    BitBtnSys->setAutoDefault(false);
    BitBtnOK = new QPushButton(QStringLiteral("&OK"), this);
    BitBtnOK->setObjectName(QStringLiteral("BitBtnOK"));
    BitBtnOK->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BitBtnSys);
    buttons->addStretch();
    buttons->addWidget(BitBtnOK);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl2);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(BitBtnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtnSys, &QPushButton::clicked, this, &TfrmInfo::BitBtnSysClick);
    connect(sbtnHomepage, &QToolButton::clicked, this, &TfrmInfo::sbtnHomepageClick);
    connect(sbtnEMail, &QToolButton::clicked, this, &TfrmInfo::sbtnEMailClick);
    connect(sbtnIntel, &QToolButton::clicked, this, &TfrmInfo::sbtnIntelClick);

    FormCreate();
}

QWidget* TfrmInfo::buildGeneralPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("Allgemeines"));
    tagControl(page, 760);
    page->setProperty(TabSheetProperty, true);

    Panel1 = addPanel(page, "Panel1", QFrame::Raised);
    Label1 = addLabel(Panel1, "Label1", QStringLiteral("ZUV"));
    emphasise(Label1, 2.0);
    Label2 = addLabel(Panel1, "Label2", QStringLiteral("8052 - ZU - Raduz"));
    emphasise(Label2, 1.3);
    Label4 = addLabel(Panel1, "Label4", QStringLiteral("Terminal"), 761);
    emphasise(Label4, 1.3);
    lblV = addLabel(Panel1, "lblV", QStringLiteral("Version:"), 762);
    lblVersion = addLabel(Panel1, "lblVersion", QStringLiteral("0.0.0.0"));
    lblCopyright = addLabel(Panel1, "lblCopyright", QString());
    sbtnIntel = addLinkButton(Panel1, "sbtnIntel", QStringLiteral("Intel ®"));
    sbtnIntel->setToolTip(InfoContact::IntelAddress);

    auto* title = new QHBoxLayout;
    title->addWidget(Label1);
    title->addSpacing(12);
    title->addWidget(Label2, 0, Qt::AlignBottom);
    title->addStretch();
    auto* version = new QHBoxLayout;
    version->addWidget(lblV);
    version->addWidget(lblVersion);
    version->addStretch();
    auto* notice = new QHBoxLayout;
    notice->addWidget(lblCopyright);
    notice->addStretch();
    notice->addWidget(sbtnIntel);
    auto* panel1 = new QVBoxLayout(Panel1);
    panel1->addLayout(title);
    panel1->addWidget(Label4);
    panel1->addLayout(version);
    panel1->addLayout(notice);

    Panel2 = addPanel(page, "Panel2", QFrame::Sunken);
    Image1 = addLabel(Panel2, "Image1", QString());
    Image1->setFixedSize(96, 112);
    Image1->setScaledContents(true);
    auto* address = new QVBoxLayout;
    address->addStretch();
    address->addWidget(addLabel(Panel2, "lblAuthorName", InfoContact::Maker));
    address->addWidget(addLabel(Panel2, "lblAuthorStreet", InfoContact::Street));
    address->addWidget(addLabel(Panel2, "lblAuthorTown", InfoContact::Town));
    address->addStretch();
    auto* panel2 = new QHBoxLayout(Panel2);
    panel2->addWidget(Image1);
    panel2->addSpacing(12);
    panel2->addLayout(address);
    panel2->addStretch();

    Panel3 = addPanel(page, "Panel3", QFrame::Raised);
    lblOS = addLabel(Panel3, "lblOS", QStringLiteral("Betriebssystem"), 763);
    lblOS->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* memory = new QGridLayout;
    memory->setColumnStretch(0, 1);
    int row = 0;
    auto addRow = [&](QLabel*& caption, const char* captionName, const QString& text, int tag, QLabel*& value,
                      const char* valueName) {
        caption = addLabel(Panel3, captionName, text, tag);
        value = addLabel(Panel3, valueName, QString());
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        memory->addWidget(caption, row, 0);
        memory->addWidget(value, row, 1);
        ++row;
    };
    addRow(Label8, "Label8", QStringLiteral("Phys. Windows - Speicher:"), 764, lblMemory, "lblMemory");
    addRow(Label10, "Label10", QStringLiteral("Verfügb. Phys.  Windows - Speicher:"), 765, lblMemoryAvail,
           "lblMemoryAvail");
    addRow(Label9, "Label9", QStringLiteral("Auslagerungsspeicher:"), 766, lblPageMemory, "lblPageMemory");
    addRow(Label11, "Label11", QStringLiteral("Verfügbarer Auslagerungsspeicher:"), 767, lblPageMemoryAvail,
           "lblPageMemoryAvail");
    auto* panel3 = new QVBoxLayout(Panel3);
    panel3->addWidget(lblOS);
    panel3->addLayout(memory);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(Panel1);
    layout->addWidget(Panel2);
    layout->addWidget(Panel3);
    return page;
}

QWidget* TfrmInfo::buildAuthorPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("Autor"));
    tagControl(page, 770);
    page->setProperty(TabSheetProperty, true);

    GroupBox1 = new QGroupBox(QStringLiteral("Adresse"), page);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    tagControl(GroupBox1, 771);
    auto* address = new QVBoxLayout(GroupBox1);
    address->addWidget(addLabel(GroupBox1, "lblAddressName", InfoContact::Maker));
    address->addWidget(addLabel(GroupBox1, "lblAddressStreet", InfoContact::Street));
    address->addWidget(addLabel(GroupBox1, "lblAddressTown", InfoContact::Town));
    address->addSpacing(8);
    address->addWidget(addLabel(GroupBox1, "lblAddressPhone", InfoContact::Phone));
    address->addWidget(addLabel(GroupBox1, "lblAddressFax", InfoContact::Fax));

    GroupBox2 = new QGroupBox(QStringLiteral("Internet"), page);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    sbtnEMail = addLinkButton(GroupBox2, "sbtnEMail", InfoContact::EMail);
    sbtnHomepage = addLinkButton(GroupBox2, "sbtnHomepage", InfoContact::Homepage);
    auto* internet = new QGridLayout(GroupBox2);
    internet->addWidget(addLabel(GroupBox2, "lblEMail", QStringLiteral("email:")), 0, 0);
    internet->addWidget(sbtnEMail, 0, 1, Qt::AlignLeft);
    internet->addWidget(addLabel(GroupBox2, "lblHomepage", QStringLiteral("Honmepage:")), 1, 0);
    internet->addWidget(sbtnHomepage, 1, 1, Qt::AlignLeft);
    internet->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(GroupBox1);
    layout->addWidget(GroupBox2);
    layout->addStretch();
    return page;
}

void TfrmInfo::setLinkOpener(LinkOpener opener) { m_openLink = std::move(opener); }

void TfrmInfo::setMemoryInfoPath(const QString& path) { m_memoryInfoPath = path; }

void TfrmInfo::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    centreOnScreen(this);
    FormActivate();
}

void TfrmInfo::FormCreate()
{
    lblCopyright->setText(InfoContact::Copyright);
    const QImage picture = loadJpeg(QStringLiteral(":/info.jpg"));
    if (!picture.isNull())
        Image1->setPixmap(QPixmap::fromImage(picture));
}

void TfrmInfo::FormActivate()
{
    const QString version = versionText();
    // Puts back the tagged texts, among them the operating-system line's caption, before the machine's
    // figures are written over it.
    if (m_applyLanguage)
        m_applyLanguage(StringTable::LanguageOffset(GlobVar::Language));
    PageControl2->setCurrentWidget(Allgemeines);
    lblVersion->setText(version);
    lblOS->setText(OperatingSystemText());

    const MemoryStatus memory = ReadMemoryStatus(m_memoryInfoPath);
    lblMemory->setText(FormatKilobytes(memory.totalPhys));
    lblMemoryAvail->setText(FormatKilobytes(memory.availPhys));
    lblPageMemory->setText(FormatKilobytes(memory.totalPageFile));
    lblPageMemoryAvail->setText(FormatKilobytes(memory.availPageFile));
}

void TfrmInfo::openLink(const QUrl& url)
{
    ShowShellError(m_openLink && m_openLink(url) ? ShellStarted : ShellNoAssociation);
    BitBtnOK->setFocus();
}

void TfrmInfo::sbtnHomepageClick() { openLink(webAddress(InfoContact::Homepage)); }

void TfrmInfo::sbtnEMailClick() { openLink(QUrl(QStringLiteral("mailto:") + InfoContact::EMail)); }

void TfrmInfo::sbtnIntelClick() { openLink(webAddress(InfoContact::IntelAddress)); }

void TfrmInfo::BitBtnSysClick()
{
    // A missing tool or a failed start passes without a word: the button is a convenience, and the
    // user can start any tool of their own.
    const QString tool = FirstInstalledTool(SystemInfoTools(),
                                            [](const QString& name) { return QStandardPaths::findExecutable(name); });
    if (!tool.isEmpty())
        QProcess::startDetached(tool, {});
}
