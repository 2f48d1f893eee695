#include "terminal/ProgramCheckDialog.h"

#include "platform/StringTable.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

ProgramCheckDialog::ProgramCheckDialog(QWidget* parent, const QStringList& entries, int choosable, int language)
    : QDialog(parent), m_choosable(choosable)
{
    const int offset = StringTable::LanguageOffset(language);
    setObjectName(QStringLiteral("frmProgramCheck"));
    setWindowTitle(StringTable::LoadStr(949 + offset));

    auto* icon = new QLabel(this);
    const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, this).pixmap(iconSize, iconSize));
    icon->setAlignment(Qt::AlignTop);
    auto* heading = new QLabel(StringTable::LoadStr(950 + offset), this);
    heading->setObjectName(QStringLiteral("lblProblems"));
    heading->setWordWrap(true);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("lstProblems"));
    m_list->addItems(entries);
    for (int row = choosable; row < m_list->count(); ++row)
        m_list->item(row)->setFlags(Qt::ItemIsEnabled);
    // Wide enough for the longest entry, and tall enough for all of them up to a screenful.
    m_list->setMinimumWidth(qMin(m_list->sizeHintForColumn(0) + 2 * m_list->frameWidth() + 24, 900));
    m_list->setMinimumHeight(qMin(m_list->sizeHintForRow(0) * (int(entries.size()) + 1), 420));
    connect(m_list, &QListWidget::itemClicked, this, &ProgramCheckDialog::choose);
    connect(m_list, &QListWidget::itemActivated, this, &ProgramCheckDialog::choose);

    auto* hint = new QLabel(StringTable::LoadStr(958 + offset), this);
    hint->setObjectName(QStringLiteral("lblHint"));

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* send = buttons->addButton(StringTable::LoadStr(951 + offset), QDialogButtonBox::AcceptRole);
    send->setObjectName(QStringLiteral("btnSend"));
    QPushButton* cancel = buttons->addButton(StringTable::LoadStr(952 + offset), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    // Sending a program with problems is never what a stray Return means.
    send->setAutoDefault(false);
    cancel->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addWidget(heading, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_list, 1);
    layout->addWidget(hint);
    layout->addWidget(buttons);
    cancel->setFocus();
}

void ProgramCheckDialog::choose(QListWidgetItem* item)
{
    const int row = m_list->row(item);
    if (row < 0 || row >= m_choosable)
        return;
    m_chosen = row;
    done(ShowEntry);
}
