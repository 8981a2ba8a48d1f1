#include "sedimentsuggest.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

struct WindowSample {
    int index;
    int32_t depth;
    double value;
};

// Median of a sorted, non-empty vector.
double sortedMedian(const std::vector<double> &v)
{
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

double absDeviation(const std::vector<double> &sorted, double centre)
{
    double s = 0.0;
    for (double x : sorted)
        s += std::fabs(x - centre);
    return s;
}

void insertSorted(std::vector<double> &v, double x)
{
    v.insert(std::upper_bound(v.begin(), v.end(), x), x);
}

// For every prefix length k = 1 .. n of values: its median and the sum of
// absolute deviations from it. Each step keeps the prefix sorted, so the whole
// sweep costs O(n^2) in the worst case: fine for the few hundred samples of
// the bottom metres (the window is bounded).
void prefixCosts(const std::vector<double> &values, std::vector<double> &median, std::vector<double> &cost)
{
    const size_t n = values.size();
    median.assign(n + 1, 0.0);
    cost.assign(n + 1, 0.0);
    std::vector<double> sorted;
    sorted.reserve(n);
    for (size_t k = 1; k <= n; ++k) {
        insertSorted(sorted, values[k - 1]);
        median[k] = sortedMedian(sorted);
        cost[k] = absDeviation(sorted, median[k]);
    }
}

double ramp(double x, double lo, double hi)
{
    if (!(hi > lo))
        return x >= hi ? 1.0 : 0.0;
    return std::clamp((x - lo) / (hi - lo), 0.0, 1.0);
}

} // namespace

int32_t thicknessForDepth(int maxDepth, int32_t depth)
{
    // 64 bits: a depth read from a damaged file must not overflow.
    return int32_t((int64_t(maxDepth) - depth) / 10);
}

SedimentSuggestion suggestSedimentInterface(const QVector<Sample> &samples, int maxDepth, int moveDistance,
                                            const SedimentSuggestOptions &options)
{
    SedimentSuggestion out;
    // Coarse sampling still needs a handful of samples above the sediment.
    const int64_t window = std::max<int64_t>(options.windowMm, 6 * int64_t(std::max(moveDistance, 0)));
    const int64_t top = int64_t(maxDepth) - window;

    std::vector<WindowSample> w;
    for (int i = 0; i < samples.size(); ++i) {
        const Sample &s = samples.at(i);
        if (!std::isfinite(s.resistivity) || s.depth < top)
            continue;
        w.push_back({i, s.depth, double(s.resistivity)});
    }
    // Deepest first; samples at one depth stay in list order.
    std::stable_sort(w.begin(), w.end(), [](const WindowSample &a, const WindowSample &b) { return a.depth > b.depth; });
    if (options.maxWindowSamples > 0 && int(w.size()) > options.maxWindowSamples)
        w.resize(size_t(options.maxWindowSamples));

    const int minUpper = std::max(1, options.minUpperSamples);
    const int minLower = std::max(1, options.minLowerSamples);
    const int n = int(w.size());
    if (n < minUpper + minLower)
        return out;

    std::vector<double> down(static_cast<size_t>(n)), up(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        down[size_t(i)] = w[size_t(i)].value;
        up[size_t(i)] = w[size_t(n - 1 - i)].value;
    }
    std::vector<double> lowMedian, lowCost, upMedian, upCost;
    prefixCosts(down, lowMedian, lowCost); // lower part: the k deepest samples
    prefixCosts(up, upMedian, upCost);     // upper part: the n - k others

    int best = -1;
    double bestCost = std::numeric_limits<double>::infinity();
    for (int k = minLower; k <= n - minUpper; ++k) {
        const double c = lowCost[size_t(k)] + upCost[size_t(n - k)];
        if (c < bestCost) {
            bestCost = c;
            best = k;
        }
    }
    if (best < 0)
        return out;

    const double lower = lowMedian[size_t(best)];
    const double upper = upMedian[size_t(n - best)];
    std::vector<double> dev;
    dev.reserve(size_t(n));
    for (int i = 0; i < n; ++i)
        dev.push_back(std::fabs(down[size_t(i)] - (i < best ? lower : upper)));
    std::nth_element(dev.begin(), dev.begin() + n / 2, dev.end());
    double noise = 1.4826 * dev[size_t(n / 2)];
    // The deviations from the two fitted levels understate the noise when
    // there are few samples (the split is chosen to make them small): the
    // differences between neighbours within each part do not, so the larger
    // of the two estimates counts.
    std::vector<double> steps;
    steps.reserve(size_t(n));
    for (int i = 1; i < n; ++i) {
        if (i != best)
            steps.push_back(std::fabs(down[size_t(i)] - down[size_t(i - 1)]));
    }
    if (!steps.empty()) {
        std::nth_element(steps.begin(), steps.begin() + steps.size() / 2, steps.end());
        noise = std::max(noise, 1.4826 * steps[steps.size() / 2] / std::sqrt(2.0));
    }
    // Noise-free data: measure the step against the levels' own precision.
    const double floor = 1e-6 * std::max({std::fabs(lower), std::fabs(upper), 1e-6});
    noise = std::max(noise, floor);
    const double step = std::fabs(lower - upper);

    // Enough mud, over enough height, on a level of its own.
    const int upperCount = n - best;
    if (int64_t(w[size_t(best)].depth) - w[size_t(n - 1)].depth < options.minUpperSpanMm)
        return out;
    const int third = std::max(1, upperCount / 3);
    std::vector<double> deepest(down.begin() + best, down.begin() + best + third);
    std::vector<double> shallowest(down.end() - third, down.end());
    std::sort(deepest.begin(), deepest.end());
    std::sort(shallowest.begin(), shallowest.end());
    if (std::fabs(sortedMedian(shallowest) - sortedMedian(deepest)) > options.plateauShare * step)
        return out;

    const WindowSample &interface = w[size_t(best - 1)];
    out.found = true;
    out.sampleIndex = interface.index;
    out.depth = interface.depth;
    out.thicknessCm = thicknessForDepth(maxDepth, interface.depth);
    out.stepToNoise = step / noise;
    out.confidence = ramp(out.stepToNoise, options.lowRatio, options.highRatio);
    out.lowerLevel = float(lower);
    out.upperLevel = float(upper);
    out.noise = noise;
    out.lowerSamples = best;
    out.upperSamples = n - best;
    return out;
}
