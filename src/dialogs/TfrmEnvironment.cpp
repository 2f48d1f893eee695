#include "dialogs/TfrmEnvironment.h"

#include "dialogs/DialogFrame.h"
#include "dialogs/EnvironmentOptions.h"
#include "dialogs/TaggedTexts.h"
#include "platform/Prompts.h"
#include "platform/StringTable.h"
#include "settings/GlobVar_Unit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <limits>

using namespace GlobVar;

namespace {

// Controls carry their name and their string-table number; an untagged text stays German.
template <typename W>
W* named(W* widget, const char* name, int tag = 0)
{
    widget->setObjectName(QLatin1String(name));
    tagControl(widget, tag);
    return widget;
}

QGroupBox* group(QWidget* parent, const char* name, int tag, const QString& german)
{
    return named(new QGroupBox(tag ? StringTable::LoadStr(tag) : german, parent), name, tag);
}

template <typename Button>
Button* button(QWidget* parent, const char* name, int tag, const QString& german)
{
    return named(new Button(tag ? StringTable::LoadStr(tag) : german, parent), name, tag);
}

// A page of the page control: one raised panel filling it.
QFrame* addPage(QTabWidget* pages, QWidget*& sheet, const char* name, const char* panelName, int tag)
{
    sheet = named(new QWidget(pages), name, tag);
    sheet->setProperty("tabsheet", true);
    auto* layout = new QVBoxLayout(sheet);
    layout->setContentsMargins(4, 4, 4, 4);
    auto* panel = named(new QFrame(sheet), panelName);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    layout->addWidget(panel);
    pages->addTab(sheet, StringTable::LoadStr(tag));
    return panel;
}

} // namespace

TfrmEnvironment::TfrmEnvironment(QWidget* parent, Links links)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      m_links(std::move(links))
{
    setObjectName(QStringLiteral("frmEnvironment"));
    setWindowTitle(EnvironmentOptions::caption(1));

    PageControl1 = named(new QTabWidget(this), "PageControl1");
    buildFilePage();
    buildTerminalPage();
    buildSkinPage();

    BitBtnCancel = button<QPushButton>(this, "BitBtnCancel", 652, {});
    BitBtnCancel->setAutoDefault(false);
    BitBtnOK = button<QPushButton>(this, "BitBtnOK", 651, {});
    BitBtnOK->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtnCancel);
    buttons->addWidget(BitBtnOK);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 8);
    layout->addWidget(PageControl1, 1);
    layout->addLayout(buttons);
    // Taller than it was by the reconnection's row.
    setFixedSize(484, 327);

    closeWith(this, BitBtnOK, Accepted, [this] { runCommand([this] { BitBtnOKClick(); }); });
    closeWith(this, BitBtnCancel, Rejected, [this] { runCommand([this] { BitBtnCancelClick(); }); });
    connect(BitBtnSuchen, &QPushButton::clicked, this, [this] { runCommand([this] { BitBtnSuchenClick(); }); });

    FormCreate();
}

void TfrmEnvironment::buildFilePage()
{
    QFrame* panel = addPage(PageControl1, TSheetDatei, "TSheetDatei", "pnlDatei", 660);

    gboxFilter = group(panel, "gboxFilter", 661, {});
    cboxFilter = named(new QComboBox(gboxFilter), "cboxFilter");
    cboxFilter->setEditable(true);
    // Typed text stays typed text: it is not added to the list, and it then matches no item.
    cboxFilter->setInsertPolicy(QComboBox::NoInsert);
    cboxFilter->setMinimumWidth(200);
    auto* filterLayout = new QHBoxLayout(gboxFilter);
    filterLayout->addWidget(cboxFilter);
    filterLayout->addStretch();

    gboxSource = group(panel, "gboxSource", 662, {});
    lblSourcePfad = named(new QLabel(gboxSource), "lblSourcePfad");
    QFont bold = lblSourcePfad->font();
    bold.setBold(true);
    lblSourcePfad->setFont(bold);
    QPalette navy = lblSourcePfad->palette();
    navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
    lblSourcePfad->setPalette(navy);
    // The label takes the width the group gives it, whatever the path's length; the path is shortened
    // to that width whenever it changes.
    lblSourcePfad->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    lblSourcePfad->installEventFilter(this);
    BitBtnSuchen = button<QPushButton>(gboxSource, "BitBtnSuchen", 0, QStringLiteral("..."));
    BitBtnSuchen->setAutoDefault(false);
    BitBtnSuchen->setFixedWidth(32);
    auto* sourceLayout = new QHBoxLayout(gboxSource);
    sourceLayout->addWidget(lblSourcePfad, 1);
    sourceLayout->addWidget(BitBtnSuchen);

    auto* layout = new QVBoxLayout(panel);
    layout->addWidget(gboxFilter);
    layout->addWidget(gboxSource);
    layout->addStretch();
}

