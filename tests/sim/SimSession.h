#pragma once

// The simulated board fed bytes directly, as the simulator's line would feed it.
#include "basic52sim/Board.h"

#include <QByteArray>
#include <QStringList>

#include <string>
#include <string_view>

namespace simtest {

// Plays the part of the line: feeds bytes, lets a program run to its end, and reports the answer
// as sent, after which the board listens again.
class Session {
public:
    explicit Session(basic52sim::Board::Settings settings = {}) : board(settings)
    {
        board.powerOn();
        board.takeOutput();
        board.answerSent();
    }

    // A program still running after limit statements is stopped with Control C.
    std::string send(std::string_view bytes, int limit = 1000000)
    {
        board.receive(bytes);
        runToEnd(limit);
        if (board.running())
            board.receive("\x03");
        std::string out = board.takeOutput();
        board.answerSent();
        return out;
    }

    void enter(const QStringList& lines)
    {
        for (const QString& line : lines)
            send(line.toStdString() + "\r");
    }

    void runToEnd(int limit = 1000000)
    {
        for (int done = 0; done < limit && board.running();)
            done += board.run(1000);
    }

    basic52sim::Board board;
};

inline QByteArray bytes(const std::string& s)
{
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

inline std::string dashes(std::size_t n)
{
    return std::string(n, '-');
}

} // namespace simtest
