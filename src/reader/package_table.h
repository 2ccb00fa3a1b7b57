// The commands that packages define, as tables of their own beside the main command table.
//
// The main table holds what every document has (the kernel, and the commands that documents use
// without loading anything). A package's rows enter the symbol table when the document loads the
// package: \usepackage or \RequirePackage, another package that loads it, or a class that does.
// A document that defines a command of its own under a package's name, and does not load that
// package, keeps its own definition.
#pragma once

#include <cstddef>
#include <span>

#include "reader/command_table.h"

namespace pendra::reader {

struct PackageRows {
  const char* name;                      // the package's name, as \usepackage gives it
  std::span<const BuiltinCommand> rows;  // two packages may share one table of rows
  const char* alsoLoads;                 // packages it loads in turn, comma-separated, or ""
};

// The packages a class loads itself, comma-separated.
struct ClassPackages {
  const char* name;
  const char* packages;
};

extern const std::span<const PackageRows> kPackages;
extern const std::span<const ClassPackages> kClassPackages;

// The rows of the table and display-math packages (package_math_table.cpp), declared with their
// counts so that kPackageRows can name them in a constant expression.
constexpr std::size_t kBooktabsRowCount = 7;
constexpr std::size_t kLongtableRowCount = 4;
constexpr std::size_t kMultirowRowCount = 1;
constexpr std::size_t kArrayRowCount = 1;
constexpr std::size_t kAmsmathRowCount = 13;
constexpr std::size_t kAmsfontsRowCount = 2;
constexpr std::size_t kMathtoolsRowCount = 2;
extern const BuiltinCommand kBooktabsRows[kBooktabsRowCount];
extern const BuiltinCommand kLongtableRows[kLongtableRowCount];
extern const BuiltinCommand kMultirowRows[kMultirowRowCount];
extern const BuiltinCommand kArrayRows[kArrayRowCount];
extern const BuiltinCommand kAmsmathRows[kAmsmathRowCount];
extern const BuiltinCommand kAmsfontsRows[kAmsfontsRowCount];
extern const BuiltinCommand kMathtoolsRows[kMathtoolsRowCount];

}  // namespace pendra::reader