void TfrmEnvironment::buildTerminalPage()
{
    QFrame* panel = addPage(PageControl1, TSheetTerminal, "TSheetTerminal", "pnlTerminal", 670);

    gboxPort = group(panel, "gboxPort", 671, {});
    rbtnReturn = button<QRadioButton>(gboxPort, "rbtnReturn", 672, {});
    rbtnNoReturn = button<QRadioButton>(gboxPort, "rbtnNoReturn", 673, {});
    auto* portLayout = new QVBoxLayout(gboxPort);
    portLayout->addWidget(rbtnReturn);
    portLayout->addWidget(rbtnNoReturn);

    gboxTerminal = group(panel, "gboxTerminal", 674, {});
    lblMaxLines = button<QLabel>(gboxTerminal, "lblMaxLines", 675, {});
    txtMaxLines = named(new QSpinBox(gboxTerminal), "txtMaxLines");
    txtMaxLines->setRange(0, std::numeric_limits<int>::max());
    txtMaxLines->setMinimumWidth(110);
    lblMaxLines->setBuddy(txtMaxLines);
    auto* linesLayout = new QVBoxLayout(gboxTerminal);
    linesLayout->addWidget(lblMaxLines);
    linesLayout->addWidget(txtMaxLines, 0, Qt::AlignLeft);

    // The error reports are German in both languages.
    gboxFehler = group(panel, "gboxFehler", 0, QStringLiteral("Fehlermeldungen"));
    auto* errorLayout = new QVBoxLayout(gboxFehler);
    const auto errorBox = [this, errorLayout](const char* name, const QString& text) {
        auto* box = button<QCheckBox>(gboxFehler, name, 0, text);
        box->setEnabled(false);
        errorLayout->addWidget(box);
        return box;
    };
    cboxBreak = errorBox("cboxBreak", QStringLiteral("Break-Signal"));
    cboxFraming = errorBox("cboxFraming", QStringLiteral("Framing-Fehler"));
    cboxOverflow = errorBox("cboxOverflow", QStringLiteral("Com-Überlauf"));
    cboxRxBuffer = errorBox("cboxRxBuffer", QStringLiteral("Empfanspuffer voll"));
    cboxTxBuffer = errorBox("cboxTxBuffer", QStringLiteral("Sendepuffer voll"));
    cboxParity = errorBox("cboxParity", QStringLiteral("Paritätsfehler"));
    errorLayout->addStretch();

    auto* left = new QVBoxLayout;
    left->addWidget(gboxPort);
    left->addWidget(gboxTerminal);
    left->addStretch();
    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addWidget(gboxFehler, 1);
    // Under both columns: its text is longer than either column is wide.
    cboxReconnect = button<QCheckBox>(panel, "cboxReconnect", 989, {});
    auto* layout = new QVBoxLayout(panel);
    layout->addLayout(columns, 1);
    layout->addWidget(cboxReconnect);
}

void TfrmEnvironment::buildSkinPage()
{
    QFrame* panel = addPage(PageControl1, TSheetAnzeige, "TSheetAnzeige", "pnlAnzeige", 680);

    gboxToolbar = group(panel, "gboxToolbar", 0, QStringLiteral("Toolbar"));
    const auto yesNo = [this](const char* name, int tag, QRadioButton*& yes, const char* yesName, QRadioButton*& no,
                              const char* noName) {
        QGroupBox* box = group(gboxToolbar, name, tag, {});
        yes = button<QRadioButton>(box, yesName, tag + 1, {});
        no = button<QRadioButton>(box, noName, tag + 2, {});
        auto* l = new QVBoxLayout(box);
        l->addWidget(yes);
        l->addWidget(no);
        return box;
    };
    gboxOverlapp = yesNo("gboxOverlapp", 681, rbtnOverlappYes, "rbtnOverlappYes", rbtnOverlappNo, "rbtnOverlappNo");
    gboxMove = yesNo("gboxMove", 684, rbtnMoveYes, "rbtnMoveYes", rbtnMoveNo, "rbtnMoveNo");
    gboxAnzeigen = group(gboxToolbar, "gboxAnzeigen", 687, {});
    chboxTb1 = button<QCheckBox>(gboxAnzeigen, "chboxTb1", 0, QStringLiteral("Toolbar 1"));
    chboxTb2 = button<QCheckBox>(gboxAnzeigen, "chboxTb2", 0, QStringLiteral("Toolbar 2"));
    auto* shownLayout = new QVBoxLayout(gboxAnzeigen);
    shownLayout->addWidget(chboxTb1);
    shownLayout->addWidget(chboxTb2);

    auto* toolbarLayout = new QHBoxLayout(gboxToolbar);
    toolbarLayout->addWidget(gboxOverlapp);
    toolbarLayout->addWidget(gboxMove);
    toolbarLayout->addWidget(gboxAnzeigen);

    auto* layout = new QVBoxLayout(panel);
    layout->addWidget(gboxToolbar);
    layout->addStretch();
}

