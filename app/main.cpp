#include "startup.h"

int main(int argc, char **argv)
{
    StartupHooks hooks;
    return runZpvwApplication(argc, argv, hooks);
}
