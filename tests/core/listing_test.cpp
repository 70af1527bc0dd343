// The text listing's bytes.

#include <gtest/gtest.h>

#include "core/listing.h"
#include "tests/support/temp_store.h"

namespace shenbao::testing {
namespace {

const std::string kHeaderLine = Gbk("项目序号\t项目名称\t承担单位\t主管部门\t计划类别\t申请人\t省拨"
                                    "款(万元)\t申报时间\t项目领域\t") +
                                "\r\n";

TEST(Listing, TextHasNineFieldsAndNineTabsPerLine) {
    EXPECT_EQ(ListingText({}), kHeaderLine);
    ListRow row = {"IDNOTSHOWN", "1", Gbk("名称"), "unit", "", "", "", "3.5", "2001-07-16", "x"};
    ListRow empty;
    EXPECT_EQ(ListingText({row, empty}), kHeaderLine + "1\t" + Gbk("名称") +
                                             "\tunit\t\t\t\t3.5\t2001-07-16\tx\t\r\n" +
                                             "\t\t\t\t\t\t\t\t\t\r\n");
}

}  // namespace
}  // namespace shenbao::testing
