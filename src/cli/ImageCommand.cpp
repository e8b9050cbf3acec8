#include <cstdio>

#include "cli/DisplayRun.h"
#include "cli/GrayImage.h"
#include "cli/HostBitmap.h"
#include "dll/Exports.h"
#include "module/Geometry.h"

namespace om6211::cli {
namespace {

int run(const ParsedArguments& arguments) {
  LoadedImage loaded = loadImage(arguments.positional[0]);
  if (loaded.problem) throw UsageError(*loaded.problem);
  const HostBitmap bitmap = toHostBitmap(loaded.image, module::Columns, arguments.has("--dither"));

  DisplayRun run(arguments);
  run.configureAndInit();
  run.check("LCD_SendToGfxMemory", failureOf([&] {
              LCD_SendToGfxMemory(bitmap.data(), 0, 0, module::Columns - 1, module::Rows - 1,
                                  arguments.has("--inverted") ? 1 : 0);
            }));
  return run.finish(!arguments.has("--png"));
}

}  // namespace

const Command& imageCommand() {
  static const Command command{
      {"image", "FILE", 1,
       "Shows a PNG or PBM image on the virtual panel through LCD_SendToGfxMemory.",
       joined({{{"--dither", "",
                 "diffuse the grey levels (Floyd-Steinberg) instead of a "
                 "threshold at mid-grey"},
                {"--inverted", "", "send the picture in the controller's inverted mode"}},
               displayOptions(),
               platformOptions(),
               pictureOptions()}),
       "An image larger than 84 x 48 is scaled down to fit, keeping its proportions; the\n"
       "picture is centred. Dark pixels become lit pixels; transparent ones stay clear.\n"
       "Without --png the panel is printed to the terminal.\n"},
      run};
  return command;
}

}  // namespace om6211::cli
