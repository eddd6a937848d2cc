#include "Text.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace text {

namespace {
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool isAsciiAlnum(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}
}  // namespace

std::string trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return std::string(s);
}

std::string shown(std::string_view s) {
    std::string out = trim(s);
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    return out;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string fileNamePart(std::string_view s, std::string_view fallback) {
    std::string out;
    bool pendingDash = false;
    for (char c : s) {
        if (isAsciiAlnum(c)) {
            if (pendingDash && !out.empty()) out += '-';
            pendingDash = false;
            out += c;
        } else {
            pendingDash = true;
        }
    }
    return out.empty() ? std::string(fallback) : out;
}

std::string counted(std::uint64_t n, std::string_view noun) {
    return std::to_string(n) + " " + std::string(noun) + (n == 1 ? "" : "s");
}

std::string fourChars(std::int32_t id) {
    const auto u = static_cast<std::uint32_t>(id);
    std::string chars;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>((u >> shift) & 0xff);
        if (c < 0x20 || c > 0x7e) {
            chars.clear();
            break;
        }
        chars += c;
    }
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", u);
    return chars.empty() ? std::string(hex) : "'" + chars + "' (" + hex + ")";
}

std::optional<double> parseNumber(std::string_view s) {
    double value = 0;
    const char* end = s.data() + s.size();
    const auto [ptr, ec] = std::from_chars(s.data(), end, value);
    if (s.empty() || ec != std::errc() || ptr != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<long> parseInteger(std::string_view s) {
    long value = 0;
    const char* end = s.data() + s.size();
    const auto [ptr, ec] = std::from_chars(s.data(), end, value);
    if (s.empty() || ec != std::errc() || ptr != end) return std::nullopt;
    return value;
}

}  // namespace text
