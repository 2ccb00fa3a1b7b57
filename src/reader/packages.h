// Loading packages: entering a package's command rows into the symbol table.
#pragma once

#include <cstddef>
#include <string_view>

namespace pendra::reader {

// Bounds the packages one load pulls in through alsoLoads.
constexpr int kPackageLoadDepthMax = 8;
// Characters kept of the list of names in one \usepackage.
constexpr std::size_t kPackageListMax = 4095;

// Forgets which packages are loaded (part of the symbol table's reset).
void initPackages();
// %K: \usepackage[options]{a,b}[version] and \RequirePackage: loads each package named.
void usePackageProc();
// Enters the rows of the package `name` and of the packages it loads, once per conversion; a
// name with no table of rows is passed over. Rows whose name is already defined are not entered.
void loadPackage(std::string_view name);
// Loads the packages the class `name` loads itself.
void loadClassPackages(std::string_view name);

}  // namespace pendra::reader
