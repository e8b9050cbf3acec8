#include "reliability/EntryPointEffects.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace om6211::reliability {
namespace {

// The settings fields grouped by the entry point that owns them.
enum class Owner { Configuration, FirstInit, Cursor };

struct FieldChange {
  const char* name;
  Owner owner;
  bool changed;
};

std::vector<FieldChange> fieldChanges(const DriverSettings& a, const DriverSettings& b) {
  using enum Owner;
  return {
      {"PortBase", Configuration, a.PortBase != b.PortBase},
      {"AddressDelay", Configuration, a.AddressDelay != b.AddressDelay},
      {"BusDelay", Configuration, a.BusDelay != b.BusDelay},
      {"BacklightBits", Configuration, a.BacklightBits != b.BacklightBits},
      {"GraphicsWidth", Configuration, a.GraphicsWidth != b.GraphicsWidth},
      {"GraphicsHeight", Configuration, a.GraphicsHeight != b.GraphicsHeight},
      {"TextColumns", Configuration, a.TextColumns != b.TextColumns},
      {"TextRows", Configuration, a.TextRows != b.TextRows},
      {"ContrastOn", Configuration, a.ContrastOn != b.ContrastOn},
      {"ContrastValue", Configuration, a.ContrastValue != b.ContrastValue},
      {"FontName", Configuration, a.FontName != b.FontName},
      {"MixMode", Configuration, a.MixMode != b.MixMode},
      {"FirstInitPending", FirstInit, a.FirstInitPending != b.FirstInitPending},
      {"CursorColumn", Cursor, a.CursorColumn != b.CursorColumn},
      {"CursorRow", Cursor, a.CursorRow != b.CursorRow},
  };
}

bool owns(EntryPoint entryPoint, Owner owner) {
  switch (owner) {
    case Owner::Configuration:
      return entryPoint == EntryPoint::SetIOPropertys;
    case Owner::FirstInit:
      return entryPoint == EntryPoint::Init;
    case Owner::Cursor:
      return entryPoint == EntryPoint::SetOutputAddress || entryPoint == EntryPoint::SendToMemory ||
             entryPoint == EntryPoint::SendToGfxMemory;
  }
  return false;
}

template <typename Bytes>
std::vector<std::size_t> changedBytes(const Bytes& a, const Bytes& b) {
  std::vector<std::size_t> indexes;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i]) indexes.push_back(i);
  }
  return indexes;
}

struct Cursor {
  int32_t column;
  int32_t row;
  friend bool operator==(const Cursor&, const Cursor&) = default;
};

Cursor cursorOf(const DriverSettings& settings) {
  return {settings.CursorColumn, settings.CursorRow};
}

std::string cursorText(Cursor cursor) {
  return "(" + std::to_string(cursor.column) + ", " + std::to_string(cursor.row) + ")";
}

std::string forbiddenCursorMove(EntryPoint entryPoint, const DriverSettings& before,
                                const DriverSettings& after) {
  const Cursor from = cursorOf(before);
  const Cursor to = cursorOf(after);
  if (from == to) return {};
  const Cursor home{0, 0};
  bool allowed = false;
  switch (entryPoint) {
    case EntryPoint::SetOutputAddress:
      allowed =
          to.column >= 0 && to.row >= 0 && to.column < after.TextColumns && to.row < after.TextRows;
      break;
    case EntryPoint::SendToMemory:
      allowed = to == Cursor{from.column + 1, from.row} || to == home;
      break;
    case EntryPoint::SendToGfxMemory:
      allowed = to == home;
      break;
    default:
      break;
  }
  if (allowed) return {};
  return std::string(exportedName(entryPoint)) + " moved the cursor from " + cursorText(from) +
         " to " + cursorText(to);
}

