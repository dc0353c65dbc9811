#include "util/SystemError.h"

#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>

namespace celdara {
namespace {

TEST(SystemErrorTextTest, GivesTheLibraryText) {
    EXPECT_EQ(SystemErrorText(EACCES), std::strerror(EACCES));
    EXPECT_EQ(SystemErrorText(ENOENT), "No such file or directory");
}

TEST(SystemErrorTextTest, UnknownCodesGetAHexadecimalNumber) {
    EXPECT_EQ(SystemErrorText(0x7FFF0001), "Error 7FFF0001");
    EXPECT_EQ(SystemErrorText(-2), "Error FFFFFFFE");
    EXPECT_EQ(SystemErrorText(632), "Parameter dwSize of the passed structure is not filled.");
}

} // namespace
} // namespace celdara
