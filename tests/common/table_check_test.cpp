// The compile-time table checks: each one must catch the fault it is there for, or the
// static_asserts beside the tables would pass over a duplicate or a misplaced row.
#include "common/table_check.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

#include "mif/operator_table.h"
#include "reader/command_table.h"
#include "reader/package_table.h"

namespace pendra::tables {
namespace {

struct Row {
  const char* name;
  int code;
};

constexpr const char* nameOf(const Row& row) {
  return row.name;
}
constexpr int codeOf(const Row& row) {
  return row.code;
}

TEST(TableCheck, DuplicateNamesAreCountedWhereverTheyStand) {
  constexpr Row unique[] = {{"\\alpha", 0}, {"\\beta", 1}, {"\\Alpha", 2}, {"\\al", 3}};
  static_assert(duplicateNames(unique, nameOf) == 0);
  constexpr Row twice[] = {{"\\perp", 0}, {"\\beta", 1}, {"\\gamma", 2}, {"\\perp", 3}};
  static_assert(duplicateNames(twice, nameOf) == 1);
  constexpr Row thrice[] = {{"x", 0}, {"x", 1}, {"y", 2}, {"x", 3}, {"y", 4}};
  EXPECT_EQ(duplicateNames(thrice, nameOf), 3u);
  // Upper-half bytes compare as unsigned: two different ones are not taken for one.
  constexpr Row high[] = {{"\xA1", 0}, {"\xFF", 1}, {"!", 2}};
  EXPECT_EQ(duplicateNames(high, nameOf), 0u);
}

TEST(TableCheck, OutOfOrderRowsAreFoundCaseBlind) {
  constexpr Row ordered[] = {{"AAA", 0}, {"AFrame", 1}, {"Angle", 2}, {"Char", 3}, {"Char", 4}};
  static_assert(firstOutOfOrder(ordered, nameOf) == 5);
  constexpr Row swapped[] = {{"AAA", 0}, {"Angle", 1}, {"AFrame", 2}, {"ZZZ", 3}};
  EXPECT_EQ(firstOutOfOrder(swapped, nameOf), 2u);
  constexpr Row prefix[] = {{"Pgf", 0}, {"PgfTag", 1}, {"Pg", 2}};
  EXPECT_EQ(firstOutOfOrder(prefix, nameOf), 2u);
}

TEST(TableCheck, RowsAwayFromTheirCodeAndEmptyRowsAreFound) {
  constexpr Row placed[] = {{"a", 0}, {"b", 1}, {"c", 2}};
  static_assert(firstMisplacedCode(placed, codeOf) == 3);
  constexpr Row gap[] = {{"a", 0}, {"c", 2}, {"b", 1}};
  EXPECT_EQ(firstMisplacedCode(gap, codeOf), 1u);
  // A table given fewer rows than its declared count is filled up with empty rows.
  constexpr Row shortTable[4] = {{"a", 0}, {"b", 1}};
  EXPECT_EQ(unfilledRows(shortTable, nameOf), 2u);
  EXPECT_EQ(unfilledRows(placed, nameOf), 0u);
}

// The tables are sized from their rows: the counts that code relies on follow from the data.
TEST(TableCheck, TheBuiltinTablesHoldTheirRows) {
  EXPECT_EQ(reader::kMainCommands.size(), 683u);
  EXPECT_EQ(reader::kCharCommands.size(), 15u + 95u);
  EXPECT_EQ(mif::kMifOperators[mif::kMifOperatorCount - 1].code,
            static_cast<std::uint32_t>(mif::Op::ZZZ));
}

// A name stands in one table only: in the main table or in one package's rows (two packages may
// share a table of rows). Otherwise the row a document gets would follow the order of its
// \usepackage lines. The classes name only packages that have rows.
TEST(TableCheck, APackageCommandStandsInNoOtherTable) {
  std::set<std::string> names;
  for (const reader::BuiltinCommand& row : reader::kMainCommands) names.insert(row.name);
  std::set<const reader::BuiltinCommand*> seen;
  for (const reader::PackageRows& package : reader::kPackages) {
    if (!seen.insert(package.rows.data()).second) continue;
    for (const reader::BuiltinCommand& row : package.rows)
      EXPECT_TRUE(names.insert(row.name).second) << row.name << " of " << package.name;
  }
  auto known = [](const std::string& name) {
    for (const reader::PackageRows& package : reader::kPackages)
      if (name == package.name) return true;
    return false;
  };
  for (const reader::ClassPackages& row : reader::kClassPackages) {
    std::stringstream list(row.packages);
    for (std::string name; std::getline(list, name, ',');) EXPECT_TRUE(known(name)) << name;
  }
  for (const reader::PackageRows& package : reader::kPackages) {
    std::stringstream list(package.alsoLoads);
    for (std::string name; std::getline(list, name, ',');) EXPECT_TRUE(known(name)) << name;
  }
}

}  // namespace
}  // namespace pendra::tables
