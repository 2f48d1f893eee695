#pragma once

#include <QByteArray>
#include <QIcon>
#include <QList>
#include <QObject>
#include <QString>

#include <memory>

class EditorDocument;
class QAction;
class QKeyEvent;
class QPlainTextEdit;
class QTimer;
class DeviceWatcher;
class SessionLog;
class TSerComm;
class TerminalPane;

// The terminal page: the port's buttons and their states, what the board sends on its way into the
// pane, the keys typed at the board, the caret panel's text, the line warnings, a lost device, and
// the transmission of the editor's program. The main window owns one and hands its handlers to it.
//
// Received text is gathered for a moment after its announcement and goes into the pane in slices, so
// the window keeps answering whatever arrives. A port that fails ends the command that used it: the
// error is shown and the window goes on.
class TerminalPage final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TerminalPage)

public:
    // The window's controls the page works with.
    struct Controls {
        QPlainTextEdit* pane = nullptr;   // the terminal pane
        QPlainTextEdit* editor = nullptr; // the program to transmit
        TSerComm* port = nullptr;
        QAction* open = nullptr;
        QAction* close = nullptr;
        QAction* controlC = nullptr;
        QAction* transmit = nullptr;
        QAction* echo = nullptr;
        QAction* sessionLog = nullptr; // ticked while the session log runs
        QAction* logSent = nullptr;    // ticked: the log takes what the user sends too
    };

    // `window` is the main window: its commands' shortcuts come before the pane's own keys, and
    // Alt+C is taken from whichever of its controls has the focus.
    TerminalPage(QWidget* window, const Controls& controls);
    ~TerminalPage() override;

    // The port buttons.
    void openPort();
    void closePort();
    void sendControlC();
    void toggleEcho();
    // Sends the editor's program line by line; returns when it is sent, stopped, or a line timed out.
    // Run while a transmission runs, it stops that one instead.
    void transmit();
    // The running transmission ends after the line now waiting for its answer (or its time-out).
    void stopTransmission();
    bool transmitting() const { return m_transmitting; }
    // Lists the board's program and opens it as a new unnamed document, after the document's close
    // question.
    void fetchProgram(EditorDocument& document);
    // The menu item of the transmission and the fetch commands: enabled while the port is open, the
    // fetch not while a transmission runs.
    void setTransferCommands(QAction* transmitItem, QAction* fetch, QAction* fetchPopup);

    // Port events.
    void received();
    void gatherEnded();
    void lost(const QString& message);
    void transmitEmpty();
    void breakReceived();

    // A key pressed in the pane; true when it was used up (sent, run as a command or dropped).
    bool keyPressed(QKeyEvent* event);
    // A key released anywhere in the window.
    void windowKeyReleased(const QKeyEvent* event);
    void showCaretPosition();

    // The session log: asks for its file and starts it, or stops it when it runs.
    void toggleSessionLog();
    void logSentToggled();
    bool logging() const;

    // Lines the pane keeps; 0 keeps all.
    void setMaxLines(int lines);
    // The device behind the port number of status panel 1.
    QString portToolTip() const;

signals:
    void caretTextChanged(const QString& text);
    // The terminal page is to be in front (the transmission shows the board's answers).
    void pageWanted();
    // The keyboard goes back to the pane in front (after the port opened).
    void focusWanted();
    // The session log started or stopped (status panel 5).
    void loggingChanged(bool running);
    // The editor page is to be in front, with the keyboard (a problem of the program was chosen).
    void editorWanted();
    // The transmission's and the fetch's progress and outcome, for the status bar; empty clears it.
    void statusTextChanged(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The menu or pop-up command whose shortcut the key is, if any.
    QAction* shortcutCommand(const QKeyEvent* event) const;
    void insertReceived(const QByteArray& bytes);
    // The warning for a port that did not open: the port's error text, and a hint where access was
    // denied.
    void showOpenFailure(const QString& error, int systemError);
    // Closes the lost port through the close command and says so; `more` is added to the message.
    void closeLostPort(const QString& message, const QString& more);
    // What the open port does after it opened, for the open command and a reconnection alike.
    void portOpened();

    // The session log (TerminalPageSession.cpp).
    void logReceived(const QByteArray& bytes);
    void logSent(const QByteArray& bytes);
    void stopLog();
    // A write failed: the log has stopped; the user is told once.
    void logFailed();
    // Reconnection after a lost device (TerminalPageSession.cpp).
    void rememberDevice();
    // Starts watching for the lost device when the user asked for it; true when it watches.
    bool watchForLostDevice();
    void reconnect(const QString& path);
    // Gives up the watch and the path a reconnection opened, before the user opens a port.
    void forgetLostDevice();
    // A line of its own in the pane, at the end.
    void showNote(const QString& text);
    // The commands that follow the port's state.
    QList<QAction*> portCommands() const;
    // The transmission's command becomes its stop command while it runs, and back.
    void showTransmitting(bool running);
    // Puts the editor's caret at the start of the line (counted from 0).
    void putEditorCaret(int line);
    // Received text that is gathering or waiting in the port goes into the pane now.
    void flushReceived();
    // A device lost during a dialogue with the board is reported once it ended; `line` is the program
    // line it ended at (from 0), or -1.
    void reportLostDevice(int line, const QString& lineText);
    // The board's line and this page, as the transmission and the fetch see them.
    class PageLink;

    QWidget* m_window;
    Controls m_controls;
    TerminalPane* m_pane = nullptr;
    // Gathers received text for 50 ms after its announcement while the window goes on.
    QTimer* m_gather = nullptr;
    // Received text read but not yet in the pane: a large intake goes in by slices, with the window
    // answering between them.
    QByteArray m_receivedPending;
    // A transmission is running; it reports a lost device itself, with its line.
    bool m_transmitting = false;

    std::unique_ptr<SessionLog> m_log;
    DeviceWatcher* m_watcher = nullptr;
    // The device the port last opened, and its USB identity when it has one.
    QString m_devicePath;
    QString m_deviceIdentity;
    // The port's device name before a reconnection pointed it at the device's new path.
    QString m_ownDeviceName;
    bool m_stopRequested = false;
    // The fetch is running; it too reports a lost device itself.
    bool m_fetching = false;
    QAction* m_transmitItem = nullptr;
    QAction* m_fetch = nullptr;
    QAction* m_fetchPopup = nullptr;
    QIcon m_transmitIcon;
};
