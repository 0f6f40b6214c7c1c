// The main() of every test executable: GoogleTest, with the program's resources
// (linked into the test executable) as the application instance.
#include <windows.h>

#include <gtest/gtest.h>

#include "common/setup_context.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    g_setup.appInstance = GetModuleHandleA(nullptr);
    return RUN_ALL_TESTS();
}
