// Band-limited sample-rate conversion for clips brought in at other rates.
#pragma once
#include <vector>

namespace lumivox {

// The samples at outRate: each output sample is the input under a Kaiser-windowed sinc
// whose cut-off lies just below the lower of the two Nyquist frequencies, so nothing
// above the new rate's half folds back into what is heard. Equal rates copy.
std::vector<float> Resample(const std::vector<float>& in, int inRate, int outRate);

} // namespace lumivox
