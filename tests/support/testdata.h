#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace thornvale::test {

// The fixture pages of tests/data, wherever the build was configured from.
std::filesystem::path TestDataDir();
std::filesystem::path TestDataPath(std::string_view name);

// A fixture's bytes as they are on disk; empty when the file cannot be read.
std::string ReadTestData(std::string_view name);

} // namespace thornvale::test
