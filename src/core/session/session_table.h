#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace xkm {

// An in-memory table of text rows over named columns. A field never written is
// null (std::nullopt); readers take null as the empty text. Rows stay in the
// order they were appended. Column 0 is the row's name: `rowsNamed` finds the
// rows carrying a name, comparing without regard to case and ignoring
// trailing blanks (the fixed-width text fields the design assumes pad with
// them). Values of any length are stored whole.
class SessionTable {
 public:
  using Field = std::optional<std::string>;
  using Row = std::vector<Field>;

  SessionTable() = default;
  explicit SessionTable(std::vector<std::string> columnNames);

  void addColumn(std::string name);
  const std::vector<std::string>& columns() const { return columns_; }
  size_t columnCount() const { return columns_.size(); }
  // Column number for a name compared without regard to case; throws
  // the "item not found" error when there is none.
  size_t columnIndex(std::string_view name) const;

  size_t rowCount() const { return rows_.size(); }
  const Row& row(size_t index) const { return rows_.at(index); }
  const std::vector<Row>& rows() const { return rows_; }

  // Appends a row of null fields and returns its index.
  size_t appendRow();
  // Throws the "item not found" error for a column the table does not have.
  void setField(size_t row, size_t column, std::string value);
  const Field& field(size_t row, size_t column) const;
  // The field as text, null as empty.
  std::string text(size_t row, size_t column) const;

  // Indexes of the rows whose column 0 equals `name` (see above), in order.
  const std::vector<size_t>& rowsNamed(std::string_view name) const;

  void clear();  // drops the rows, keeps the columns

 private:
  void checkColumn(size_t column) const;
  static std::string NameKey(std::string_view name);

  std::vector<std::string> columns_;
  std::vector<Row> rows_;
  // Lazily built index over column 0; dropped whenever a name changes.
  mutable std::optional<std::unordered_map<std::string, std::vector<size_t>>> nameIndex_;
};

}  // namespace xkm
