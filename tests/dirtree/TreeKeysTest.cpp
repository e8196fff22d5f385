#include "dirtree/TreeKeys.h"

#include <QStringList>
#include <algorithm>
#include <gtest/gtest.h>

namespace vexel::dirtree {
namespace {

TEST(TreeKeys, FailureTextShowsTheCodeInUpperCaseHexadecimal)
{
    EXPECT_EQ(failureText("Protocol error", 71), "Protocol error: &H47");
    EXPECT_EQ(failureText("Permission denied", 13), "Permission denied: &HD");
    EXPECT_EQ(failureText("Operation not permitted", 1), "Operation not permitted: &H1");
}

TEST(TreeKeys, PlaceholderHasItsOwnKeyBelowTheParent)
{
    EXPECT_EQ(placeholderText.size(), 9);
    EXPECT_EQ(placeholderKey("/home/"), "/home/\\\\DUMMY\\\\/");
    EXPECT_EQ(childKey("/home/", "me"), "/home/me/");
}

TEST(TreeKeys, FoldersAreOrderedAlphabeticallyWithCaseAsTieBreak)
{
    QStringList names = {"beta", "Alpha", "alpha", "Gamma", "_x", "10", "9"};
    std::sort(names.begin(), names.end(), folderTextLess);
    EXPECT_EQ(names, (QStringList{"10", "9", "_x", "Alpha", "alpha", "beta", "Gamma"}));
}

} // namespace
} // namespace vexel::dirtree
