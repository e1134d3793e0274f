#include "service/options.h"

#include <gtest/gtest.h>

#include <vector>

namespace quelmarn::service {
namespace {

struct OptionsCase {
    std::vector<std::string_view> arguments;
    Command command;
    std::string host;
    int port;
    std::optional<std::string> database;
    std::string csvFile;
};

TEST(OptionsTest, ReadsValidCommandLines) {
    const OptionsCase cases[] = {
        {{}, Command::kServe, "127.0.0.1", 47180, std::nullopt, ""},
        {{"--port", "0", "--host", "::1"}, Command::kServe, "::1", 0, std::nullopt, ""},
        {{"--port=8080", "--database=/d.db"}, Command::kServe, "127.0.0.1", 8080, "/d.db", ""},
        {{"import", "in.csv"}, Command::kImport, "127.0.0.1", 47180, std::nullopt, "in.csv"},
        {{"--database", "x.db", "import", "in.csv"},
         Command::kImport,
         "127.0.0.1",
         47180,
         "x.db",
         "in.csv"},
        {{"--help", "--verbose"}, Command::kHelp, "127.0.0.1", 47180, std::nullopt, ""},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto parsed = parseOptions(cases[i].arguments);
        ASSERT_TRUE(std::holds_alternative<Options>(parsed)) << "case " << i;
        const auto& options = std::get<Options>(parsed);
        EXPECT_EQ(options.command, cases[i].command) << "case " << i;
        EXPECT_EQ(options.host, cases[i].host) << "case " << i;
        EXPECT_EQ(options.port, cases[i].port) << "case " << i;
        EXPECT_EQ(options.database, cases[i].database) << "case " << i;
        EXPECT_EQ(options.csvFile, cases[i].csvFile) << "case " << i;
    }
}

TEST(OptionsTest, RefusesInvalidCommandLines) {
    const std::vector<std::vector<std::string_view>> cases = {
        {"--port", "65536"},
        {"--port", "-1"},
        {"--port", "12x"},
        {"--port"},
        {"--database"},
        {"--verbose"},
        {"serve"},
        {"import"},
        {"import", "a.csv", "b.csv"},
        {"import", "a.csv", "--port", "1"},
    };
    for (const auto& arguments : cases) {
        EXPECT_TRUE(std::holds_alternative<std::string>(parseOptions(arguments)))
            << arguments.front() << " ...";
    }
}

}  // namespace
}  // namespace quelmarn::service
