#include "basic52sim/Tokeniser.h"

#include "basic52sim/Keywords.h"

namespace basic52sim {

namespace {

class Writer {
public:
    explicit Writer(std::string_view typed) : typed_(typed) {}

    std::string run()
    {
        while (at_ < typed_.size()) {
            const char c = typed_[at_];
            if (c == ' ') {
                ++at_;
            } else if (c == '"') {
                string();
            } else if (c == ':') {
                out_ += " : ";
                startStatement();
                ++at_;
            } else if (const std::size_t length = numberLength(typed_, at_); length > 0) {
                // A number never counts as a statement: after THEN and ELSE it is a line number.
                blankBeforeStatement_ = false;
                upperCopy(length);
                statementStart_ = false;
            } else if (const Keyword* k = keywordAt(typed_, at_); k != nullptr && (isLetter(c) || c == '.')) {
                if (!keyword(*k))
                    return out_;
            } else if (isLetter(c)) {
                beginToken();
                std::size_t end = at_;
                while (end < typed_.size() && (isLetter(typed_[end]) || isDigit(typed_[end])))
                    ++end;
                upperCopy(end - at_);
            } else {
                beginToken();
                out_ += c;
                ++at_;
            }
        }
        return out_;
    }

private:
    void startStatement()
    {
        statementStart_ = true;
        blankBeforeStatement_ = true;
    }

    // Before anything that is not a line number.
    void beginToken()
    {
        if (blankBeforeStatement_)
            out_ += ' ';
        blankBeforeStatement_ = false;
        statementStart_ = false;
    }

    void upperCopy(std::size_t length)
    {
        for (std::size_t i = 0; i < length; ++i)
            out_ += toUpper(typed_[at_ + i]);
        at_ += length;
    }

    void string()
    {
        beginToken();
        const std::size_t close = typed_.find('"', at_ + 1);
        const std::size_t end = close == std::string_view::npos ? typed_.size() : close + 1;
        out_ += typed_.substr(at_, end - at_);
        at_ = end;
    }

    // Returns false when the rest of the line is not tokenised (REM).
    bool keyword(const Keyword& k)
    {
        const bool atStart = statementStart_;
        beginToken();
        at_ += k.spelling.size();
        switch (k.kind) {
        case KeywordKind::Statement:
            // Inside a statement (ON X GOTO 10) it is kept apart from the name before it.
            if (!atStart && !out_.empty() && out_.back() != ' ')
                out_ += ' ';
            out_ += k.listed;
            out_ += ' ';
            if (k.token == Token::Rem) {
                const std::size_t text = typed_.find_first_not_of(' ', at_);
                if (text != std::string_view::npos)
                    out_ += typed_.substr(text);
                return false;
            }
            break;
        case KeywordKind::Clause:
            out_ += ' ';
            out_ += k.listed;
            out_ += ' ';
            if (k.token == Token::Then || k.token == Token::Else)
                startStatement();
            break;
        case KeywordKind::Function:
        case KeywordKind::Operator:
            out_ += k.listed;
            break;
        }
        return true;
    }

    std::string_view typed_;
    std::size_t at_ = 0;
    std::string out_;
    bool statementStart_ = true;
    bool blankBeforeStatement_ = false;
};

} // namespace

std::string storedForm(std::string_view typed)
{
    return Writer(typed).run();
}

} // namespace basic52sim
