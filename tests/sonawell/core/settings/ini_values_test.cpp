#include "core/settings/ini_values.h"

#include <gtest/gtest.h>

namespace {

QString S(const char* text) {
    return QString::fromUtf8(text);
}

TEST(StoredValueTest, TrimAtNullCutsAtTheFirstNul) {
    EXPECT_EQ(trimAtNull(QStringLiteral("ab\0cd\0")), S("ab"));
    EXPECT_EQ(trimAtNull(QStringLiteral("\0ab")), QString());
    EXPECT_EQ(trimAtNull(S("no nul")), S("no nul"));
}

}  // namespace
