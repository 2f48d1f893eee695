// The simulator's board fed arbitrary bytes as they would arrive on its line, with programs run and
// answers sent in between as the simulator does. Besides sanitizer reports, a hang (a statement
// budget that is not kept, a line editor that never returns) fails through libFuzzer's timeout.
//
// Input: a first byte of settings (bit 0: wait for the space that sets the baud rate, bit 1: keep
// every byte), then the bytes of the line; each carriage return ends one arrival.
#include "basic52sim/Board.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

constexpr int kBudget = 500;

void settle(basic52sim::Board& board)
{
    board.run(kBudget);
    (void)board.takeOutput();
    (void)board.takeLost();
    if (!board.running() && !board.listening())
        board.answerSent();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    basic52sim::Board::Settings settings;
    settings.autobaud = data[0] & 1;
    settings.burstLoss = !(data[0] & 2);
    basic52sim::Board board(settings);
    board.powerOn();
    settle(board);

    const std::string_view line(reinterpret_cast<const char*>(data) + 1, size - 1);
    size_t from = 0;
    while (from < line.size()) {
        size_t end = line.find('\r', from);
        end = end == std::string_view::npos ? line.size() : end + 1;
        board.receive(line.substr(from, end - from));
        settle(board);
        from = end;
    }
    // A program still running: give it a few more turns, then stop it as the user would.
    for (int turn = 0; turn < 4 && board.running(); ++turn)
        settle(board);
    if (board.running()) {
        board.receive("\x03");
        settle(board);
    }
    return 0;
}
