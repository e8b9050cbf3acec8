#include "cli/TextLayout.h"

namespace om6211::cli {

TextLayout layOutText(std::string_view codes, std::size_t columns, std::size_t rowCount) {
  TextLayout layout;
  std::vector<std::string> rows(1);
  std::size_t dropped = 0;
  auto newRow = [&] { rows.emplace_back(); };
  std::size_t at = 0;
  while (at < codes.size()) {
    if (codes[at] == '\n') {
      newRow();
      ++at;
      continue;
    }
    std::size_t gap = 0;
    while (at < codes.size() && codes[at] == ' ') ++gap, ++at;
    std::size_t end = at;
    while (end < codes.size() && codes[end] != ' ' && codes[end] != '\n') ++end;
    std::string_view word = codes.substr(at, end - at);
    at = end;
    if (word.empty()) continue;  // blanks at the end of a line carry nothing
    std::string* row = &rows.back();
    if (row->size() + gap + word.size() > columns && word.size() <= columns) {
      newRow();
      row = &rows.back();
      gap = 0;
    }
    if (row->size() + gap >= columns) {
      newRow();
      row = &rows.back();
      gap = 0;
    }
    row->append(gap, ' ');
    while (row->size() + word.size() > columns) {
      const std::size_t room = columns - row->size();
      row->append(word.substr(0, room));
      word.remove_prefix(room);
      newRow();
      row = &rows.back();
    }
    row->append(word);
  }
  for (std::size_t r = 0; r < rows.size(); ++r) {
    if (r >= rowCount) {
      dropped += rows[r].size();
      continue;
    }
    rows[r].resize(columns, ' ');
    layout.rows.push_back(std::move(rows[r]));
  }
  while (layout.rows.size() < rowCount) layout.rows.emplace_back(columns, ' ');
  layout.droppedCharacters = dropped;
  return layout;
}

}  // namespace om6211::cli
