#pragma once

#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>

namespace basic52sim {

// A readable record of the line: each chunk with its time since start, its direction, its bytes in
// hex and as text. Written through at once, so that it can be watched while the simulator runs.
class ByteLog final {
public:
    ByteLog() = default;
    ~ByteLog();
    ByteLog(const ByteLog&) = delete;
    ByteLog& operator=(const ByteLog&) = delete;

    bool open(const std::string& path, std::string& error);
    bool active() const { return file_ != nullptr; }
    // what: RX (received), TX (sent), LOST (received but dropped), DROP (sent while nobody listened)
    void record(const char* what, std::string_view bytes);
    void note(const std::string& text);

private:
    double seconds() const;

    std::FILE* file_ = nullptr;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

} // namespace basic52sim
