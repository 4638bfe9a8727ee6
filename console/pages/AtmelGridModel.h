// The bytes behind the ATMEL memory map. Cells are addressed as the grid
// shows them: column c (1-16) of row r (1 ..) holds the byte at address
// (r - 1) * 16 + (c - 1); row 0 holds the column headers 00 .. 0F and
// column 0 the row headers (the row's first address, as many hex digits as
// the card's addresses have). A data cell holds " " (no data), two hex
// characters (a byte) or, while it is typed, zero to two characters. The
// view sees the data cells only; the headers are its header sections.
// GUI thread only.
#pragma once
#include <QAbstractTableModel>

#include <cstdint>
#include <string>
#include <vector>

class AtmelGridModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit AtmelGridModel(QObject* parent = nullptr);

  // New rows (header row included) and header digits; every data cell " ".
  void layOut(int rows, int addressDigits);
  int gridRows() const { return rows_; }

  // Text of cell (col, row), headers included; "" outside the grid.
  QString cell(int col, int row) const;
  // Sets a data cell (at most its first two characters are kept); cells
  // outside the data cells are left alone.
  void setCell(int col, int row, const QString& text);
  // Every data cell " ".
  void clear();
  // The cells from `address` on show `bytes` as two upper-case hex digits.
  void setBytes(int address, const std::vector<uint8_t>& bytes);
  // Appends the two hex characters of each cell of start .. end, in address
  // order; stops at the first cell that does not hold exactly two hex
  // characters and returns false (`text` then holds the cells before it).
  bool collectHex(std::string& text, int start, int end) const;

  // Model rows and columns are the data cells: model (row, column) is grid
  // cell (column + 1, row + 1).
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  struct Cell {
    char text[2];
    uint8_t length;
  };
  static constexpr Cell kBlank = {{' ', ' '}, 1};

  bool isDataCell(int col, int row) const;
  Cell& at(int col, int row) { return cells_[static_cast<size_t>((row - 1) * 16 + col - 1)]; }
  const Cell& at(int col, int row) const {
    return cells_[static_cast<size_t>((row - 1) * 16 + col - 1)];
  }
  void allChanged();

  int rows_ = 1;
  int addressDigits_ = 2;
  std::vector<Cell> cells_;
};

// The grid's header text: `value` as upper-case hex, zero-padded to `digits`.
QString IntToHex(int value, int digits);
