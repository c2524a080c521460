// The windows test program. The main window relaunches the program it runs in (this one) elevated
// with "-runasadmin": started so, the program stands in for the installer's elevated copy and only
// records how it was started, in the file named by TOLVAN_RELAUNCH_RECORD.
#include "LaunchRecord.h"

#include <gtest/gtest.h>

#include <cstring>

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "-runasadmin") == 0)
        return RecordLaunch(L"TOLVAN_RELAUNCH_RECORD");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
