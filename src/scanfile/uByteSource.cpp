#include "uByteSource.h"

#include "uScanFileItem.h"

#include <cerrno>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>
#include <vector>
#include <zstd.h>

namespace quorvex {
namespace {

// Large reads keep the system-call count low on files of hundreds of megabytes.
constexpr std::size_t ChunkSize = std::size_t{1} << 20;

class TFdSource : public TByteSource {
public:
    TFdSource(int fd, bool owned, std::string name)
        : FFd(fd), FOwned(owned), FName(std::move(name)), FBuffer(ChunkSize) {}
    ~TFdSource() override {
        if (FOwned)
            ::close(FFd);
    }

    // Fills the whole buffer (or up to the end), so even a slow pipe delivers the first
    // chunk with the magic bytes complete.
    std::string_view Next() override {
        std::size_t filled = 0;
        while (filled < FBuffer.size()) {
            const ssize_t n = ::read(FFd, FBuffer.data() + filled, FBuffer.size() - filled);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                throw std::system_error(errno, std::generic_category(), "cannot read " + FName);
            if (n == 0)
                break;
            filled += static_cast<std::size_t>(n);
        }
        return {FBuffer.data(), filled};
    }

private:
    int FFd;
    bool FOwned;
    std::string FName;
    std::vector<char> FBuffer;
};

class TTextSource : public TByteSource {
public:
    explicit TTextSource(std::string text) : FText(std::move(text)) {}
    std::string_view Next() override {
        if (FDone)
            return {};
        FDone = true;
        return FText;
    }

private:
    std::string FText;
    bool FDone = false;
};

// Hands out the bytes already read for the magic-byte check, then the rest of the source.
class THeadSource : public TByteSource {
public:
    THeadSource(std::unique_ptr<TByteSource> rest, std::string_view head, std::string copy)
        : FRest(std::move(rest)), FHead(head), FCopy(std::move(copy)) {
        if (!FCopy.empty())
            FHead = FCopy;
    }
    std::string_view Next() override {
        if (FHeadDone)
            return FRest->Next();
        FHeadDone = true;
        return FHead;
    }

private:
    std::unique_ptr<TByteSource> FRest;
    std::string_view FHead; // into FRest's buffer (valid until FRest->Next()) or FCopy
    std::string FCopy;
    bool FHeadDone = false;
};

class TZstdSource : public TByteSource {
public:
    explicit TZstdSource(std::unique_ptr<TByteSource> raw)
        : FRaw(std::move(raw)), FContext(ZSTD_createDCtx()), FBuffer(ChunkSize) {
        if (!FContext)
            throw std::bad_alloc();
    }
    ~TZstdSource() override { ZSTD_freeDCtx(FContext); }
    std::string_view Next() override;

private:
    std::unique_ptr<TByteSource> FRaw;
    ZSTD_DCtx* FContext;
    std::vector<char> FBuffer;
    ZSTD_inBuffer FIn{nullptr, 0, 0};
    bool FRawDone = false;
    bool FFrameDone = false;
    bool FEnded = false;         // the decoder is not asked again after its last frame
    std::uint64_t FProduced = 0; // decompressed bytes handed out, for error offsets
};

std::string_view TZstdSource::Next() {
    while (!FEnded) {
        if (FIn.pos == FIn.size && !FRawDone) {
            const std::string_view chunk = FRaw->Next();
            FRawDone = chunk.empty();
            FIn = {chunk.data(), chunk.size(), 0};
        }
        ZSTD_outBuffer out{FBuffer.data(), FBuffer.size(), 0};
        const std::size_t consumed = FIn.pos;
        const std::size_t rc = ZSTD_decompressStream(FContext, &out, &FIn);
        if (ZSTD_isError(rc))
            throw TScanFileError(std::string("invalid zstd data: ") + ZSTD_getErrorName(rc),
                                 FProduced);
        // 0 from a call that made progress: a frame ended and all of it was handed out.
        if (out.pos > 0 || FIn.pos != consumed)
            FFrameDone = rc == 0;
        if (out.pos > 0) {
            FProduced += out.pos;
            return {FBuffer.data(), out.pos};
        }
        if (FIn.pos == FIn.size && FRawDone) {
            if (!FFrameDone)
                throw TScanFileError("truncated zstd data", FProduced);
            FEnded = true;
        }
    }
    return {};
}

} // namespace

std::unique_ptr<TByteSource> DecodeSource(std::unique_ptr<TByteSource> raw) {
    constexpr std::string_view Magic = "\x28\xB5\x2F\xFD";
    std::string_view head = raw->Next();
    std::string copy;
    // A source with tiny chunks: gather the magic's length first.
    while (!head.empty() && head.size() < Magic.size() && copy.size() < Magic.size()) {
        copy.append(head);
        head = raw->Next();
    }
    if (!copy.empty())
        copy.append(head);
    const bool zstd = (copy.empty() ? head : copy).substr(0, Magic.size()) == Magic;
    auto source = std::make_unique<THeadSource>(std::move(raw), head, std::move(copy));
    if (zstd)
        return std::make_unique<TZstdSource>(std::move(source));
    return source;
}

std::unique_ptr<TByteSource> OpenFileSource(const std::string& path) {
    if (path == "-")
        return DecodeSource(std::make_unique<TFdSource>(STDIN_FILENO, false, "standard input"));
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw std::system_error(errno, std::generic_category(), "cannot open " + path);
    return DecodeSource(std::make_unique<TFdSource>(fd, true, path));
}

std::unique_ptr<TByteSource> MakeTextSource(std::string text) {
    return DecodeSource(std::make_unique<TTextSource>(std::move(text)));
}

} // namespace quorvex
