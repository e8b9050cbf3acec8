// A driver DLL with the faults the static checks exist to catch: an entry point removing 4
// bytes instead of none, one in the cdecl convention, an export that is no entry point, the
// MinGW runtime DLLs imported instead of linked in, and no DLPORTIO.DLL.
#include <string>

extern "C" {

__attribute__((stdcall)) void LCD_Init(int) {}

void LCD_SendToMemory(int) {}

__attribute__((stdcall)) unsigned LCD_Extra(const char* text) {
  return static_cast<unsigned>(std::string(text).size());
}

}  // extern "C"
