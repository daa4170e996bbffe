#include "support/testdata.h"

#include <fstream>
#include <iterator>

namespace thornvale::test {

std::filesystem::path TestDataDir()
{
    return std::filesystem::path(THORNVALE_TEST_DATA);
}

std::filesystem::path TestDataPath(std::string_view name)
{
    return TestDataDir() / std::filesystem::path(name);
}

std::string ReadTestData(std::string_view name)
{
    std::ifstream in(TestDataPath(name), std::ios::binary);
    if (!in)
        return {};
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace thornvale::test
