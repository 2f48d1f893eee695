#include "dialogs/TfrmComPort.h"

#include "dialogs/DialogFrame.h"
#include "dialogs/TaggedTexts.h"
#include "platform/StringTable.h"
#include "serial/PortDescription.h"
#include "serial/PortMap.h"
#include "serial/SerialPortList.h"
#include "settings/GlobVar_Unit.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace GlobVar;

namespace {

// The labels are as wide as this; a longer line is cut in its middle and shown whole as a tool tip.
constexpr int DeviceLabelWidth = 230;

} // namespace

TfrmComPort::TfrmComPort(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmComPort"));
    setWindowTitle(QStringLiteral("Com-Port"));

    gboxComPort = new QGroupBox(QStringLiteral("Anschluß"), this);
    gboxComPort->setObjectName(QStringLiteral("gboxComPort"));
    tagControl(gboxComPort, 781);
    auto* grid = new QGridLayout(gboxComPort);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(4);
    static const char* const captions[] = {"Com1 [3F8/IRQ4]", "Com2 [2F8/IRQ3]", "Com3 [3E8/IRQ4]", "Com4 [2E8/IRQ3]"};
    QRadioButton** const fields[] = {&rbtnCom1, &rbtnCom2, &rbtnCom3, &rbtnCom4};
    QLabel** const labelFields[] = {&lblCom1, &lblCom2, &lblCom3, &lblCom4};
    for (int k = 0; k < 4; ++k) {
        auto* button = new QRadioButton(QLatin1String(captions[k]), gboxComPort);
        button->setObjectName(QStringLiteral("rbtnCom%1").arg(k + 1));
        button->setEnabled(false);
        *fields[k] = button;
        auto* label = new QLabel(gboxComPort);
        label->setObjectName(QStringLiteral("lblCom%1").arg(k + 1));
        QFont small = label->font();
        small.setPointSizeF(small.pointSizeF() * 0.85);
        label->setFont(small);
        label->setForegroundRole(QPalette::PlaceholderText);
        label->setFixedWidth(DeviceLabelWidth);
        *labelFields[k] = label;
        grid->addWidget(button, k, 0);
        grid->addWidget(label, k, 1);
    }
    rbtnCom1->setChecked(true);

    BitBtnOK = new QPushButton(QStringLiteral("&OK"), this);
    BitBtnOK->setObjectName(QStringLiteral("BitBtnOK"));
    BitBtnOK->setDefault(true);
    connect(BitBtnOK, &QPushButton::clicked, this, &TfrmComPort::BitBtnOKClick);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(BitBtnOK);
    buttonRow->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(gboxComPort);
    layout->addLayout(buttonRow);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    FormCreate();
}

void TfrmComPort::FormCreate()
{
    static const QString names[] = {QStringLiteral("COM1"), QStringLiteral("COM2"), QStringLiteral("COM3"),
                                    QStringLiteral("COM4")};
    const auto radio = buttons();
    for (const QString& slot : SerialPortNames) {
        for (int k = 0; k < 4; ++k) {
            if (slot == names[k]) {
                radio[size_t(k)]->setEnabled(true);
                break;
            }
        }
    }
    const int index = ComPort >= 1 && ComPort <= 3 ? ComPort - 1 : 3;
    radio[size_t(index)]->setChecked(true);
}

void TfrmComPort::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    centreOnScreen(this);
    FormActivate();
}

void TfrmComPort::FormActivate()
{
    applyTaggedTexts(this, StringTable::LanguageOffset(Language));
    const PortMap& map = PortMap::global();
    const auto label = labels();
    for (int k = 0; k < 4; ++k) {
        const PortDevice device = PortDescription::Describe(map.PathFor(QStringLiteral("COM%1").arg(k + 1)));
        const QString text = PortDescription::Text(device, Language);
        QLabel* l = label[size_t(k)];
        l->setText(l->fontMetrics().elidedText(text, Qt::ElideMiddle, DeviceLabelWidth));
        l->setToolTip(text);
    }
}

void TfrmComPort::BitBtnOKClick()
{
    if (rbtnCom1->isChecked())
        ComPort = 1;
    else if (rbtnCom2->isChecked())
        ComPort = 2;
    else if (rbtnCom3->isChecked())
        ComPort = 3;
    else
        ComPort = 4;
    PortSettingsChanged = true;
    accept();
}
