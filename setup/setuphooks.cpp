#include "setuphooks.h"

namespace SetupHooks {
std::function<void()> setupPaceTimer;

void callSetupPaceTimer()
{
    if (setupPaceTimer)
        setupPaceTimer();
}
} // namespace SetupHooks
