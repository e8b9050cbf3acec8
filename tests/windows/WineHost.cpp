// A 32-bit Windows host for the shipped driver DLL, run under Wine: loads the DLL with
// LoadLibraryA, resolves the twelve entry points by name and replays a host script, pushing
// each call's argument slots as the host application does and checking that the callee
// removes exactly them. The stand-in DLPORTIO.DLL beside it, loaded first, reports the port
// operations, and a stand-in FTD2XX.DLL notes each call in its record; the DLL's Sleep and
// OutputDebugStringA imports are pointed at recorders, so the pauses go into the trace instead
// of being waited out, and the driver's messages become the failure lines the native host
// prints.
//
//   om6211-host.exe [--dll NAME] [--code-page N] [--wait-before LINE:MS] SCRIPT TRACE
//
// --wait-before lets MS milliseconds pass before the call of script line LINE, as a host's
// session does between its calls.
//
// Prints what the calls return on standard output and each failed call on standard error, as
// `om6211 run` does; writes the trace with the same annotations. Exit status: 0, 1 when calls
// failed, 2 for a script it cannot run, 3 when the DLL is unfit (does not load, lacks an entry
// point, removes the wrong number of bytes), 77 when the ANSI code page is not N.
#include <windows.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "StdcallCaller.h"
#include "cli/HostScript.h"

namespace {

using om6211::EntryPoint;
using om6211::cli::ScriptCall;

constexpr int ExitCallsFailed = 1;
constexpr int ExitUsage = 2;
constexpr int ExitUnfitDll = 3;
constexpr int ExitSkipped = 77;
constexpr std::size_t HostBitmapSize = 4032;

std::string trace;
std::string debugOutput;  // sent to the debugger since the current call began
using NoteCall = void(WINAPI*)(const char* text);
NoteCall standInNote = nullptr;

void appendTraceLine(const char* line) {
  trace += line;
}

void WINAPI recordSleep(DWORD milliseconds) {
  trace += "sleep " + std::to_string(milliseconds) + "\n";
}

void WINAPI collectDebugText(LPCSTR text) {
  debugOutput += text;
}

// Points the import slot of `module` for `library`!`function` at `replacement`; false when the
// module does not import that function.
bool redirectImport(HMODULE module, const char* library, const char* function, void* replacement) {
  auto* base = reinterpret_cast<BYTE*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports =
      headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (imports.VirtualAddress == 0) return false;
  for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
       entry->Name != 0; ++entry) {
    if (lstrcmpiA(reinterpret_cast<const char*>(base + entry->Name), library) != 0) continue;
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      const auto* named =
          reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(named->Name), function) != 0) continue;
      DWORD protection = 0;
      VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &protection);
      slots->u1.Function = reinterpret_cast<DWORD>(replacement);
      VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, protection, &protection);
      return true;
    }
  }
  return false;
}

std::string windowsError() {
  return "error " + std::to_string(GetLastError());
}

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool readFile(const std::string& path, std::string& contents) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  contents.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return true;
}

uint32_t slotOf(const void* pointer) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(pointer));
}

struct Options {
  std::string dll = "om6211.dll";
  unsigned codePage = 0;
  std::size_t waitLine = 0;
  DWORD waitMs = 0;
  std::string script;
  std::string trace;
};

class Host {
 public:
  Host(HMODULE dll, const Options& options) : dll_(dll), options_(&options) {}

  // Resolves the twelve entry points; the name of the first one missing, if any.
  std::string resolve() {
    for (std::size_t i = 0; i < om6211::EntryPointCount; ++i) {
      const std::string name(om6211::EntryPointNames[i]);
      entryPoints_[i] = reinterpret_cast<void (*)()>(GetProcAddress(dll_, name.c_str()));
      if (entryPoints_[i] == nullptr) return name;
    }
    return {};
  }

