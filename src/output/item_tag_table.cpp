// Item tags by list environment and depth. Data only.
#include "common/table_check.h"
#include "output/lists.h"

namespace pendra::output {

// environment, depth (0: other depths), first item, other items, tabs after the label.
constexpr ItemTagRow kItemTags[kItemTagRowCount] = {
    {"enumerate", 2, "1StepLev2", "StepLev2", 1},
    {"enumerate", 3, "1StepLev3", "StepLev3", 1},
    {"enumerate", 0, "1Step", "Step", 1},
    {"itemize", 2, "Bullet2", "Bullet2", 0},
    {"itemize", 3, "Bullet3", "Bullet3", 0},
    {"itemize", 0, "Bullet", "Bullet", 0},
    {"description", 2, "HangIndent2", "HangIndent2", 1},
    {"description", 3, "HangIndent3", "HangIndent3", 1},
    {"description", 0, "HangIndent", "HangIndent", 1},
    {"list", 2, "HangIndent2", "HangIndent2", 1},
    {"list", 3, "HangIndent3", "HangIndent3", 1},
    {"list", 0, "HangIndent", "HangIndent", 1},
    {"trivlist", 2, "HangIndent2", "HangIndent2", 1},
    {"trivlist", 3, "HangIndent3", "HangIndent3", 1},
    {"trivlist", 0, "HangIndent", "HangIndent", 1},
    {"theindex", 0, "Index", "Index", 0},
};

namespace {
constexpr const char* rowName(const ItemTagRow& row) {
  return row.firstTag;
}
}  // namespace

// The count in the header is the number of rows: none left empty.
static_assert(tables::unfilledRows(kItemTags, rowName) == 0,
              "kItemTags has fewer rows than its count");

}  // namespace pendra::output
