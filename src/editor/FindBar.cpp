#include "editor/FindBar.h"

#include "platform/StringTable.h"
#include "settings/GlobVar_Unit.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStyle>
#include <QTextBlock>
#include <QTextDocument>
#include <QToolButton>

#include <utility>

namespace {

// String-table numbers of the bar's texts.
constexpr int TagFind = 882, TagCase = 883, TagPrevious = 884, TagNext = 885, TagClose = 886,
              TagNotFound = 887, TagWrapped = 888;

QString inLanguage(int tag) { return StringTable::LoadStr(tag + StringTable::LanguageOffset(GlobVar::Language)); }

} // namespace

FindBar::Match FindBar::find(const QTextDocument* document, const QString& text, int position,
                             Direction direction, bool caseSensitive)
{
    Match match;
    if (!document || text.isEmpty())
        return match;
    // The raw text has one character per document position (a paragraph break is U+2029), so its
    // indexes are the cursor's positions.
    const QString all = document->toRawText();
    const Qt::CaseSensitivity cs = caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
    position = qBound(0, position, int(all.size()));
    qsizetype at = -1;
    if (direction == Direction::Forward) {
        at = all.indexOf(text, position, cs);
        if (at < 0) {
            at = all.indexOf(text, 0, cs);
            match.wrapped = at >= 0;
        }
    } else {
        if (position > 0)
            at = all.lastIndexOf(text, position - 1, cs);
        if (at < 0) {
            at = all.lastIndexOf(text, -1, cs);
            match.wrapped = at >= 0;
        }
    }
    if (at >= 0) {
        match.start = int(at);
        match.length = int(text.size());
    }
    return match;
}

FindBar::FindBar(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FindBar"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 1, 2, 1);
    layout->setSpacing(4);

    auto* label = new QLabel(this);
    m_label = label;
    label->setObjectName(QStringLiteral("lblFind"));
    m_field = new QLineEdit(this);
    m_field->setObjectName(QStringLiteral("txtFind"));
    m_field->setClearButtonEnabled(true);
    m_field->installEventFilter(this);
    label->setBuddy(m_field);

    auto button = [this](const char* name, QStyle::StandardPixmap picture) {
        auto* b = new QToolButton(this);
        b->setObjectName(QLatin1String(name));
        b->setIcon(style()->standardIcon(picture));
        b->setAutoRaise(true);
        b->setToolButtonStyle(Qt::ToolButtonIconOnly);
        return b;
    };
    m_previous = button("btnFindPrevious", QStyle::SP_ArrowUp);
    m_next = button("btnFindNext", QStyle::SP_ArrowDown);
    m_case = new QCheckBox(this);
    m_case->setObjectName(QStringLiteral("chkFindCase"));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblFindStatus"));
    m_close = button("btnFindClose", QStyle::SP_TitleBarCloseButton);
    applyLanguage();

    layout->addWidget(label);
    layout->addWidget(m_field, 1);
    layout->addWidget(m_previous);
    layout->addWidget(m_next);
    layout->addWidget(m_case);
    layout->addWidget(m_status, 1);
    layout->addWidget(m_close);

    connect(m_field, &QLineEdit::textEdited, this, &FindBar::searchAsTyped);
    connect(m_field, &QLineEdit::returnPressed, this, &FindBar::findNext);
    connect(m_case, &QCheckBox::toggled, this, &FindBar::searchAsTyped);
    connect(m_next, &QToolButton::clicked, this, &FindBar::findNext);
    connect(m_previous, &QToolButton::clicked, this, &FindBar::findPrevious);
    connect(m_close, &QToolButton::clicked, this, &FindBar::close);
    hide();
}

void FindBar::applyLanguage()
{
    m_label->setText(inLanguage(TagFind));
    m_case->setText(inLanguage(TagCase));
    for (auto [button, tag] : {std::pair{m_previous, TagPrevious}, std::pair{m_next, TagNext},
                               std::pair{m_close, TagClose}}) {
        button->setText(inLanguage(tag));
        button->setToolTip(inLanguage(tag));
    }
    // A status shown stays, in the new language.
    showResult(m_notFound, m_wrapped);
}

void FindBar::setPane(QPlainTextEdit* pane)
{
    if (pane == m_pane)
        return;
    m_pane = pane;
    showResult(false, false);
}

void FindBar::open()
{
    if (m_pane) {
        const QTextCursor selection = m_pane->textCursor();
        if (selection.hasSelection() && selection.block().contains(selection.selectionEnd())
            && selection.block().contains(selection.selectionStart()))
            m_field->setText(selection.selectedText());
    }
    show();
    m_field->setFocus();
    m_field->selectAll();
}

void FindBar::close()
{
    hide();
    showResult(false, false);
    if (m_pane)
        m_pane->setFocus();
}

bool FindBar::findNext()
{
    if (text().isEmpty() || !m_pane) {
        open();
        return false;
    }
    return search(m_pane->textCursor().selectionEnd(), Direction::Forward);
}

bool FindBar::findPrevious()
{
    if (text().isEmpty() || !m_pane) {
        open();
        return false;
    }
    return search(m_pane->textCursor().selectionStart(), Direction::Backward);
}

QString FindBar::text() const { return m_field->text(); }

void FindBar::setText(const QString& text) { m_field->setText(text); }

bool FindBar::caseSensitive() const { return m_case->isChecked(); }

void FindBar::setCaseSensitive(bool on) { m_case->setChecked(on); }

QString FindBar::status() const { return m_status->text(); }

void FindBar::searchAsTyped()
{
    if (!m_pane)
        return;
    if (text().isEmpty()) {
        // Nothing to look for: the place found so far is let go, the caret stays at its start.
        QTextCursor caret = m_pane->textCursor();
        caret.setPosition(caret.selectionStart());
        m_pane->setTextCursor(caret);
        showResult(false, false);
        return;
    }
    search(m_pane->textCursor().selectionStart(), Direction::Forward);
}

bool FindBar::search(int position, Direction direction)
{
    const Match match = find(m_pane->document(), text(), position, direction, caseSensitive());
    if (match.start < 0) {
        showResult(true, false);
        return false;
    }
    QTextCursor place(m_pane->document());
    place.setPosition(match.start);
    place.setPosition(match.start + match.length, QTextCursor::KeepAnchor);
    m_pane->setTextCursor(place);
    m_pane->ensureCursorVisible();
    showResult(false, match.wrapped);
    emit found();
    return true;
}

void FindBar::showResult(bool notFound, bool wrapped)
{
    m_notFound = notFound;
    m_wrapped = wrapped;
    m_status->setText(notFound ? inLanguage(TagNotFound) : wrapped ? inLanguage(TagWrapped) : QString());
    m_field->setStyleSheet(notFound ? QStringLiteral("QLineEdit { background: #ffc8c8; }") : QString());
}

bool FindBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_field && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return && key->modifiers() == Qt::ShiftModifier) {
            findPrevious();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FindBar::keyPressEvent(QKeyEvent* event)
{
    // Esc wherever the keyboard is in the bar: its field, its tick box, its buttons.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
