#include "FaultInjection.h"

void InjectFault(FaultPlace) {}
