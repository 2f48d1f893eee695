#pragma once

#include <QDialog>
#include <QStringList>

class QListWidget;
class QListWidgetItem;

// The question before a transmission whose program has problems: the problems listed, with "Trotzdem
// senden" and "Abbrechen". Clicking an entry ends the question too: the user wants to see that line.
class ProgramCheckDialog final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ProgramCheckDialog)

public:
    // What exec() returns.
    enum Result { Cancel = QDialog::Rejected, Send = QDialog::Accepted, ShowEntry = 2 };

    // The first `choosable` entries stand for a line each; entries after them (the count of the
    // problems not listed) cannot be chosen.
    ProgramCheckDialog(QWidget* parent, const QStringList& entries, int choosable, int language);

    // The entry clicked (from 0), after exec() returned ShowEntry; otherwise -1.
    int chosenEntry() const { return m_chosen; }

private:
    void choose(QListWidgetItem* item);

    QListWidget* m_list = nullptr;
    int m_choosable = 0;
    int m_chosen = -1;
};
