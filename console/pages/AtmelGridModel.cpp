#include "pages/AtmelGridModel.h"

#include <algorithm>

namespace {

bool isHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

char hexDigit(int value) { return "0123456789ABCDEF"[value & 0xF]; }

}  // namespace

QString IntToHex(int value, int digits) {
  return QString::number(value, 16).toUpper().rightJustified(digits, '0');
}

AtmelGridModel::AtmelGridModel(QObject* parent) : QAbstractTableModel(parent) {}

void AtmelGridModel::layOut(int rows, int addressDigits) {
  beginResetModel();
  rows_ = std::max(rows, 1);
  addressDigits_ = addressDigits;
  cells_.assign(static_cast<size_t>(rows_ - 1) * 16, kBlank);
  endResetModel();
}

bool AtmelGridModel::isDataCell(int col, int row) const {
  return col >= 1 && col <= 16 && row >= 1 && row < rows_;
}

QString AtmelGridModel::cell(int col, int row) const {
  if (isDataCell(col, row)) {
    const Cell& c = at(col, row);
    return QString::fromLatin1(c.text, c.length);
  }
  if (row == 0 && col >= 1 && col <= 16) return IntToHex(col - 1, 2);
  if (col == 0 && row >= 1 && row < rows_) return IntToHex((row - 1) * 16, addressDigits_);
  return QString();
}

void AtmelGridModel::setCell(int col, int row, const QString& text) {
  if (!isDataCell(col, row)) return;
  const QByteArray bytes = text.left(2).toLatin1();
  Cell& c = at(col, row);
  c.length = static_cast<uint8_t>(bytes.size());
  std::copy(bytes.begin(), bytes.end(), c.text);
  const QModelIndex changed = index(row - 1, col - 1);
  emit dataChanged(changed, changed, {Qt::DisplayRole, Qt::EditRole});
}

void AtmelGridModel::clear() {
  std::fill(cells_.begin(), cells_.end(), kBlank);
  allChanged();
}

void AtmelGridModel::setBytes(int address, const std::vector<uint8_t>& bytes) {
  const size_t first = static_cast<size_t>(std::max(address, 0));
  for (size_t i = 0; i < bytes.size() && first + i < cells_.size(); ++i) {
    cells_[first + i] = Cell{{hexDigit(bytes[i] >> 4), hexDigit(bytes[i])}, 2};
  }
  allChanged();
}

bool AtmelGridModel::collectHex(std::string& text, int start, int end) const {
  for (int a = start; a <= end; ++a) {
    if (a < 0 || static_cast<size_t>(a) >= cells_.size()) return false;
    const Cell& c = cells_[static_cast<size_t>(a)];
    if (c.length != 2 || !isHexDigit(c.text[0]) || !isHexDigit(c.text[1])) return false;
    text.append(c.text, 2);
  }
  return true;
}

void AtmelGridModel::allChanged() {
  if (cells_.empty()) return;
  emit dataChanged(index(0, 0), index(rowCount() - 1, 15), {Qt::DisplayRole, Qt::EditRole});
}

int AtmelGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_ - 1;
}

int AtmelGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : 16;
}

QVariant AtmelGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  if (role == Qt::DisplayRole || role == Qt::EditRole)
    return cell(index.column() + 1, index.row() + 1);
  if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
  return {};
}

bool AtmelGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole) return false;
  setCell(index.column() + 1, index.row() + 1, value.toString());
  return true;
}

QVariant AtmelGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  return orientation == Qt::Horizontal ? cell(section + 1, 0) : cell(0, section + 1);
}

Qt::ItemFlags AtmelGridModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}
