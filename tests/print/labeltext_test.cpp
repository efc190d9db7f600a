// The lines the "Fields to Include" items add to a label, read from a title through the
// field adapter, and the text of a spine label.
#include "labeltext.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace rk::print {
namespace {

int itemIndex(const char* caption) {
    const auto& items = labelFieldItems();
    for (int i = 0; i < kLabelFieldCount; ++i)
        if (QLatin1String(items[static_cast<size_t>(i)].caption) == QLatin1String(caption))
            return i;
    ADD_FAILURE() << "no item " << caption;
    return -1;
}

class LabelText : public ::testing::Test {
protected:
    std::map<std::string, QString> record{
        {"TITLE", "Casablanca"},
        {"ID", "T-0042"},
        {"CATEGORY", "Drama"},
        {"COUNTER", "0"},
        {"MULTI_SET", "T"},
        {"CLOSE_CAPT", "F"},
        {"SURROUND", ""},
        {"STAR1", "Humphrey Bogart"},
        {"STAR2", ""},
        {"STAR3", "Ingrid Bergman"},
        {"STAR4", "Paul Henreid "},
    };
    FieldText fields() const {
        return [this](std::string_view f) {
            const auto it = record.find(std::string(f));
            return it == record.end() ? QString() : it->second;
        };
    }
    QString lineOf(const char* caption) const {
        const LabelFieldLine l = labelFieldLine(itemIndex(caption), fields());
        EXPECT_TRUE(l.added()) << caption;
        return l.line;
    }
};

TEST_F(LabelText, ItemsGivePrefixAndValue) {
    EXPECT_EQ(lineOf("Category"), QStringLiteral("Category: Drama"));
    // The counter is added whatever it holds, and an empty field still gives its prefix.
    EXPECT_EQ(lineOf("Counter (if not 0000)"), QStringLiteral("Counter: 0"));
    EXPECT_EQ(lineOf("Director"), QStringLiteral("Director: "));
}

TEST_F(LabelText, LogicalFieldsReadYesOrNo) {
    EXPECT_EQ(lineOf("Multi_set of Tapes"), QStringLiteral("Multi_Set: Yes"));
    EXPECT_EQ(lineOf("Close Captioned"), QStringLiteral("CC: No"));
    EXPECT_EQ(lineOf("Surround Sound"), QStringLiteral("Surround: No")); // blank is false
    record["SURROUND"] = QStringLiteral("y");
    EXPECT_EQ(lineOf("Surround Sound"), QStringLiteral("Surround: Yes"));
}

TEST_F(LabelText, StarsJoinTheOnesThatAreThere) {
    EXPECT_EQ(lineOf("Stars"),
              QStringLiteral("Stars: Humphrey Bogart, Ingrid Bergman, Paul Henreid"));
    record["STAR3"].clear();
    record["STAR4"].clear();
    EXPECT_EQ(lineOf("Stars"), QStringLiteral("Stars: Humphrey Bogart"));
}

TEST_F(LabelText, NoFirstStarGivesTheMessageAndNoLine) {
    record["STAR1"] = QStringLiteral("   ");
    const LabelFieldLine l = labelFieldLine(itemIndex("Stars"), fields());
    EXPECT_FALSE(l.added());
    EXPECT_TRUE(l.line.isEmpty());
    EXPECT_EQ(l.refusal, QStringLiteral("There are no stars listed in this movie! What's up?"));
    EXPECT_FALSE(labelFieldLine(kLabelFieldCount, fields()).added());
}

TEST_F(LabelText, SpineHoldsTitleAndId) {
    EXPECT_EQ(spineLabelLines(fields()), QStringList({"Casablanca", "T-0042"}));
}

} // namespace
} // namespace rk::print
