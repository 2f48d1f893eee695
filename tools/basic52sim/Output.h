#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace basic52sim {

// The bytes the board has sent and not yet handed to the line, and the column the terminal's
// cursor stands in after them (PRINT's comma and TAB need it).
class Output final {
public:
    void put(std::string_view text);
    void put(char c);
    std::size_t column() const { return column_; }
    bool empty() const { return bytes_.empty(); }
    std::size_t size() const { return bytes_.size(); }
    std::string take();

private:
    std::string bytes_;
    std::size_t column_ = 0;
};

} // namespace basic52sim
