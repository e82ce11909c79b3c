#pragma once
// Reads words and numbers from one line of text held in memory, with the results a
// std::istringstream over that line gives in the classic locale with operator>> and get(): the same
// characters accepted and consumed, the same values bit for bit, and the same failure rule (once a read
// fails, every later read fails and leaves its target untouched). Much cheaper than building a stream.

#include <string>

class line_scanner {
public:
    line_scanner(const char* begin, const char* end)
        : pos(begin)
        , end(end) {}

    bool failed() const { return fail; }

    // A float as num_get reads one: optional sign, digits with at most one point, an exponent; a value
    // out of float's range gives +-FLT_MAX and fails, a sequence that is no number gives 0 and fails.
    line_scanner& operator>>(float& value);
    // A decimal integer with an optional sign; overflow gives the limit of its sign and fails.
    line_scanner& operator>>(long long& value);
    // The next whitespace-delimited word.
    line_scanner& operator>>(std::string& word);
    // Consumes one character of any kind; fails at the end of the line.
    void skip_one() {
        if (fail || pos == end) {
            fail = true;
        } else {
            ++pos;
        }
    }
    // operator>>(long long&) for an index that starts right here: plain digits, the common case, are read
    // in line; anything else (white space, a sign, 19 digits or more) goes the general way.
    line_scanner& read_index(long long& value) {
        const char* p = pos;
        long long sum = 0;
        int digits = 0;
        while (!fail && p != end && digits < 18 && static_cast<unsigned>(*p - '0') < 10u) {
            sum = sum * 10 + (*p - '0');
            ++p;
            ++digits;
        }
        if (digits == 0 || digits == 18) return *this >> value;
        value = sum;
        pos = p;
        return *this;
    }
    // The next character, white space included; -1 at the end of the line or after a failure.
    int peek() const { return fail || pos == end ? -1 : static_cast<unsigned char>(*pos); }
    // Skips white space; whether anything is left. Never fails.
    bool more() {
        if (fail) return false;
        while (pos != end && (*pos == ' ' || (*pos >= '\t' && *pos <= '\r')))
            ++pos;
        return pos != end;
    }
    // Moves past the characters up to the next white space (or the end of the line). Never fails.
    void skip_word() {
        while (pos != end && !(*pos == ' ' || (*pos >= '\t' && *pos <= '\r')))
            ++pos;
    }
    // The rest of the line without the white space around it.
    std::string rest();

private:
    // The stream sentry: skips whitespace; fails when the line ends first.
    bool skip_space();

    const char* pos;
    const char* end;
    bool fail = false;
};
