#include "WindowPlacement.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include "text/TextEncoding.h"

namespace korvanes::gui {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// One whole number filling `field` but for blanks around it.
std::optional<long long> ParseWholeNumber(const std::string& field)
{
    std::size_t begin = 0;
    std::size_t end = field.size();
    while (begin < end && IsBlank(field[begin])) {
        ++begin;
    }
    while (end > begin && IsBlank(field[end - 1])) {
        --end;
    }
    if (begin == end) {
        return std::nullopt;
    }
    const std::string digits = field.substr(begin, end - begin);
    errno = 0;
    char* stop = nullptr;
    const long long value = std::strtoll(digits.c_str(), &stop, 10);
    if (errno != 0 || stop != digits.c_str() + digits.size()) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::string FormatWindowPlacement(const WindowPlacement& p)
{
    return StringPrintf("%u,%u,%d,%d,%d,%d,%d,%d,%d,%d", p.flags, p.showCmd, p.minX, p.minY, p.maxX, p.maxY,
                        p.left, p.top, p.right, p.bottom);
}

std::optional<WindowPlacement> ParseWindowPlacement(const std::string& text)
{
    std::vector<long long> numbers;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        const auto number = ParseWholeNumber(text.substr(start, comma - start));
        if (!number || *number < INT_MIN || *number > INT_MAX) {
            return std::nullopt;
        }
        numbers.push_back(*number);
        if (comma == std::string::npos) {
            break;
        }
        start = comma + 1;
    }
    if (numbers.size() != 10 || numbers[0] < 0 || numbers[1] < 0) {
        return std::nullopt;
    }
    WindowPlacement p;
    p.flags = static_cast<unsigned>(numbers[0]);
    p.showCmd = static_cast<unsigned>(numbers[1]);
    p.minX = static_cast<int>(numbers[2]);
    p.minY = static_cast<int>(numbers[3]);
    p.maxX = static_cast<int>(numbers[4]);
    p.maxY = static_cast<int>(numbers[5]);
    p.left = static_cast<int>(numbers[6]);
    p.top = static_cast<int>(numbers[7]);
    p.right = static_cast<int>(numbers[8]);
    p.bottom = static_cast<int>(numbers[9]);
    if (static_cast<long long>(p.right) - p.left <= 0 || static_cast<long long>(p.bottom) - p.top <= 0) {
        return std::nullopt;
    }
    return p;
}

}  // namespace korvanes::gui
