#pragma once
// Checks rows written for a MagIC table against the published data model
// (data_model.json): every column exists in the table with the unit we say,
// and every number fits the column's type and its min and max validations.

#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "MagicTestTables.h"
#include "magic/MagicSpecimens.h"
#include "magic/MagicTable.h"

namespace magictest {

inline void ExpectRowsMatchDataModel(const std::string& table, const std::vector<korvanes::magic::SpecimenColumn>& columns,
                                     const std::vector<std::vector<std::string>>& rows)
{
    std::ifstream in(DataFile("data_model.json"));
    const nlohmann::json model = nlohmann::json::parse(in, nullptr, true, true);
    const nlohmann::json& definitions = model.at("tables").at(table).at("columns");
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const korvanes::magic::SpecimenColumn& column = columns[c];
        SCOPED_TRACE(table + "." + std::string(column.name));
        ASSERT_TRUE(definitions.contains(std::string(column.name)));
        const nlohmann::json& definition = definitions.at(std::string(column.name));
        EXPECT_EQ(column.unit, definition.value("unit", ""));
        const std::string type = definition.at("type");
        for (const std::vector<std::string>& row : rows) {
            ASSERT_EQ(row.size(), columns.size());
            const std::string& cell = row.at(c);
            if (cell.empty() || (type != "Number" && type != "Integer")) {
                continue;
            }
            const std::optional<double> value = korvanes::magic::ParseNumber(cell);
            ASSERT_TRUE(value.has_value()) << cell;
            if (type == "Integer") {
                EXPECT_EQ(cell.find_first_not_of("-0123456789"), std::string::npos) << cell;
            }
            for (const std::string& rule : definition.value("validations", std::vector<std::string>{})) {
                if (rule.rfind("min(", 0) == 0) {
                    EXPECT_GE(*value, std::stod(rule.substr(4))) << rule;
                } else if (rule.rfind("max(", 0) == 0) {
                    EXPECT_LE(*value, std::stod(rule.substr(4))) << rule;
                }
            }
        }
    }
}

}  // namespace magictest
