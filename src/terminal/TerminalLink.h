#pragma once

#include "basic/ProgramTransmission.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

class QWidget;
class TSerComm;

// Paints the window at most at a screen's frame rate while the program talks with the board. A
// repaint of the terminal costs more than the rest of a line's work, and between two lines the window
// is given one pass of its events; the requests to repaint that come faster than frames are held back
// and answered together by the next frame. The pane's text is always up to date; only its picture
// follows, at most one frame later.
//
// While a line waits for the board, the window is painted too, at the same rate, and nothing else of
// it runs: no input and no timers, so nothing the user does mixes into the line.
class FrameLimiter final : public QObject {
public:
    explicit FrameLimiter(QWidget* window);
    ~FrameLimiter() override;
    FrameLimiter(const FrameLimiter&) = delete;
    FrameLimiter& operator=(const FrameLimiter&) = delete;

    // Before each pass of the window's events.
    void beforeEvents();
    // While the program waits for the board, outside any pass of the window's events.
    void paintWhileWaiting();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static constexpr int kFrameMs = 50;
    QPointer<QWidget> m_window;
    QElapsedTimer m_sincePaint;
    bool m_holding = false;
    bool m_held = false;
    bool m_paintedWhileWaiting = false;
};

// The board's line as the main window's port gives it, for the transmission and the fetch: the waits
// paint the window and run nothing else of it.
class TerminalLink : public ProgramTransmission::Link {
public:
    TerminalLink(TSerComm& port, QWidget* window);

    bool portOpen() const override;
    void writeString(const QByteArray& bytes) override;
    QByteArray readString() override;
    void waitForInput(Clock::time_point deadline) override;
    void processEvents() override;
    void showTimeout(const QString& message) override;
    bool portLost() const override;
    void stoppedByLostPort(int line) override { m_lostAt = line; }

    // Serves the writer's hand-over of its last write, which it waits for before it writes again. The
    // event loop serves it between commands; a dialogue started right after another must do it itself.
    void settleWrites();

    // The line the transmission ended at because the device went away; -1 when it did not.
    int lostAt() const { return m_lostAt; }

private:
    // A device that takes no more bytes keeps the writer busy; the next line then times out.
    static constexpr int kSettleLimitMs = 1000;
    TSerComm& m_port;
    FrameLimiter m_frames;
    int m_lostAt = -1;
};