  // Makes the calls of the script; the exit status.
  int run(const std::string& scriptName, const std::string& text) {
    std::size_t failures = 0;
    int unfit = 0;
    const std::string folder = folderOf(scriptName);
    const auto problem =
        om6211::cli::forEachHostCall(text, [&](const ScriptCall& call, std::string_view line) {
          if (unfit != 0) return;
          if (call.line == options_->waitLine) Sleep(options_->waitMs);
          const std::string annotation = std::to_string(call.line) + ": " + std::string(line);
          trace += "# " + annotation + "\n";
          if (standInNote != nullptr) standInNote(annotation.c_str());
          std::vector<uint32_t> slots;
          if (!argumentSlots(call, folder, slots)) {
            std::fprintf(stderr, "%s:%zu: the bitmap must be a file of exactly %zu bytes\n",
                         scriptName.c_str(), call.line, HostBitmapSize);
            unfit = ExitUsage;
            return;
          }
          debugOutput.clear();
          const auto function = entryPoints_[static_cast<std::size_t>(call.command)];
          const om6211::testing::StdcallOutcome outcome =
              om6211::testing::callStdcall(function, slots);
          const std::string name(om6211::exportedName(call.command));
          if (outcome.bytesRemoved != 4 * slots.size()) {
            std::fflush(stdout);
            std::fprintf(stderr, "%s:%zu: %s removed %u bytes of its %zu-byte argument block\n",
                         scriptName.c_str(), call.line, name.c_str(), outcome.bytesRemoved,
                         4 * slots.size());
            unfit = ExitUnfitDll;
            return;
          }
          printResult(call, outcome.eax);
          if (!debugOutput.empty()) {
            ++failures;
            std::fflush(stdout);
            std::fprintf(stderr, "%s:%zu: %s failed: %s\n", scriptName.c_str(), call.line,
                         name.c_str(), lastMessage().c_str());
          }
        });
    if (problem) {
      std::fprintf(stderr, "%s:%zu: %s\n", scriptName.c_str(), problem->line,
                   problem->message.c_str());
      return ExitUsage;
    }
    if (unfit != 0) return unfit;
    if (failures == 0) return 0;
    std::fflush(stdout);
    std::fprintf(stderr, "om6211: %zu call(s) of %s failed\n", failures, scriptName.c_str());
    return ExitCallsFailed;
  }

 private:
  // The slots the host pushes for a call, last pushed first in the vector; false when the
  // call's bitmap file is unusable.
  bool argumentSlots(const ScriptCall& call, const std::string& folder,
                     std::vector<uint32_t>& slots) {
    const std::vector<uint32_t>& n = call.numbers;
    switch (call.command) {
      case EntryPoint::GetInfo:
        slots = {slotOf(info_.data())};
        break;
      case EntryPoint::SetIOPropertys:
        portText_ = call.text;
        slots = {slotOf(portText_.c_str()),
                 n[0],
                 n[1],
                 n[2],
                 n[3],
                 n[4],
                 n[5],
                 n[6],
                 0,
                 n[7],
                 n[8],
                 0,
                 0,
                 0};
        break;
      case EntryPoint::SendToGfxMemory:
        if (!readFile(folder + call.text, bitmap_) || bitmap_.size() != HostBitmapSize)
          return false;
        slots = {slotOf(bitmap_.data()), n[0], n[1], n[2], n[3], n[4]};
        break;
      case EntryPoint::SetCGRAMChar: {
        std::array<uint8_t, 68> block{};
        block[0] = static_cast<uint8_t>(n[0]);
        std::memcpy(block.data() + 1, call.pattern.data(), call.pattern.size());
        slots.resize(block.size() / 4);
        std::memcpy(slots.data(), block.data(), block.size());
        break;
      }
      default:
        slots = n;
        break;
    }
    return true;
  }

  void printResult(const ScriptCall& call, uint32_t eax) {
    switch (call.command) {
      case EntryPoint::GetInfo: {
        std::string line = "info \"";
        for (std::size_t i = 0; i < 256 && info_[i] != '\0'; ++i) line.push_back(info_[i]);
        line += '"';
        char byte[4];
        for (std::size_t i = 256; i < info_.size(); ++i) {
          std::snprintf(byte, sizeof byte, " %02x", static_cast<unsigned char>(info_[i]));
          line += byte;
        }
        std::printf("%s\n", line.c_str());
        break;
      }
      case EntryPoint::IsReadyToReceive:
        std::printf("ready %u\n", eax & 0xff);
        break;
      case EntryPoint::GetCGRAMChar:
        std::printf("cgram %u\n", eax & 0xff);
        break;
      default:
        break;
    }
  }

