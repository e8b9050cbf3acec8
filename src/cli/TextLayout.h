#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace om6211::cli {

// Character codes laid out over the text grid, each row padded with blanks to full width.
struct TextLayout {
  std::vector<std::string> rows;
  std::size_t droppedCharacters = 0;  // what did not fit below the last row
};

// Lays `codes` out over `columns` x `rows` cells: a line end starts a new row; a word that does
// not fit on the rest of a row moves to the next one, and the blanks before it are dropped; a
// word longer than a whole row is broken across rows.
TextLayout layOutText(std::string_view codes, std::size_t columns, std::size_t rows);

}  // namespace om6211::cli