std::string forbiddenTextChange(EntryPoint entryPoint, const DriverSnapshot& before,
                                const DriverSnapshot& after) {
  const auto changed = changedBytes(before.memory.TextLayer, after.memory.TextLayer);
  if (changed.empty()) return {};
  if (entryPoint != EntryPoint::SendToMemory) {
    return std::string(exportedName(entryPoint)) + " changed the text layer";
  }
  std::vector<std::size_t> cell;
  for (int32_t i = 0; i < 6; ++i) {
    cell.push_back(
        FrameMemory::layerIndex(before.settings.CursorColumn * 6 + i, before.settings.CursorRow));
  }
  for (std::size_t index : changed) {
    if (std::find(cell.begin(), cell.end(), index) == cell.end()) {
      return "LCD_SendToMemory changed text layer byte " + std::to_string(index) +
             " outside the cell at the cursor " + cursorText(cursorOf(before.settings));
    }
  }
  return {};
}

std::string forbiddenGlyphChange(EntryPoint entryPoint, const DriverSnapshot& before,
                                 const DriverSnapshot& after) {
  const auto changed = changedBytes(before.memory.CustomGlyphs, after.memory.CustomGlyphs);
  if (changed.empty()) return {};
  if (entryPoint != EntryPoint::SetCGRAMChar) {
    return std::string(exportedName(entryPoint)) + " changed the custom glyphs";
  }
  const std::size_t glyph = changed.front() / FrameMemory::CustomGlyphWidth;
  for (std::size_t index : changed) {
    if (index / FrameMemory::CustomGlyphWidth != glyph) {
      return "LCD_SetCGRAMChar changed more than one custom glyph";
    }
  }
  return {};
}

}  // namespace

bool sameState(const DriverSnapshot& a, const DriverSnapshot& b) {
  for (const FieldChange& field : fieldChanges(a.settings, b.settings)) {
    if (field.changed) return false;
  }
  return a.memory.GraphicsLayer == b.memory.GraphicsLayer &&
         a.memory.TextLayer == b.memory.TextLayer && a.memory.CustomGlyphs == b.memory.CustomGlyphs;
}

std::string brokenInvariant(const DriverSnapshot& state) {
  const DriverSettings& s = state.settings;
  auto outside = [](int32_t value, int32_t low, int32_t high) {
    return value < low || value > high;
  };
  if (outside(s.GraphicsWidth, 1, DriverSettings::MaxGraphicsWidth)) return "GraphicsWidth";
  if (outside(s.GraphicsHeight, 1, DriverSettings::MaxGraphicsHeight)) return "GraphicsHeight";
  if (outside(s.TextColumns, 1, DriverSettings::MaxTextColumns)) return "TextColumns";
  if (outside(s.TextRows, 1, DriverSettings::MaxTextRows)) return "TextRows";
  if (outside(s.CursorColumn, 0, DriverSettings::MaxTextColumns)) return "CursorColumn";
  if (outside(s.CursorRow, 0, DriverSettings::MaxTextRows - 1)) return "CursorRow";
  if (s.FontName.size() > SettingsLookup::MaxValueLength) return "FontName longer than 1023";
  if (s.MixMode.size() > SettingsLookup::MaxValueLength) return "MixMode longer than 1023";
  return {};
}

std::string forbiddenChange(EntryPoint entryPoint, const DriverSnapshot& before,
                            const DriverSnapshot& after) {
  for (const FieldChange& field : fieldChanges(before.settings, after.settings)) {
    if (field.changed && !owns(entryPoint, field.owner)) {
      return std::string(exportedName(entryPoint)) + " changed " + field.name;
    }
  }
  if (before.settings.FirstInitPending != after.settings.FirstInitPending &&
      after.settings.FirstInitPending) {
    return "LCD_Init set FirstInitPending again";
  }
  if (auto move = forbiddenCursorMove(entryPoint, before.settings, after.settings); !move.empty()) {
    return move;
  }
  if (entryPoint != EntryPoint::SendToGfxMemory &&
      before.memory.GraphicsLayer != after.memory.GraphicsLayer) {
    return std::string(exportedName(entryPoint)) + " changed the graphics layer";
  }
  if (auto text = forbiddenTextChange(entryPoint, before, after); !text.empty()) return text;
  return forbiddenGlyphChange(entryPoint, before, after);
}

}  // namespace om6211::reliability
