#pragma once

#include <cmath>
#include <cstdint>

namespace quorvex::gentree {

/// A small seeded generator (xoshiro256**) with the few distributions the tree needs. The
/// standard library's distributions differ between implementations; these do not, so one
/// seed gives one tree wherever the generator is built.
class TRandom {
public:
    /// `stream` separates independent sequences of one seed (one per folder, for example).
    TRandom(std::uint64_t seed, std::uint64_t stream) {
        std::uint64_t x = seed ^ (stream * 0xD1B54A32D192ED03ull);
        for (std::uint64_t& word : FState)
            word = SplitMix(x);
    }

    std::uint64_t Next() {
        const std::uint64_t result = Rotl(FState[1] * 5, 7) * 9;
        const std::uint64_t t = FState[1] << 17;
        FState[2] ^= FState[0];
        FState[3] ^= FState[1];
        FState[1] ^= FState[2];
        FState[0] ^= FState[3];
        FState[2] ^= t;
        FState[3] = Rotl(FState[3], 45);
        return result;
    }
    /// Uniform in [0, 1).
    double Uniform() { return double(Next() >> 11) * 0x1.0p-53; }
    /// Uniform in [0, n); n > 0. The modulo bias is far below anything the tree shows.
    std::uint64_t Below(std::uint64_t n) { return Next() % n; }
    bool Chance(double p) { return Uniform() < p; }
    /// Standard normal (Box-Muller).
    double Normal() {
        const double u = 1.0 - Uniform(); // (0, 1]: log stays finite
        return std::sqrt(-2.0 * std::log(u)) * std::cos(6.283185307179586 * Uniform());
    }
    /// Pareto with minimum 1 and tail index `alpha`.
    double Pareto(double alpha) { return std::pow(1.0 - Uniform(), -1.0 / alpha); }

private:
    static std::uint64_t Rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    static std::uint64_t SplitMix(std::uint64_t& x) {
        std::uint64_t z = (x += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    std::uint64_t FState[4];
};

} // namespace quorvex::gentree
