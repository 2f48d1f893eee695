#include "basic52sim/Output.h"

#include <utility>

namespace basic52sim {

void Output::put(char c)
{
    bytes_ += c;
    if (c == '\r')
        column_ = 0;
    else if (c == '\b')
        column_ = column_ > 0 ? column_ - 1 : 0;
    else if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7f)
        ++column_;
}

void Output::put(std::string_view text)
{
    for (char c : text)
        put(c);
}

std::string Output::take()
{
    return std::exchange(bytes_, {});
}

} // namespace basic52sim
