#include "announcer/resample.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>

namespace lumivox {

namespace {

// 24 zero crossings each side with this window: the stop band (85 dB down) begins at
// the lower Nyquist frequency, and the pass band is flat to 80 % of it.
constexpr int kZeroCrossings = 24;
constexpr int kStepsPerCrossing = 512;
constexpr double kBeta = 8.6;
constexpr double kPassPart = 0.9; // of the lower Nyquist frequency kept flat
constexpr double kPi = 3.14159265358979323846;
// Weights worked out ahead for every phase of a rate pair, up to this many (256 KB);
// odd pairs work theirs out sample by sample.
constexpr std::int64_t kMaxTableWeights = 64 * 1024;

double BesselI0(double x) {
    double term = 1.0;
    double sum = 1.0;
    for (int k = 1; k < 40; ++k) {
        term *= (x / (2.0 * k)) * (x / (2.0 * k));
        sum += term;
    }
    return sum;
}

// sinc(u) times the window, for u from 0 to kZeroCrossings in steps of
// 1 / kStepsPerCrossing, with one zero past the end for the interpolation.
const std::vector<float>& Kernel() {
    static const std::vector<float> table = [] {
        std::vector<float> t(kZeroCrossings * kStepsPerCrossing + 2, 0.0f);
        const double norm = BesselI0(kBeta);
        for (int i = 0; i <= kZeroCrossings * kStepsPerCrossing; ++i) {
            const double u = static_cast<double>(i) / kStepsPerCrossing;
            const double r = u / kZeroCrossings;
            const double sinc = i == 0 ? 1.0 : std::sin(kPi * u) / (kPi * u);
            t[static_cast<std::size_t>(i)] =
                static_cast<float>(sinc * BesselI0(kBeta * std::sqrt(1.0 - r * r)) / norm);
        }
        return t;
    }();
    return table;
}

} // namespace

std::vector<float> Resample(const std::vector<float>& in, int inRate, int outRate) {
    if (inRate == outRate || inRate <= 0 || outRate <= 0 || in.empty())
        return in;
    const std::vector<float>& kernel = Kernel();
    // Cut-off as a part of the input's Nyquist frequency; the kernel's zero crossings
    // lie 1 / cutoff input samples apart.
    const double cutoff = kPassPart * std::min(1.0, static_cast<double>(outRate) / inRate);
    const auto reach = static_cast<std::int64_t>(std::ceil(kZeroCrossings / cutoff));
    const std::int64_t taps = 2 * reach;
    const auto inCount = static_cast<std::int64_t>(in.size());
    const auto outCount = static_cast<std::size_t>(inCount * outRate / inRate);
    // Output sample n lies (n * inRate mod outRate) / outRate past an input sample: with
    // rates of a common divisor g that is one of outRate / g phases, whose weights are
    // worked out once (a single phase when halving 44.1 kHz).
    const std::int64_t g = std::gcd<std::int64_t>(inRate, outRate);
    const std::int64_t phases = outRate / g;
    const double steps = cutoff * kStepsPerCrossing;
    auto weight = [&](std::int64_t tap, double frac) {
        const double at = std::abs(static_cast<double>(tap - reach + 1) - frac) * steps;
        const auto i = static_cast<std::size_t>(at);
        if (i >= kZeroCrossings * kStepsPerCrossing)
            return 0.0f;
        const double w = kernel[i] + (kernel[i + 1] - kernel[i]) * (at - static_cast<double>(i));
        return static_cast<float>(w * cutoff);
    };
    const bool tabled = phases * taps <= kMaxTableWeights;
    std::vector<float> table(tabled ? static_cast<std::size_t>(phases * taps) : 0);
    for (std::int64_t p = 0; p < (tabled ? phases : 0); ++p)
        for (std::int64_t t = 0; t < taps; ++t)
            table[static_cast<std::size_t>(p * taps + t)] =
                weight(t, static_cast<double>(p * g) / outRate);
    std::vector<float> out(outCount);
    std::vector<float> own(tabled ? 0 : static_cast<std::size_t>(taps));
    for (std::size_t n = 0; n < outCount; ++n) {
        const std::int64_t pos = static_cast<std::int64_t>(n) * inRate;
        const std::int64_t first = pos / outRate - reach + 1;
        const float* w = nullptr;
        if (tabled) {
            w = table.data() + (pos % outRate) / g * taps;
        } else {
            for (std::int64_t t = 0; t < taps; ++t)
                own[static_cast<std::size_t>(t)] =
                    weight(t, static_cast<double>(pos % outRate) / outRate);
            w = own.data();
        }
        const std::int64_t from = std::max<std::int64_t>(0, -first);
        const std::int64_t to = std::min<std::int64_t>(taps, inCount - first);
        // Four sums side by side: the compiler may not reorder one float sum itself.
        float sums[4] = {0, 0, 0, 0};
        std::int64_t t = from;
        for (; t + 4 <= to; t += 4)
            for (int k = 0; k < 4; ++k)
                sums[k] += in[static_cast<std::size_t>(first + t + k)] *
                           w[static_cast<std::size_t>(t + k)];
        for (; t < to; ++t)
            sums[0] += in[static_cast<std::size_t>(first + t)] * w[static_cast<std::size_t>(t)];
        out[n] = (sums[0] + sums[1]) + (sums[2] + sums[3]);
    }
    return out;
}

} // namespace lumivox
