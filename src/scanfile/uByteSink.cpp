#include "uByteSink.h"

#include "uSiblingFile.h"

#include <cerrno>
#include <system_error>
#include <unistd.h>
#include <vector>
#include <zstd.h>

namespace quorvex {
namespace {

class TSiblingSink : public TByteSink {
public:
    explicit TSiblingSink(const std::string& path) : FFile(path) {}
    void Write(std::string_view bytes) override { FFile.Write(bytes); }
    void Finish() override { FFile.Commit(); }

private:
    TSiblingFile FFile;
};

class TStdoutSink : public TByteSink {
public:
    void Write(std::string_view bytes) override {
        while (!bytes.empty()) {
            const ssize_t n = ::write(STDOUT_FILENO, bytes.data(), bytes.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                throw std::system_error(errno, std::generic_category(),
                                        "cannot write to standard output");
            bytes.remove_prefix(static_cast<std::size_t>(n));
        }
    }
    void Finish() override {}
};

class TTextSink : public TByteSink {
public:
    explicit TTextSink(std::string* out) : FOut(out) {}
    void Write(std::string_view bytes) override { FText.append(bytes); }
    void Finish() override { *FOut = std::move(FText); }

private:
    std::string* FOut;
    std::string FText;
};

class TZstdSink : public TByteSink {
public:
    explicit TZstdSink(std::unique_ptr<TByteSink> inner);
    ~TZstdSink() override { ZSTD_freeCCtx(FContext); }
    void Write(std::string_view bytes) override { Compress(bytes, ZSTD_e_continue); }
    void Finish() override {
        Compress({}, ZSTD_e_end);
        FInner->Finish();
    }

private:
    void Compress(std::string_view bytes, ZSTD_EndDirective mode);

    std::unique_ptr<TByteSink> FInner;
    ZSTD_CCtx* FContext;
    std::vector<char> FBuffer;
};

TZstdSink::TZstdSink(std::unique_ptr<TByteSink> inner)
    : FInner(std::move(inner)), FContext(ZSTD_createCCtx()), FBuffer(ZSTD_CStreamOutSize()) {
    if (!FContext)
        throw std::bad_alloc();
    // Level 1: on a million-item scan it compressed 72.7 MB to 13.3 MB in 0.41 s, level 3
    // to 13.5 MB in 0.74 s (zstd 1.5.4, one thread): scan files gain nothing from more
    // effort. No worker threads, the machine is shared with the interface.
    ZSTD_CCtx_setParameter(FContext, ZSTD_c_compressionLevel, 1);
    ZSTD_CCtx_setParameter(FContext, ZSTD_c_nbWorkers, 0);
}

void TZstdSink::Compress(std::string_view bytes, ZSTD_EndDirective mode) {
    ZSTD_inBuffer in{bytes.data(), bytes.size(), 0};
    for (;;) {
        ZSTD_outBuffer out{FBuffer.data(), FBuffer.size(), 0};
        const std::size_t left = ZSTD_compressStream2(FContext, &out, &in, mode);
        if (ZSTD_isError(left))
            throw std::runtime_error(std::string("zstd compression failed: ") +
                                     ZSTD_getErrorName(left));
        if (out.pos > 0)
            FInner->Write({FBuffer.data(), out.pos});
        const bool done = mode == ZSTD_e_end ? left == 0 : in.pos == in.size;
        if (done)
            return;
    }
}

bool EndsWith(const std::string& text, std::string_view tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail.data(), tail.size()) == 0;
}

} // namespace

std::unique_ptr<TByteSink> OpenFileSink(const std::string& path) {
    if (path == "-")
        return std::make_unique<TStdoutSink>();
    auto file = std::make_unique<TSiblingSink>(path);
    if (EndsWith(path, ".zst"))
        return std::make_unique<TZstdSink>(std::move(file));
    return file;
}

std::unique_ptr<TByteSink> MakeTextSink(std::string* out) {
    return std::make_unique<TTextSink>(out);
}

} // namespace quorvex
