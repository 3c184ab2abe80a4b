#include "GenNames.h"

#include "GenExtensions.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>

namespace quorvex::gentree {

namespace {

template <std::size_t N>
const char* Pick(TRandom& random, const std::array<const char*, N>& items) {
    return items[random.Below(N)];
}

constexpr std::array<const char*, 48> Words = {
    "report",   "invoice", "notes",  "backup", "data",     "photo",    "track",   "draft",
    "summary",  "budget",  "letter", "scan",   "index",    "main",     "config",  "readme",
    "test",     "parser",  "utils",  "module", "archive",  "holiday",  "meeting", "project",
    "final",    "old",     "copy",   "export", "image",    "thumb",    "cache",   "session",
    "user",     "log",     "output", "result", "sample",   "template", "chapter", "slides",
    "contract", "Tax",     "Family", "Setup",  "Untitled", "New",      "CV",      "Wedding"};

constexpr std::array<const char*, 16> Unicode = {
    "Übersicht", "résumé",     "日本語のファイル", "Фотографии", "café",   "naïve", "Ελληνικά",
    "한국어",    "🎵 playlist", "straße",           "año",        "Zürich", "Łódź",  "数据备份",
    "Ärger",     "façade"};

// Repeated entries weight the common extensions; "" gives names without one.
constexpr std::array<const char*, 64> Extensions = {
    ".jpg",    ".jpg",  ".jpg",  ".JPG", ".png",  ".png",   ".txt", ".txt",    ".pdf",  ".pdf",
    ".docx",   ".xlsx", ".pptx", ".mp3", ".mp3",  ".mp4",   ".mkv", ".wav",    ".flac", ".log",
    ".log",    ".cpp",  ".cpp",  ".h",   ".h",    ".py",    ".js",  ".js",     ".ts",   ".html",
    ".css",    ".json", ".json", ".xml", ".yaml", ".md",    ".csv", ".svg",    ".gif",  ".zip",
    ".tar.gz", ".iso",  ".so",   ".o",   ".o",    ".bak",   ".db",  ".sqlite", ".ttf",  ".deb",
    ".exe",    ".dll",  ".conf", ".ini", ".dat",  ".class", ".jar", ".rs",     ".go",   "",
    "",        "",      "",      ""};

// In the long-tail mode, the share of names that still take the table above.
constexpr double CommonShare = 0.85;

constexpr std::array<const char*, 40> Folders = {
    "src",       "include", "docs",     "Documents",    "Pictures",    "Music", "Videos",
    "Downloads", "Desktop", "build",    "tmp",          "cache",       "lib",   "bin",
    "share",     "assets",  "images",   "node_modules", "vendor",      "test",  "tests",
    "old",       "Archive", "Projects", "Photos 2019",  "Backup",      "data",  "logs",
    "config",    "modules", "packages", "Camera",       "Screenshots", "Work",  "private",
    "Übersicht", "Фото",    "写真",     "misc",         "New Folder"};

constexpr std::array<const char*, 12> DotNames = {
    ".bashrc",  ".profile", ".gitignore", ".env",          ".DS_Store", ".npmrc",
    ".viminfo", ".lesshst", ".directory", ".clang-format", ".hidden",   ".keep"};

std::string Number(TRandom& random, int digits) {
    std::string text;
    for (int i = 0; i < digits; ++i)
        text += char('0' + random.Below(10));
    return text;
}

std::string Hex(TRandom& random, std::uint64_t digits) {
    std::string text;
    for (std::uint64_t i = 0; i < digits; ++i)
        text += "0123456789abcdef"[random.Below(16)];
    return text;
}

std::string Date(TRandom& random) {
    // Draws in statements of their own: the order of evaluation of arguments is unspecified,
    // and the tree must not depend on the compiler.
    const unsigned year = unsigned(2005 + random.Below(21));
    const unsigned month = unsigned(1 + random.Below(12));
    const unsigned day = unsigned(1 + random.Below(28));
    char text[16];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u", year, month, day);
    return text;
}

// `first`, a separator and `second`, drawn in this order.
std::string Join(std::string first, TRandom& random, const char* separators,
                 std::string (*second)(TRandom&)) {
    first += separators[random.Below(std::strlen(separators))];
    return first + second(random);
}

std::string Word(TRandom& random) {
    return Pick(random, Words);
}
std::string ShortNumber(TRandom& random) {
    return Number(random, int(1 + random.Below(4)));
}

// A long descriptive name of several words, like a saved web page or a paper's title.
std::string LongStem(TRandom& random) {
    std::string stem = Word(random);
    const std::uint64_t words = 4 + random.Below(14);
    for (std::uint64_t i = 0; i < words; ++i)
        stem = Join(stem, random, " _", Word);
    return stem;
}

std::string Stem(TRandom& random) {
    const double style = random.Uniform();
    if (style < 0.30)
        return Join(Word(random), random, "_-", ShortNumber);
    if (style < 0.45)
        return Join(random.Chance(0.5) ? "IMG" : "DSC", random, "_0", ShortNumber);
    if (style < 0.55)
        return Join(Word(random), random, " ", Date);
    if (style < 0.67)
        return Join(Word(random), random, "_- ", Word);
    if (style < 0.77)
        return Hex(random, 2 + random.Below(39)); // cache and object-store names
    if (style < 0.82)
        return std::string(1, char('a' + random.Below(26))); // one-letter names
    if (style < 0.87)
        return LongStem(random);
    if (style < 0.92)
        return Join(Pick(random, Unicode), random, " _", ShortNumber);
    if (style < 0.95)
        return Pick(random, Unicode);
    return Word(random);
}

} // namespace

TNameParts MakeFileName(TRandom& random, TExtensions extensions) {
    if (random.Chance(0.03))
        return {Pick(random, DotNames), ""};
    std::string stem = Stem(random);
    switch (extensions) {
    case TExtensions::Common:
        break;
    case TExtensions::LongTail:
        // A real root's extensions: the frequent table for most names, the long tail after.
        if (!random.Chance(CommonShare))
            return MakeRareName(std::move(stem), random);
        break;
    }
    // The stem is drawn before the extension, as before the long tail existed.
    return {std::move(stem), Pick(random, Extensions)};
}

std::string MakeFolderName(TRandom& random) {
    const double style = random.Uniform();
    if (style < 0.45)
        return Pick(random, Folders);
    if (style < 0.75)
        return Join(Word(random), random, "_ ", ShortNumber);
    if (style < 0.85)
        return Date(random);
    if (style < 0.92)
        return Hex(random, 2); // object stores fan out by the first two hex digits
    if (style < 0.96)
        return random.Chance(0.5) ? ".cache" : ".config";
    return LongStem(random);
}

std::uint64_t MakeFileSize(TRandom& random) {
    const double kind = random.Uniform();
    double size = 0;
    if (kind < 0.02)
        return 0;
    if (kind < 0.90)
        size = std::exp(std::log(3000.0) + 1.8 * random.Normal()); // text, code, icons
    else if (kind < 0.995)
        size = std::exp(std::log(400000.0) + 1.5 * random.Normal()); // photos, documents
    else
        size = 20e6 * random.Pareto(1.2); // videos, disk images, archives
    return std::uint64_t(std::clamp(size, 1.0, 6e9));
}

std::int64_t MakeAgeSeconds(TRandom& random) {
    const double lo = std::log(60.0);
    const double hi = std::log(15 * 365.25 * 86400.0);
    return std::int64_t(std::exp(lo + (hi - lo) * random.Uniform()));
}

} // namespace quorvex::gentree
