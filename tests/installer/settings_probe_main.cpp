// Prints the channel and sub-channel that AppSettings reads from this program's own file name,
// one per line (UTF-8); the tests run copies of it under different names.
#include "AppSettings.h"
#include "StringConvert.h"

#include <cstdio>

int main()
{
    AppSettings* settings = AppSettings::Instance();
    std::printf("%s\n%d\n", WideToUtf8(settings->GetChannel()).c_str(), settings->GetSubChannel());
    return 0;
}
