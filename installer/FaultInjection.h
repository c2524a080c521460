#pragma once

// Places where the test build of the installer can be made to fail on purpose, so that its crash
// and error paths can be run end to end. The program's own build links an implementation that does
// nothing (NoFaultInjection.cpp).
enum class FaultPlace {
    Startup,         // in AppMain, once logging is set up
    ResultHandling,  // in the silent installation's handling of the download result
    ResultDelivery,  // in the silent installation's result callback, before the result is handled
};

void InjectFault(FaultPlace place);
