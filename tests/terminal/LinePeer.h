#pragma once

#include <QByteArray>

#include <chrono>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// The controller's end of a pseudo-terminal, played from its own thread so that it answers while
// the program's user-interface thread is busy: every line that arrives (up to a carriage return) is
// given to the answer function, whose result goes back after the given delay.
class LinePeer final {
public:
    using Clock = std::chrono::steady_clock;
    struct Reply {
        QByteArray bytes;
        std::chrono::milliseconds delay{0};
    };
    struct Event {
        Clock::time_point at;
        bool fromProgram; // a line the program sent, or a reply the peer sent
        QByteArray bytes;
    };

    LinePeer(int masterFd, std::function<Reply(const QByteArray& line)> answer);
    ~LinePeer();
    LinePeer(const LinePeer&) = delete;
    LinePeer& operator=(const LinePeer&) = delete;

    QByteArray received() const;
    std::vector<Event> events() const;

    // The usual controller: the line's echo, CR, LF and the prompt; CR LF CR LF and the prompt for
    // an empty line.
    static Reply echo(const QByteArray& line);

private:
    void run();

    int m_fd;
    std::function<Reply(const QByteArray&)> m_answer;
    mutable std::mutex m_mutex;
    QByteArray m_received;
    std::vector<Event> m_events;
    bool m_stop = false;
    std::thread m_thread;
};
