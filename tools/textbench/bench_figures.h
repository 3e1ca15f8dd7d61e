// textbench's timing: a figure is the min and the median of 3 samples; a
// command is timed as a whole (its shell's start included).
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace textbench {

using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

struct Figure {
    double min = 0;
    double median = 0;
};

inline Figure Sample3(const std::function<double()>& sample)
{
    std::vector<double> values;
    for (int i = 0; i < 3; ++i)
        values.push_back(sample());
    std::sort(values.begin(), values.end());
    return {values[0], values[1]};
}

struct Row {
    std::string name;
    std::vector<Figure> figures;  // one per text
};

// The rows as a Markdown table under `title`, one column per text; a row
// named `countRow` holds counts, not times.
inline std::string FormatTable(const std::string& title, const std::vector<std::string>& columns,
                               const std::vector<Row>& rows, const std::string& countRow)
{
    std::string out = "| " + title + " |";
    for (const std::string& column : columns)
        out += " " + column + " |";
    out += "\n|---|";
    for (std::size_t i = 0; i < columns.size(); ++i)
        out += "---|";
    out += "\n";
    char cell[64];
    for (const Row& row : rows) {
        out += "| " + row.name + " |";
        for (const Figure& figure : row.figures) {
            if (row.name == countRow)
                std::snprintf(cell, sizeof cell, " %.0f |", figure.min);
            else
                std::snprintf(cell, sizeof cell, " %.2f / %.2f |", figure.min, figure.median);
            out += cell;
        }
        out += "\n";
    }
    return out;
}

// grep answers 1 when nothing matched: that is no failure.
inline double TimeCommand(const std::string& command)
{
    const auto start = Clock::now();
    const int status = std::system(command.c_str());
    const double seconds = Seconds(Clock::now() - start);
    if (status != 0 && command.find("grep") == std::string::npos)
        std::fprintf(stderr, "textbench: '%s' failed\n", command.c_str());
    return seconds;
}

}  // namespace textbench
