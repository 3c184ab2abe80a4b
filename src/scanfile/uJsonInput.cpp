#include "uJsonInput.h"

#include "uScanFileItem.h"

#include <array>
#include <limits>
#include <string_view>

namespace quorvex {
namespace {

// Bytes that end a plain run inside a string: the quote, the backslash, control bytes.
constexpr std::array<bool, 256> StringStops = [] {
    std::array<bool, 256> stops{};
    for (int c = 0; c < 0x20; ++c)
        stops[c] = true;
    stops['"'] = stops['\\'] = true;
    return stops;
}();

void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// A high surrogate waits for its low half; anything else writes it alone (WTF-8).
void FlushHigh(std::string& out, std::uint32_t& pendingHigh) {
    if (pendingHigh != 0)
        AppendUtf8(out, pendingHigh);
    pendingHigh = 0;
}

int HexValue(int c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

TJsonInput::TJsonInput(std::unique_ptr<TByteSource> source) : FSource(std::move(source)) {}

void TJsonInput::FailAt(std::uint64_t offset, const std::string& message) {
    throw TScanFileError(message, offset);
}

void TJsonInput::FailToken(int token, const char* what) const {
    Fail(std::string(token < 0 ? "truncated: expected " : "expected ") + what);
}

bool TJsonInput::Refill() {
    FBase += static_cast<std::uint64_t>(FEnd - FBegin);
    const std::string_view chunk = FEof ? std::string_view() : FSource->Next();
    FEof = chunk.empty();
    FBegin = FPos = chunk.data();
    FEnd = FBegin + chunk.size();
    return !FEof;
}

void TJsonInput::Expect(char c, const char* what) {
    const int token = PeekToken();
    if (token != static_cast<unsigned char>(c))
        FailToken(token, what);
    ++FPos;
}

void TJsonInput::ExpectEnd() {
    if (PeekToken() >= 0)
        Fail("unexpected data after the scan");
}

void TJsonInput::ReadString(std::string& out) {
    const int token = PeekToken();
    if (token != '"')
        FailToken(token, "a string");
    ++FPos;
    out.clear();
    std::uint32_t pendingHigh = 0;
    for (;;) {
        const char* run = FPos;
        while (FPos < FEnd && !StringStops[static_cast<unsigned char>(*FPos)])
            ++FPos;
        if (FPos != run) {
            FlushHigh(out, pendingHigh);
            out.append(run, FPos);
        }
        if (FPos == FEnd) {
            if (!Refill())
                Fail("truncated: unterminated string");
            continue;
        }
        if (*FPos == '"') {
            ++FPos;
            FlushHigh(out, pendingHigh);
            return;
        }
        if (*FPos != '\\')
            Fail("unescaped control character in a string");
        ReadEscape(out, pendingHigh);
    }
}

void TJsonInput::ReadEscape(std::string& out, std::uint32_t& pendingHigh) {
    static constexpr std::string_view Escaped = "\"\\/bfnrt", Plain = "\"\\/\b\f\n\r\t";
    const std::uint64_t start = Offset();
    ++FPos;
    const int c = PeekByte();
    if (c < 0)
        Fail("truncated: unterminated string");
    ++FPos;
    if (c != 'u') {
        const std::size_t index = Escaped.find(static_cast<char>(c));
        if (index == std::string_view::npos)
            FailAt(start, "invalid escape in a string");
        FlushHigh(out, pendingHigh);
        out += Plain[index];
        return;
    }
    const std::uint32_t cp = ReadHex4();
    if (cp >= 0xDC00 && cp <= 0xDFFF && pendingHigh != 0) {
        AppendUtf8(out, 0x10000 + ((pendingHigh - 0xD800) << 10) + (cp - 0xDC00));
        pendingHigh = 0;
        return;
    }
    FlushHigh(out, pendingHigh);
    if (cp >= 0xD800 && cp <= 0xDBFF)
        pendingHigh = cp;
    else
        AppendUtf8(out, cp);
}

std::uint32_t TJsonInput::ReadHex4() {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        const int digit = HexValue(PeekByte());
        if (digit < 0)
            Fail("expected four hex digits after \\u");
        ++FPos;
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return value;
}

std::uint64_t TJsonInput::SkipDigits() {
    std::uint64_t count = 0;
    for (int c = PeekByte(); c >= '0' && c <= '9'; c = PeekByte()) {
        ++FPos;
        ++count;
    }
    return count;
}

TJsonNumber TJsonInput::ReadNumber() {
    TJsonNumber n;
    int c = PeekToken();
    n.Offset = Offset();
    if (c == '-') {
        n.Negative = true;
        ++FPos;
        c = PeekByte();
    }
    if (c < '0' || c > '9')
        FailToken(c, "a number");
    if (c == '0')
        ++FPos; // JSON allows no leading zeros: a digit after it fails in the caller
    else
        ReadMagnitude(n);
    c = PeekByte();
    if (c == '.' || c == 'e' || c == 'E') {
        n.Integral = false;
        SkipFractionAndExponent(c);
    }
    return n;
}

void TJsonInput::ReadMagnitude(TJsonNumber& n) {
    constexpr std::uint64_t Max = std::numeric_limits<std::uint64_t>::max();
    for (int c = PeekByte(); c >= '0' && c <= '9'; c = PeekByte()) {
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (n.Magnitude < Max / 10 || (n.Magnitude == Max / 10 && digit <= Max % 10))
            n.Magnitude = n.Magnitude * 10 + digit;
        else
            n.Overflow = true;
        ++FPos;
    }
}

void TJsonInput::SkipFractionAndExponent(int c) {
    if (c == '.') {
        ++FPos;
        if (SkipDigits() == 0)
            Fail("expected a digit after '.'");
        c = PeekByte();
    }
    if (c == 'e' || c == 'E') {
        ++FPos;
        c = PeekByte();
        if (c == '+' || c == '-')
            ++FPos;
        if (SkipDigits() == 0)
            Fail("expected a digit in the exponent");
    }
}

void TJsonInput::ReadLiteral(const char* word) {
    for (; *word != 0; ++word) {
        if (PeekByte() != *word)
            Fail("invalid literal");
        ++FPos;
    }
}

bool TJsonInput::ReadBool() {
    const int token = PeekToken();
    if (token == 't') {
        ReadLiteral("true");
        return true;
    }
    if (token != 'f')
        FailToken(token, "true or false");
    ReadLiteral("false");
    return false;
}

void TJsonInput::SkipScalar(int token) {
    switch (token) {
    case '"':
        ReadString(FSkipText);
        return;
    case 't':
        ReadLiteral("true");
        return;
    case 'f':
        ReadLiteral("false");
        return;
    case 'n':
        ReadLiteral("null");
        return;
    }
    if (token != '-' && (token < '0' || token > '9'))
        FailToken(token, "a value");
    ReadNumber();
}

void TJsonInput::ReadKeyAndColon() {
    ReadString(FSkipText);
    Expect(':', "':'");
}

void TJsonInput::SkipValue() {
    FSkipStack.clear(); // closing brackets of the containers still open
    for (;;) {
        int token = PeekToken();
        if (token == '{' || token == '[') {
            ++FPos;
            const char close = token == '{' ? '}' : ']';
            if (PeekToken() != close) {
                FSkipStack.push_back(close);
                if (close == '}')
                    ReadKeyAndColon();
                continue;
            }
            ++FPos;
        } else {
            SkipScalar(token);
        }
        // After a value: close whatever ends here, then go on after a comma.
        for (;;) {
            if (FSkipStack.empty())
                return;
            token = PeekToken();
            if (token == FSkipStack.back()) {
                ++FPos;
                FSkipStack.pop_back();
                continue;
            }
            const bool object = FSkipStack.back() == '}';
            if (token != ',')
                FailToken(token, object ? "',' or '}'" : "',' or ']'");
            ++FPos;
            if (object)
                ReadKeyAndColon();
            break;
        }
    }
}

} // namespace quorvex
