#include "basic52sim/ByteLog.h"

#include <cerrno>
#include <cstring>

namespace basic52sim {

namespace {
constexpr std::size_t kBytesPerRow = 16;
}

ByteLog::~ByteLog()
{
    if (file_)
        std::fclose(file_);
}

bool ByteLog::open(const std::string& path, std::string& error)
{
    file_ = std::fopen(path.c_str(), "w");
    if (!file_) {
        error = "cannot write the log " + path + ": " + std::strerror(errno);
        return false;
    }
    start_ = std::chrono::steady_clock::now();
    return true;
}

double ByteLog::seconds() const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void ByteLog::note(const std::string& text)
{
    if (!file_)
        return;
    std::fprintf(file_, "%12.6f # %s\n", seconds(), text.c_str());
    std::fflush(file_);
}

void ByteLog::record(const char* what, std::string_view bytes)
{
    if (!file_ || bytes.empty())
        return;
    const double t = seconds();
    for (std::size_t row = 0; row < bytes.size(); row += kBytesPerRow) {
        const std::string_view part = bytes.substr(row, kBytesPerRow);
        if (row == 0)
            std::fprintf(file_, "%12.6f %-4s %5zu ", t, what, bytes.size());
        else
            std::fprintf(file_, "%12s %-4s %5s ", "", "", "");
        for (std::size_t i = 0; i < kBytesPerRow; ++i) {
            if (i < part.size())
                std::fprintf(file_, " %02x", static_cast<unsigned char>(part[i]));
            else
                std::fputs("   ", file_);
        }
        std::fputs("  |", file_);
        for (const char c : part) {
            const auto u = static_cast<unsigned char>(c);
            std::fputc(u >= 0x20 && u < 0x7f ? c : '.', file_);
        }
        std::fputs("|\n", file_);
    }
    std::fflush(file_);
}

} // namespace basic52sim
