// The page order of merged sheets from their names, and which names count as page numbers.
#include <gmock/gmock.h>

#include "report/generation/unification.h"

namespace {

using Names = std::vector<std::string>;
using Order = std::vector<size_t>;

TEST(MergedSheetNumber, OnlyTheSystemsOwnSheetNamesCount) {
    const std::vector<std::pair<std::string, int>> cases = {
        {"Лист1", 1}, {"Лист12", 12}, {"Лист2147483647", 2147483647}, {"Лист2147483648", 0},
        {"Лист0", 0}, {"Лист01", 0}, {"Лист", 0}, {"Лист-1", 0}, {"Лист+1", 0}, {"Лист 1", 0},
        {"Лист1а", 0}, {"лист1", 0}, {"1", 0}, {"", 0}, {"Лис", 0},
    };
    for (const auto& [name, number] : cases) EXPECT_EQ(MergedSheetNumber(name), number) << name;
}

TEST(MergedSheetOrder, NamesDecideOnlyWhenTheyNumberEveryPageOnce) {
    const std::vector<std::pair<Names, Order>> cases = {
        {{}, {}},
        {{"Лист1"}, {0}},
        {{"Лист1", "Лист2", "Лист3"}, {0, 1, 2}},
        {{"Лист3", "Лист1", "Лист2"}, {1, 2, 0}},
        {{"Лист2", "Лист1", "Лист4", "Лист3"}, {1, 0, 3, 2}},
        // a gap, a repeat, a number past the count, another name, no name: the order stays
        {{"Лист1", "Лист3", "Лист4"}, {0, 1, 2}},
        {{"Лист2", "Лист2", "Лист1"}, {0, 1, 2}},
        {{"Лист2", "Лист1", "Лист9"}, {0, 1, 2}},
        {{"Обложка", "Лист1", "Лист2"}, {0, 1, 2}},
        {{"Лист2", "", "Лист1"}, {0, 1, 2}},
        {{"Лист01", "Лист2"}, {0, 1}},
    };
    for (const auto& [names, order] : cases) {
        const Order got = MergedSheetOrder(names);
        EXPECT_EQ(got, order) << ::testing::PrintToString(names);
        // Every page exactly once.
        Order sorted = got;
        std::sort(sorted.begin(), sorted.end());
        for (size_t i = 0; i < sorted.size(); ++i) EXPECT_EQ(sorted[i], i);
    }
}

}  // namespace
