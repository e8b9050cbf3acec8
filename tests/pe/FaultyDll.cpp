// A driver DLL with the faults the static checks exist to catch: an entry point removing 4
// bytes instead of none, one in the cdecl convention, an export that is no entry point, the
// MinGW runtime DLLs imported instead of linked in, and DLPORTIO.DLL imported at load time.
#include <string>

extern "C" {

__declspec(dllimport) void __stdcall DlPortWritePortUchar(unsigned long port, unsigned char value);

__attribute__((stdcall)) void LCD_CleanUp() {
  DlPortWritePortUchar(0x378, 0);
}

__attribute__((stdcall)) void LCD_Init(int) {}

void LCD_SendToMemory(int) {}

__attribute__((stdcall)) unsigned LCD_Extra(const char* text) {
  return static_cast<unsigned>(std::string(text).size());
}

}  // extern "C"
