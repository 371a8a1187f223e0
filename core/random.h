// The rotation's random source. Tests inject their own to fix the draws.
// Portable: no Win32.
#pragma once

#include <cstdint>
#include <random>

class TRandomSource {
public:
    // A uniform draw from 0 to n - 1; 0 when n is 0.
    virtual uint32_t Below(uint32_t n) = 0;

protected:
    ~TRandomSource() = default;
};

class TDefaultRandom final : public TRandomSource {
public:
    void Seed(uint32_t seed) { FEngine.seed(seed); }
    uint32_t Below(uint32_t n) override {
        if (n == 0) {
            return 0;
        }
        return std::uniform_int_distribution<uint32_t>(0, n - 1)(FEngine);
    }

private:
    std::mt19937 FEngine{5489u};
};
