#pragma once

#include <map>
#include <string>

namespace basic52sim {

// The numbered program lines, kept in line-number order, each in its stored form (see
// Tokeniser.h). The board checks a line only when it runs, so any text is stored.
class ProgramStore final {
public:
    using Lines = std::map<unsigned, std::string>;

    static constexpr unsigned kMaxLineNumber = 65535;

    // Stores text (in its stored form) under number, replacing an earlier line; blank text deletes
    // the line.
    void store(unsigned number, const std::string& text);
    void clear() { lines_.clear(); }
    bool empty() const { return lines_.empty(); }
    const Lines& lines() const { return lines_; }

    // One line as LIST shows it: the number left-justified in a field of seven, then the text.
    static std::string listed(unsigned number, const std::string& text);
    // Column at which a line's text starts in its listed form.
    static std::size_t textColumn(unsigned number);

private:
    Lines lines_;
};

} // namespace basic52sim
