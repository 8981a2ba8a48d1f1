#include "retrypauses.h"

#include <algorithm>

RetryPauses::RetryPauses(int firstMs, int longestMs)
    : m_firstMs(std::max(1, firstMs)), m_longestMs(std::max(m_firstMs, longestMs))
{
}

int RetryPauses::afterFailure()
{
    // Doubled in 64 bits: a longest pause near the int range never wraps.
    m_currentMs = m_currentMs == 0 ? m_firstMs : int(std::min<long long>(2LL * m_currentMs, m_longestMs));
    return m_currentMs;
}
