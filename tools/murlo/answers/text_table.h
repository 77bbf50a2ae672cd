// Aligned text tables for the terminal: columns line up by display width,
// so Chinese station names (two columns a character) stay in their columns,
// and control characters in the cells show escaped (visible_text.h).
#ifndef MURLO_TOOLS_MURLO_ANSWERS_TEXT_TABLE_H_
#define MURLO_TOOLS_MURLO_ANSWERS_TEXT_TABLE_H_

#include <ostream>
#include <string>
#include <vector>

namespace murlo::tool {

enum class Align { kLeft, kRight };

struct TableColumn {
  std::string header;
  Align align = Align::kLeft;
};

class TextTable {
 public:
  explicit TextTable(std::vector<TableColumn> columns);

  // One row, a cell per column (missing cells are empty, extra ones dropped),
  // each shown as visibleText() shows it.
  void addRow(std::vector<std::string> cells);
  std::size_t rowCount() const { return rows_.size(); }

  // The header line, a line of dashes under each header, then the rows.
  // Columns are two spaces apart; no line ends in blanks.
  void print(std::ostream& out) const;

 private:
  void printLine(std::ostream& out, const std::vector<std::string>& cells,
                 const std::vector<std::size_t>& widths) const;

  std::vector<TableColumn> columns_;
  std::vector<std::vector<std::string>> rows_;
};

}  // namespace murlo::tool

#endif  // MURLO_TOOLS_MURLO_ANSWERS_TEXT_TABLE_H_
