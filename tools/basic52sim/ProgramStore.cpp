#include "basic52sim/ProgramStore.h"

namespace basic52sim {

namespace {
constexpr std::size_t kNumberField = 7;
}

void ProgramStore::store(unsigned number, const std::string& text)
{
    if (text.find_first_not_of(' ') == std::string::npos)
        lines_.erase(number);
    else
        lines_[number] = text;
}

std::size_t ProgramStore::textColumn(unsigned number)
{
    const std::size_t width = std::to_string(number).size();
    return width < kNumberField ? kNumberField : width + 1;
}

std::string ProgramStore::listed(unsigned number, const std::string& text)
{
    std::string out = std::to_string(number);
    out.resize(textColumn(number), ' ');
    return out + text;
}

} // namespace basic52sim
