#include <limits>

#include "profiles/json_access.h"
#include "profile_test_util.h"

namespace kavro::profiles::json {
namespace {

TEST(JsonAccess, WrongTypesReadAsFallbacksWithoutThrowing) {
  const Json::Value values[] = {Json::Value("text"), Json::Value(Json::arrayValue), Json::Value(Json::objectValue),
                                Json::Value(), test::parse("[1,2]"), test::parse("{\"a\":{}}")};
  for (const auto& v : values) {
    EXPECT_NO_THROW({
      EXPECT_TRUE(member(v, "a").isNull() || v.isObject());
      EXPECT_TRUE(element(v, 0).isNull() || v.isArray());
      if (!v.isArray()) {
        EXPECT_EQ(arraySize(v), 0u);
      }
    });
    if (!v.isNumeric()) {
      EXPECT_EQ(toInt(v), 0);
      EXPECT_FALSE(toBool(v));
    }
  }
  EXPECT_EQ(toString(Json::Value(5)), "");
  EXPECT_EQ(toInt(test::parse("{\"a\":1}")), 0);
  EXPECT_TRUE(element(test::parse("[1]"), 7).isNull());
}

TEST(JsonAccess, NumbersConvertByTruncationAndSaturation) {
  EXPECT_EQ(toByte(Json::Value(0x1234)), 0x34);
  EXPECT_EQ(toUInt16(Json::Value(70000)), 70000 - 65536);
  EXPECT_EQ(toInt(Json::Value(3.9)), 3);
  EXPECT_EQ(toInt(Json::Value(true)), 1);
  EXPECT_EQ(toInt(Json::Value(Json::Int64{1} << 40)), std::numeric_limits<int>::max());
  EXPECT_EQ(toInt(Json::Value(1e300)), 0);
  EXPECT_EQ(toInt(Json::Value(std::numeric_limits<double>::quiet_NaN())), 0);
  EXPECT_EQ(toUInt32(Json::Value(Json::UInt64{0xFFFFFFFFFFFFFFFFull})), 0xFFFFFFFFu);
  EXPECT_TRUE(toBool(Json::Value(5)));
  EXPECT_TRUE(toBool(Json::Value(0.5)));
  EXPECT_FALSE(toBool(Json::Value(0)));
}

TEST(JsonAccess, InvalidUtf8IsReplaced) {
  EXPECT_EQ(sanitizeUtf8("plain ascii"), "plain ascii");
  EXPECT_EQ(sanitizeUtf8("中文"), "中文");
  EXPECT_EQ(sanitizeUtf8("a\xFF" "b"), "a\xEF\xBF\xBD" "b");
  EXPECT_EQ(sanitizeUtf8("\xC0\xAF"), "\xEF\xBF\xBD\xEF\xBF\xBD");   // overlong '/'
  EXPECT_EQ(sanitizeUtf8("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");  // surrogate
  EXPECT_EQ(sanitizeUtf8("\xE4\xB8"), "\xEF\xBF\xBD\xEF\xBF\xBD");   // cut short
  EXPECT_EQ(toString(Json::Value("x\x80y")), "x\xEF\xBF\xBDy");
}

TEST(JsonAccess, SlotsTurnWrongTypesIntoContainers) {
  Json::Value v("text");
  slot(v, "a") = 1;
  EXPECT_EQ(v["a"].asInt(), 1);
  Json::Value w(Json::objectValue);
  slot(w, Json::ArrayIndex{2}) = 3;
  ASSERT_TRUE(w.isArray());
  EXPECT_EQ(w.size(), 3u);
}

}  // namespace
}  // namespace kavro::profiles::json
