#pragma once
// The uniform generator behind "Diffuse": never seeded, so every run starts from
// the same state and all "Diffuse" commands of a run share one sequence.
// It is PCG32 (a 64-bit LCG with a permuted output), chosen because its state
// can jump ahead by any number of draws in O(log n) steps: a pass split into
// bands on several threads starts each band exactly where one thread would be.
#include <cstdint>

namespace pixpad {

class DiffuseRandom {
public:
    static constexpr uint64_t kInitialState = 0x853c49e6748fea9bULL;
    static constexpr uint64_t kIncrement = 0xda3e39cb94b95bdbULL; // must be odd
    static constexpr uint64_t kMultiplier = 6364136223846793005ULL;

    uint32_t nextU32()
    {
        uint64_t old = state_;
        state_ = old * kMultiplier + kIncrement;
        uint32_t xorshifted = static_cast<uint32_t>(((old >> 18u) ^ old) >> 27u);
        uint32_t rot = static_cast<uint32_t>(old >> 59u);
        return (xorshifted >> rot) | (xorshifted << ((32u - rot) & 31u));
    }

    // Single precision in [0, 1): the top 24 bits times 2^-24, so 1.0 can't occur.
    float nextFloat() { return static_cast<float>(nextU32() >> 8) * (1.0f / 16777216.0f); }

    // Moves the state as if `draws` numbers had been taken.
    void advance(uint64_t draws)
    {
        uint64_t accMult = 1, accPlus = 0;
        uint64_t curMult = kMultiplier, curPlus = kIncrement;
        while (draws > 0) {
            if (draws & 1u) {
                accMult *= curMult;
                accPlus = accPlus * curMult + curPlus;
            }
            curPlus = (curMult + 1) * curPlus;
            curMult *= curMult;
            draws >>= 1u;
        }
        state_ = accMult * state_ + accPlus;
    }

    uint64_t state() const { return state_; }
    bool operator==(const DiffuseRandom&) const = default;

private:
    uint64_t state_ = kInitialState;
};

} // namespace pixpad
