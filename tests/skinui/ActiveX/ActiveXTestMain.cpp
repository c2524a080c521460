#include <gtest/gtest.h>

#include <ole2.h>

// Hosting needs OLE on the UI thread, as the application's window mode sets it up.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (FAILED(::OleInitialize(nullptr))) return 2;
    const int result = RUN_ALL_TESTS();
    ::OleUninitialize();
    return result;
}
