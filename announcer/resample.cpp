#include "announcer/resample.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace lumivox {

namespace {

// 24 zero crossings each side with this window: the stop band (85 dB down) begins at
// the lower Nyquist frequency, and the pass band is flat to 80 % of it.
constexpr int kZeroCrossings = 24;
constexpr int kStepsPerCrossing = 512;
constexpr double kBeta = 8.6;
constexpr double kPassPart = 0.9; // of the lower Nyquist frequency kept flat
constexpr double kPi = 3.14159265358979323846;

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
    const auto inCount = static_cast<std::int64_t>(in.size());
    const auto outCount = static_cast<std::size_t>(inCount * outRate / inRate);
    const double steps = cutoff * kStepsPerCrossing;
    std::vector<float> out(outCount);
    for (std::size_t n = 0; n < outCount; ++n) {
        // Exact position in input samples: whole part and fraction.
        const std::int64_t pos = static_cast<std::int64_t>(n) * inRate;
        const std::int64_t centre = pos / outRate;
        const double frac = static_cast<double>(pos % outRate) / outRate;
        const std::int64_t first = std::max<std::int64_t>(0, centre - reach + 1);
        const std::int64_t last = std::min<std::int64_t>(inCount - 1, centre + reach);
        double sum = 0.0;
        for (std::int64_t k = first; k <= last; ++k) {
            const double at = std::abs(static_cast<double>(k - centre) - frac) * steps;
            const auto i = static_cast<std::size_t>(at);
            if (i >= kZeroCrossings * kStepsPerCrossing)
                continue;
            const double part = at - static_cast<double>(i);
            const double w = kernel[i] + (kernel[i + 1] - kernel[i]) * part;
            sum += in[static_cast<std::size_t>(k)] * w;
        }
        out[n] = static_cast<float>(sum * cutoff);
    }
    return out;
}

} // namespace lumivox
