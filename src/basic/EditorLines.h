#pragma once

#include <QString>
#include <QStringList>

#include <vector>

class LineChanges;

// The editor's program text as the line tools see it: an ordered list of lines, first index 0. A final
// line break adds no line and an empty text has no lines.
//
// Every write or delete on the editor pane raises the pane's change notification, and the change handler
// keeps two flags from it: the document becomes modified when the text length differs from the length
// right after loading, and the sort's clean-up becomes pending again at every change while the document
// counts as modified. The tools edit many lines one after the other, so an implementation may batch: it
// records the notifications it owes (see LineChanges) and hands them over at flushChanges(). An algorithm
// calls flushChanges() before it touches state that the change handler also keeps, so that the handler's
// effects land in the same order as when every edit is notified on its own.
class EditorLines {
public:
    virtual ~EditorLines() = default;

    virtual int count() const = 0;
    virtual QString line(int index) const = 0;
    virtual void setLine(int index, const QString& text) = 0;
    virtual void deleteLine(int index) = 0;
    virtual void appendLine(const QString& text) = 0;

    // Puts texts (one per line, as many as there are lines) in place of the lines in one step, for an
    // algorithm that made its single-line writes on a copy; changes records those writes, each length
    // counted from the text's length before the first of them (so 0 is that same length). This version
    // writes the lines that differ one by one and notifies those writes instead; the lines that record
    // their notifications take over the record itself.
    virtual void replaceLines(const std::vector<QString>& texts, const LineChanges& changes);

    // Delivers the change notifications recorded so far; implementations that notify at every edit
    // have nothing to do.
    virtual void flushChanges() {}

protected:
    EditorLines() = default;
    EditorLines(const EditorLines&) = default;
    EditorLines& operator=(const EditorLines&) = default;
};

// What a batch of edits would have notified, one notification per write or delete.
//
// Each notification carries the text length right after its edit. The change handler only asks whether
// any of those lengths differs from one reference length (the length after loading), and two different
// lengths already guarantee that one of them does; so the first two distinct lengths are all that is
// kept, which makes the record constant in size however many edits it covers.
class LineChanges final {
public:
    void record(qsizetype lengthAfter);
    void clear() { *this = LineChanges(); }

    bool isEmpty() const { return m_writes == 0; }
    // How many notifications are owed. Callers rely only on whether there is any; an algorithm that
    // reaches its result in fewer edits than the step-by-step rule reports fewer.
    int writes() const { return m_writes; }
    // The first distinct lengths seen, in order, at most two.
    const std::vector<qsizetype>& lengths() const { return m_lengths; }
    bool anyLengthDiffersFrom(qsizetype reference) const;

    // Same effect on any change handler: both empty, or both with the same single length, or both with
    // two distinct lengths.
    bool sameEffect(const LineChanges& other) const;

    // Adds a later batch to this one, its lengths moved by offset.
    void merge(const LineChanges& later, qsizetype offset = 0);

private:
    int m_writes = 0;
    std::vector<qsizetype> m_lengths;
};

// Lines held in memory, standing in for the pane: every setLine, deleteLine and appendLine records one
// notification with the length the pane's text would then have (lines joined by "\n", plus one for a
// final line break when the text had one). Deleting near the previous edit is cheap (the lines live in
// a gap buffer), since the line tools edit from the front to the back.
class MemoryLines final : public EditorLines {
public:
    explicit MemoryLines(const QStringList& lines = {}, bool finalBreak = false);

    int count() const override;
    QString line(int index) const override;
    void setLine(int index, const QString& text) override;
    void deleteLine(int index) override;
    void appendLine(const QString& text) override;
    void replaceLines(const std::vector<QString>& texts, const LineChanges& changes) override;

    // The notifications recorded since the last takeChanges(); the record starts empty again.
    LineChanges takeChanges();
    const LineChanges& changes() const { return m_changes; }

    QStringList lines() const;
    bool finalBreak() const { return m_finalBreak; }
    // The pane's text: the lines joined by "\n", followed by "\n" when it had a final line break.
    QString text() const;
    qsizetype textLength() const;

private:
    QString& at(int index);
    const QString& at(int index) const;
    void moveGap(int position);
    void recordChange();

    std::vector<QString> m_buffer;
    int m_gapStart = 0;
    int m_gapEnd = 0;
    qsizetype m_characters = 0; // sum of the line lengths
    bool m_finalBreak = false;
    LineChanges m_changes;
};
