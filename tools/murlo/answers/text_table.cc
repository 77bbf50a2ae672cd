#include "answers/text_table.h"

#include <algorithm>
#include <utility>

#include "answers/display_width.h"
#include "answers/visible_text.h"

namespace murlo::tool {

TextTable::TextTable(std::vector<TableColumn> columns) : columns_(std::move(columns)) {}

void TextTable::addRow(std::vector<std::string> cells) {
  cells.resize(columns_.size());
  for (std::string& cell : cells) cell = visibleText(cell);
  rows_.push_back(std::move(cells));
}

void TextTable::print(std::ostream& out) const {
  std::vector<std::size_t> widths;
  std::vector<std::string> headers;
  for (const TableColumn& column : columns_) {
    widths.push_back(displayWidth(column.header));
    headers.push_back(column.header);
  }
  for (const auto& row : rows_) {
    for (std::size_t c = 0; c < row.size(); ++c)
      widths[c] = std::max(widths[c], displayWidth(row[c]));
  }
  std::vector<std::string> rules;  // none under a column without a header
  for (std::size_t c = 0; c < widths.size(); ++c) {
    rules.emplace_back(columns_[c].header.empty() ? 0 : widths[c], '-');
  }

  printLine(out, headers, widths);
  printLine(out, rules, widths);
  for (const auto& row : rows_) printLine(out, row, widths);
}

void TextTable::printLine(std::ostream& out, const std::vector<std::string>& cells,
                          const std::vector<std::size_t>& widths) const {
  std::string line;
  for (std::size_t c = 0; c < cells.size(); ++c) {
    if (c > 0) line += "  ";
    const std::string padding(widths[c] - displayWidth(cells[c]), ' ');
    if (columns_[c].align == Align::kRight) {
      line += padding + cells[c];
    } else {
      line += cells[c] + padding;
    }
  }
  line.erase(line.find_last_not_of(' ') + 1);
  out << line << '\n';
}

}  // namespace murlo::tool
