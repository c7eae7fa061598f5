// krnctl's JSON output stays JSON whatever the value and the locale.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "cli/json.h"

namespace {

TEST(Json, NumbersAndTextsAreAlwaysValidJson) {
    const std::pair<double, std::string> cases[] = {
        {1.5, "1.5"},
        {0.0, "0"},
        {-2.25, "-2.25"},
        {std::nan(""), "null"},
        {std::numeric_limits<double>::infinity(), "null"},
        {-std::numeric_limits<double>::infinity(), "null"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(cli::Json::object().add("v", value).str(), "{\"v\":" + text + "}") << value;
    // Texts are quoted and escaped.
    EXPECT_EQ(cli::Json::object().add("Nome", "a\"b\\c\n").str(), "{\"Nome\":\"a\\\"b\\\\c\\n\"}");
    EXPECT_EQ(cli::Json::array().push("x").push(std::int64_t{3}).str(), "[\"x\",3]");
}

}  // namespace
