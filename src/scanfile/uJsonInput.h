#pragma once

#include "uByteSource.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quorvex {

/// A JSON number as read, before the caller decides which range it allows.
struct TJsonNumber {
    std::uint64_t Magnitude = 0;
    std::uint64_t Offset = 0; // of its first byte
    bool Negative = false;
    bool Integral = true;  // neither fraction nor exponent
    bool Overflow = false; // magnitude beyond 2^64-1
};

/// The tokenizer under the scan-file reader: reads JSON tokens straight out of the chunks a
/// source hands out, holding no more than the current chunk; a token may span chunks.
/// Every failure is a TScanFileError at the offset of the offending byte (the end of the
/// text when it is cut short).
class TJsonInput {
public:
    explicit TJsonInput(std::unique_ptr<TByteSource> source);

    std::uint64_t Offset() const { return FBase + static_cast<std::uint64_t>(FPos - FBegin); }

    /// The next byte after white space, not consumed; -1 at the end of the text.
    int PeekToken() {
        for (;;) {
            for (; FPos < FEnd; ++FPos) {
                const char c = *FPos;
                if (c != ' ' && c != '\n' && c != '\r' && c != '\t')
                    return static_cast<unsigned char>(c);
            }
            if (!Refill())
                return -1;
        }
    }
    /// Consumes the byte PeekToken() returned.
    void Advance() { ++FPos; }

    /// Skips white space and consumes `c`; fails with "expected <what>" otherwise.
    void Expect(char c, const char* what);
    /// Fails with "expected <what>", or "truncated" when `token` is the end (-1).
    [[noreturn]] void FailToken(int token, const char* what) const;
    /// Reads a string (white space first), escapes decoded; \u escapes become UTF-8, a lone
    /// surrogate its 3-byte form, so nothing is refused that a file system name may hold.
    void ReadString(std::string& out);
    TJsonNumber ReadNumber();
    bool ReadBool();
    /// Skips one value of any kind; nesting is kept on the heap, not the machine stack.
    void SkipValue();
    /// Fails unless only white space is left.
    void ExpectEnd();

    [[noreturn]] void Fail(const std::string& message) const { FailAt(Offset(), message); }
    [[noreturn]] static void FailAt(std::uint64_t offset, const std::string& message);

private:
    bool Refill();
    /// The next byte (no white space skipped), not consumed; -1 at the end.
    int PeekByte() {
        if (FPos == FEnd && !Refill())
            return -1;
        return static_cast<unsigned char>(*FPos);
    }
    void ReadEscape(std::string& out, std::uint32_t& pendingHigh);
    std::uint32_t ReadHex4();
    void ReadLiteral(const char* word);
    std::uint64_t SkipDigits();
    void ReadMagnitude(TJsonNumber& n);
    void SkipFractionAndExponent(int c);
    void SkipScalar(int token);
    void ReadKeyAndColon();

    std::unique_ptr<TByteSource> FSource;
    const char* FBegin = nullptr;
    const char* FPos = nullptr;
    const char* FEnd = nullptr;
    std::uint64_t FBase = 0; // offset of FBegin in the text
    bool FEof = false;
    std::vector<char> FSkipStack;
    std::string FSkipText;
};

} // namespace quorvex