void TfrmEnvironment::FormCreate()
{
    cboxFilter->addItems(EnvironmentOptions::filterItems(1));
    cboxFilter->setCurrentIndex(0);
    showSourcePath();
}

void TfrmEnvironment::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    centreOnScreen(this);
    FormActivate();
}

void TfrmEnvironment::keyPressEvent(QKeyEvent* event)
{
    // Esc is the Cancel button: it puts the folder back. The close box is not.
    if (isPlainEscape(event)) {
        BitBtnCancel->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TfrmEnvironment::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lblSourcePfad && event->type() == QEvent::Resize)
        showSourcePath();
    return QDialog::eventFilter(watched, event);
}

void TfrmEnvironment::FormActivate()
{
    m_sourcePathShown = SourceCodePfad;
    showSourcePath();

    setWindowTitle(EnvironmentOptions::caption(Language));
    if (m_links.applyLanguage)
        m_links.applyLanguage(StringTable::LanguageOffset(Language));
    cboxFilter->clear();
    cboxFilter->addItems(EnvironmentOptions::filterItems(Language));
    cboxFilter->setCurrentIndex(0);

    PageControl1->setCurrentWidget(TSheetDatei);
    // An index outside the list leaves no item selected and the box empty.
    cboxFilter->setCurrentIndex(EnvFilter >= 0 && EnvFilter < cboxFilter->count() ? EnvFilter : -1);

    (EnvReturn ? rbtnReturn : rbtnNoReturn)->setChecked(true);
    cboxReconnect->setChecked(EnvReconnect);
    (EnvMReturn ? rbtnMoveYes : rbtnMoveNo)->setChecked(true);
    (EnvOReturn ? rbtnOverlappYes : rbtnOverlappNo)->setChecked(true);
    chboxTb1->setChecked(ShowToolbar1);
    chboxTb2->setChecked(ShowToolbar2);
    cboxBreak->setChecked(EnvBreak);
    cboxFraming->setChecked(EnvFraming);
    cboxOverflow->setChecked(EnvOverflow);
    cboxRxBuffer->setChecked(EnvRxBuffer);
    cboxParity->setChecked(EnvParity);
    cboxTxBuffer->setChecked(EnvTxBuffer);
    txtMaxLines->setValue(TerminalMaxLines);
    m_maxLinesShown = txtMaxLines->value();

    BitBtnOK->setFocus(Qt::OtherFocusReason);
}

void TfrmEnvironment::BitBtnOKClick()
{
    // Text typed into the box counts as the item it names (case aside, as the list box of the system
    // the settings come from compares); any other text is no item.
    EnvFilter = cboxFilter->findText(cboxFilter->currentText(), Qt::MatchFixedString);
    EnvReturn = rbtnReturn->isChecked();
    EnvReconnect = cboxReconnect->isChecked();
    EnvOReturn = rbtnOverlappYes->isChecked();
    EnvMReturn = rbtnMoveYes->isChecked();
    ShowToolbar1 = chboxTb1->isChecked();
    ShowToolbar2 = chboxTb2->isChecked();
    EnvBreak = cboxBreak->isChecked();
    EnvFraming = cboxFraming->isChecked();
    EnvOverflow = cboxOverflow->isChecked();
    EnvRxBuffer = cboxRxBuffer->isChecked();
    EnvParity = cboxParity->isChecked();
    EnvTxBuffer = cboxTxBuffer->isChecked();
    if (txtMaxLines->value() != m_maxLinesShown)
        TerminalMaxLines = txtMaxLines->value();
}

void TfrmEnvironment::BitBtnCancelClick()
{
    SourceCodePfad = m_sourcePathShown;
    showSourcePath();
}

void TfrmEnvironment::BitBtnSuchenClick()
{
    QString folder = EnvironmentOptions::browseStart(SourceCodePfad);
    const QString chosen = Prompts::instance().chooseFolder(EnvironmentOptions::BrowsePrompt, folder);
    if (!chosen.isEmpty())
        folder = chosen;
    // Stored at once: the close box keeps it, only Cancel puts the old folder back.
    SourceCodePfad = folder;
    showSourcePath();
}

void TfrmEnvironment::showSourcePath()
{
    const QFontMetrics metrics(lblSourcePfad->font());
    const int width = lblSourcePfad->contentsRect().width() - 2 * lblSourcePfad->margin();
    lblSourcePfad->setText(EnvironmentOptions::shortenedPath(
        SourceCodePfad, width, [&metrics](const QString& text) { return metrics.horizontalAdvance(text); }));
    lblSourcePfad->setToolTip(SourceCodePfad);
}