  // The last message the driver sent during the call, without its "om6211: " and line end.
  static std::string lastMessage() {
    std::string text = debugOutput;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    text = text.substr(text.find_last_of('\n') + 1);
    constexpr std::string_view Prefix = "om6211: ";
    if (text.compare(0, Prefix.size(), Prefix) == 0) text.erase(0, Prefix.size());
    return text;
  }

  HMODULE dll_;
  const Options* options_;
  std::array<void (*)(), om6211::EntryPointCount> entryPoints_{};
  std::array<char, 264> info_{};
  std::string portText_;
  std::string bitmap_;
};

bool parseOptions(int argc, char** argv, Options& options) {
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--dll" && i + 1 < argc) {
      options.dll = argv[++i];
    } else if (argument == "--code-page" && i + 1 < argc) {
      options.codePage = static_cast<unsigned>(std::stoul(argv[++i]));
    } else if (argument == "--wait-before" && i + 1 < argc) {
      const std::string wait = argv[++i];
      options.waitLine = std::stoul(wait);
      options.waitMs = static_cast<DWORD>(std::stoul(wait.substr(wait.find(':') + 1)));
    } else {
      positional.push_back(argument);
    }
  }
  if (positional.size() != 2) return false;
  options.script = positional[0];
  options.trace = positional[1];
  return true;
}

int writeTrace(const std::string& path, int status) {
  std::ofstream file(path, std::ios::binary);
  file << trace;
  if (!file.flush()) {
    std::fprintf(stderr, "om6211-host: cannot write %s\n", path.c_str());
    return ExitUsage;
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parseOptions(argc, argv, options)) {
    std::fprintf(stderr,
                 "usage: om6211-host [--dll NAME] [--code-page N] [--wait-before LINE:MS] SCRIPT "
                 "TRACE\n");
    return ExitUsage;
  }
  if (options.codePage != 0 && GetACP() != options.codePage) {
    std::printf("the ANSI code page is %u, not %u\n", GetACP(), options.codePage);
    return ExitSkipped;
  }
  std::string text;
  if (!readFile(options.script, text)) {
    std::fprintf(stderr, "om6211-host: cannot read %s\n", options.script.c_str());
    return ExitUsage;
  }

  // The driver binds the port library when it first needs it, and then finds the one loaded
  // here: only the stand-in can report what reaches it. A folder without it runs without.
  using ReportTo = void(WINAPI*)(void (*)(const char*));
  const HMODULE portLibrary = LoadLibraryA("DLPORTIO.DLL");
  if (portLibrary != nullptr) {
    const auto reportTo = reinterpret_cast<ReportTo>(
        reinterpret_cast<void (*)()>(GetProcAddress(portLibrary, "StandInReportTo")));
    if (reportTo == nullptr) {
      std::fprintf(stderr, "om6211-host: the DLPORTIO.DLL loaded is not the stand-in\n");
      return ExitUnfitDll;
    }
    reportTo(appendTraceLine);
  }
  // The stand-in FTD2XX.DLL, where there is one, notes each call in its record.
  if (const HMODULE adapterLibrary = LoadLibraryA("FTD2XX.DLL"); adapterLibrary != nullptr) {
    standInNote = reinterpret_cast<NoteCall>(
        reinterpret_cast<void (*)()>(GetProcAddress(adapterLibrary, "StandInNote")));
  }
  const HMODULE dll = LoadLibraryA(options.dll.c_str());
  if (dll == nullptr) {
    std::fprintf(stderr, "om6211-host: cannot load %s (%s)\n", options.dll.c_str(),
                 windowsError().c_str());
    return ExitUnfitDll;
  }
  // A DLL that does not import them cannot call them; nothing to redirect then.
  redirectImport(dll, "kernel32.dll", "Sleep", reinterpret_cast<void*>(recordSleep));
  redirectImport(dll, "kernel32.dll", "OutputDebugStringA",
                 reinterpret_cast<void*>(collectDebugText));

  Host host(dll, options);
  if (const std::string missing = host.resolve(); !missing.empty()) {
    std::fprintf(stderr, "om6211-host: %s does not export %s\n", options.dll.c_str(),
                 missing.c_str());
    return ExitUnfitDll;
  }
  const int status = host.run(options.script, text);
  std::fflush(stdout);
  return writeTrace(options.trace, status);
}
