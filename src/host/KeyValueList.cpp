#include "host/KeyValueList.h"

namespace om6211 {

std::vector<KeyValue> splitKeyValueList(std::string_view list, char separator) {
  std::vector<KeyValue> settings;
  if (list.empty()) return settings;
  for (std::size_t start = 0;;) {
    const std::size_t end = list.find(separator, start);
    const std::string_view item = list.substr(start, end - start);
    const std::size_t equals = item.find('=');
    const KeyValue setting{
        item, item.substr(0, equals),
        equals == std::string_view::npos ? std::string_view() : item.substr(equals + 1)};
    for (const KeyValue& earlier : settings) {
      if (earlier.key == setting.key) {
        throw KeyValueError(std::string(setting.key) + "= given twice");
      }
    }
    settings.push_back(setting);
    if (end == std::string_view::npos) return settings;
    start = end + 1;
  }
}

}  // namespace om6211
