#include "core/session/session_table.h"

#include "core/platform/error.h"
#include "core/platform/text/letter_case.h"
#include "core/session/conversions.h"

namespace xkm {
namespace {

Error ItemNotFound() {
  return Error(platform_error::kItemNotFound,
               "Item cannot be found in the collection corresponding to the requested name or "
               "ordinal.",
               "SessionTable");
}

const std::vector<size_t>& NoRows() {
  static const std::vector<size_t> none;
  return none;
}

}  // namespace

SessionTable::SessionTable(std::vector<std::string> columnNames)
    : columns_(std::move(columnNames)) {}

void SessionTable::addColumn(std::string name) {
  columns_.push_back(std::move(name));
  for (Row& r : rows_) r.resize(columns_.size());
}

size_t SessionTable::columnIndex(std::string_view name) const {
  for (size_t i = 0; i < columns_.size(); ++i)
    if (EqualsIgnoringCase(columns_[i], name)) return i;
  throw ItemNotFound();
}

size_t SessionTable::appendRow() {
  rows_.emplace_back(columns_.size());
  // A new row's name is null, which no lookup finds: the index stays right.
  return rows_.size() - 1;
}

void SessionTable::checkColumn(size_t column) const {
  if (column >= columns_.size()) throw ItemNotFound();
}

void SessionTable::setField(size_t row, size_t column, std::string value) {
  checkColumn(column);
  Field& target = rows_.at(row)[column];
  if (column == 0 && nameIndex_) {
    // Naming the newest row keeps the index in row order; anything else rebuilds it.
    if (row + 1 == rows_.size() && !target)
      (*nameIndex_)[NameKey(value)].push_back(row);
    else
      nameIndex_.reset();
  }
  target = std::move(value);
}

const SessionTable::Field& SessionTable::field(size_t row, size_t column) const {
  checkColumn(column);
  return rows_.at(row)[column];
}

std::string SessionTable::text(size_t row, size_t column) const {
  const Field& f = field(row, column);
  return f ? *f : std::string();
}

std::string SessionTable::NameKey(std::string_view name) {
  return ToUpperCase(TrimTrailingBlanks(name));
}

const std::vector<size_t>& SessionTable::rowsNamed(std::string_view name) const {
  if (columns_.empty()) return NoRows();
  if (!nameIndex_) {
    auto& index = nameIndex_.emplace();
    for (size_t i = 0; i < rows_.size(); ++i)
      if (rows_[i][0]) index[NameKey(*rows_[i][0])].push_back(i);
  }
  auto it = nameIndex_->find(NameKey(name));
  return it == nameIndex_->end() ? NoRows() : it->second;
}

void SessionTable::clear() {
  rows_.clear();
  nameIndex_.reset();
}

}  // namespace xkm
