#pragma once
// The sender's pauses between tries: the first pause after a failure, then
// twice the one before, never above the longest; a success starts again
// from the first. Plain arithmetic, no timer:
//
//     RetryPauses pauses;                   // the instrument's: 1 s up to 3 minutes
//     timer.start(pauses.afterFailure());   // 1 s, 2 s, 4 s, ... 180 s, 180 s
//     pauses.afterSuccess();                // the next failure waits 1 s again

class RetryPauses {
public:
    explicit RetryPauses(int firstMs = 1000, int longestMs = 180000);
    // The pause to wait before the next try, in milliseconds.
    int afterFailure();
    void afterSuccess() { m_currentMs = 0; }
    int firstMs() const { return m_firstMs; }
    int longestMs() const { return m_longestMs; }

private:
    int m_firstMs;
    int m_longestMs;
    int m_currentMs = 0; // 0: no failure since the last success
};
