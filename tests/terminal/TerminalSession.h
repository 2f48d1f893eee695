#pragma once

#include "../serial/PtyPair.h"
#include "support/ScriptedPrompts.h"

#include <QTemporaryDir>

#include <memory>

class QAction;
class TfrmFTaste;
class TfrmTerminal;

// The main window with its function-key window, settings in a private folder, and COM1 pointed at a
// pseudo-terminal whose master side the test holds. The window is shown and active, with the focus in
// the terminal pane, so that keys travel as they do for a user.
class TerminalSession final {
public:
    TerminalSession();
    ~TerminalSession();
    TerminalSession(const TerminalSession&) = delete;
    TerminalSession& operator=(const TerminalSession&) = delete;

    // Builds the windows; the globals may be set up between the constructor and this call.
    void start();
    // Opens the port with the toolbar button; true when it is open.
    bool openPort();
    QAction* action(const char* name) const;
    // Plays the controller sending one chunk, and returns once the terminal has handled it.
    void receive(const QByteArray& chunk);

    // What the program sent on the line: at least `count` bytes, or what came within timeoutMs; and
    // everything until the line was quiet for quietMs. The window's events and hand-overs go on
    // meanwhile, since the port's writer waits for them after every write.
    QByteArray sent(int count, int timeoutMs = 2000);
    QByteArray sentUntilQuiet(int quietMs = 250);
    // `count` bytes (waiting up to 5 s for them) and whatever follows before the line is quiet.
    QByteArray sentExactly(int count);

    QTemporaryDir dir;
    ScriptedPrompts prompts;
    PtyPair pty;
    std::unique_ptr<TfrmTerminal> window;
    TfrmFTaste* keys = nullptr;
    int receivedChunks = 0; // received-characters events the terminal has handled
};
