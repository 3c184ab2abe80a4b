#include "GenExtensions.h"

#include <array>
#include <cmath>
#include <utility>

namespace quorvex::gentree {

namespace {

constexpr std::uint64_t VocabularySize = 200000;
constexpr double ZipfExponent = 1.3;
// Fixed, not the tree's seed: every tree shares one vocabulary, as roots of one system do.
constexpr std::uint64_t VocabularySeed = 0x6578742D7461696Cull;
// Below this rank no hash-like extension and no large version number: the frequent rare
// extensions look like real ones.
constexpr std::uint64_t FirstHashRank = 300;

constexpr std::array<const char*, 44> Locales = {
    "mo", "po", "pot", "qm", "de", "fr", "es", "it",    "pt",    "ja",    "zh",
    "ko", "ru", "pl",  "nl", "sv", "fi", "da", "nb",    "cs",    "hu",    "tr",
    "el", "he", "ar",  "uk", "ro", "bg", "hr", "sk",    "sl",    "lt",    "lv",
    "et", "ca", "eu",  "gl", "vi", "th", "id", "pt_BR", "zh_CN", "zh_TW", "en_GB"};

constexpr std::array<const char*, 8> BackupWords = {"orig", "rej",      "old",       "save",
                                                    "swp",  "dpkg-old", "dpkg-dist", "ucf-dist"};

std::string Digits(TRandom& random, int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += char('0' + random.Below(10));
    return text;
}

// Small numbers mostly, as in version and backup counters.
std::string SmallNumber(TRandom& random) {
    return std::to_string(random.Chance(0.8) ? random.Below(20) : random.Below(1000));
}

std::string Backup(TRandom& random) {
    const double style = random.Uniform();
    if (style < 0.3)
        return "bak" + SmallNumber(random);
    if (style < 0.55)
        return "~" + SmallNumber(random) + "~";
    if (style < 0.8)
        return Digits(random, 3);
    return BackupWords[random.Below(BackupWords.size())];
}

std::string Lowercase(TRandom& random) {
    const std::uint64_t length = 1 + random.Below(5);
    std::string text;
    for (std::uint64_t i = 0; i < length; ++i)
        text += char('a' + random.Below(26));
    if (random.Chance(0.15))
        text += char('0' + random.Below(10));
    return text;
}

std::string Hash(TRandom& random) {
    std::string text;
    const std::uint64_t length = 6 + random.Below(7);
    for (std::uint64_t i = 0; i < length; ++i)
        text += "0123456789abcdef"[random.Below(16)];
    return text;
}

enum class TKind { Library, Backup, Locale, Hash, Lowercase };

struct TVocabularyEntry {
    TKind Kind;
    std::string Extension; ///< without the dot
};

// The entry of one rank, made from its own stream so no table is kept.
TVocabularyEntry Entry(std::uint64_t rank) {
    TRandom random(VocabularySeed, rank);
    const double kind = random.Uniform();
    if (kind < 0.12 && rank < FirstHashRank)
        return {TKind::Library, std::to_string(random.Below(10))}; // libc.so.6, not .so.550
    if (kind < 0.12)
        return {TKind::Library, SmallNumber(random)};
    if (kind < 0.22)
        return {TKind::Backup, Backup(random)};
    if (kind < 0.30)
        return {TKind::Locale, Locales[random.Below(Locales.size())]};
    if (kind < 0.55 && rank >= FirstHashRank)
        return {TKind::Hash, Hash(random)};
    return {TKind::Lowercase, Lowercase(random)};
}

// Inverse of the continuous Zipf distribution over [1, VocabularySize + 1), 0-based.
std::uint64_t ZipfRank(TRandom& random) {
    const double top = std::pow(double(VocabularySize + 1), 1.0 - ZipfExponent);
    const double x = std::pow(1.0 + random.Uniform() * (top - 1.0), 1.0 / (1.0 - ZipfExponent));
    const std::uint64_t rank = std::uint64_t(x) - 1;
    return rank < VocabularySize ? rank : VocabularySize - 1;
}

// libfoo.so.1.2.<extension>: the leading version parts vary per file, the rank fixes the last.
TNameParts Library(TRandom& random, const std::string& extension) {
    std::string stem = "lib" + std::string(1, char('a' + random.Below(26)));
    stem += Lowercase(random);
    std::string suffix = ".so";
    const std::uint64_t parts = random.Below(3);
    for (std::uint64_t i = 0; i < parts; ++i)
        suffix += "." + SmallNumber(random);
    return {stem, suffix + "." + extension};
}

} // namespace

TNameParts MakeRareName(std::string stem, TRandom& random) {
    TVocabularyEntry entry = Entry(ZipfRank(random));
    switch (entry.Kind) {
    case TKind::Library:
        return Library(random, entry.Extension);
    case TKind::Backup:
    case TKind::Locale:
    case TKind::Hash:
    case TKind::Lowercase:
        break;
    }
    return {std::move(stem), "." + entry.Extension};
}

} // namespace quorvex::gentree
