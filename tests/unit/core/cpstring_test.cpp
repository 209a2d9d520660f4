#include "core/cpstring.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "core/heapstring.h"

namespace {

TEST(cpStringTest, DecimalText) {
  const struct {
    int value;
    const char* text;
  } cases[] = {{0, "0"}, {-5, "-5"}, {404, "404"}, {INT_MIN, "-2147483648"}, {INT_MAX, "2147483647"}};
  for (const auto& c : cases) EXPECT_EQ(cpString(c.value), c.text);
}

TEST(cpStringTest, BehavesAsStandardString) {
  cpString message("Could not connect ");
  message += cpString(12029);
  EXPECT_EQ(message, "Could not connect 12029");
  cpString copy = message;
  message = "other";
  EXPECT_EQ(copy, "Could not connect 12029");
  EXPECT_EQ(cpString(nullptr), "");
}

TEST(cpStringTest, AssignTextCopiesOrTakesOver) {
  cpString text("old");
  const char* kept = "kept by caller";
  EXPECT_TRUE(text.AssignText(kept, true));
  EXPECT_EQ(text, kept);

  // Handed over: released after the copy (the leak checker would notice).
  char* handedOver = FormatString("%s", "heap text");
  EXPECT_TRUE(text.AssignText(handedOver, false));
  EXPECT_EQ(text, "heap text");

  EXPECT_TRUE(text.AssignText(nullptr, false));
  EXPECT_EQ(text, "");
}

}  // namespace
