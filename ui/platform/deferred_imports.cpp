#include "ui/platform/deferred_imports.h"

#include <cstddef>

#include "ui/platform/system_library.h"

namespace ui::platform {

namespace {

// The section of the image that holds `rva`; null when none does.
const IMAGE_SECTION_HEADER* SectionOf(const IMAGE_NT_HEADERS* nt, DWORD rva) {
  const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
  for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
    const DWORD size = section->Misc.VirtualSize > section->SizeOfRawData ? section->Misc.VirtualSize
                                                                          : section->SizeOfRawData;
    if (rva >= section->VirtualAddress && rva < section->VirtualAddress + size) return section;
  }
  return nullptr;
}

// The DLL's ASCII name as UTF-16; false when it does not fit.
bool WideName(const char* name, wchar_t* wide, std::size_t size) {
  std::size_t i = 0;
  for (; name[i]; ++i) {
    if (i + 1 >= size) return false;
    wide[i] = static_cast<unsigned char>(name[i]);
  }
  wide[i] = L'\0';
  return true;
}

bool BindDescriptor(BYTE* base, const IMAGE_IMPORT_DESCRIPTOR& descriptor) {
  wchar_t name[64];
  if (!WideName(reinterpret_cast<const char*>(base + descriptor.Name), name, 64)) return false;
  const HMODULE module = LoadSystemLibrary(name);
  if (!module) return false;
  // The lookup table names the functions; the address table receives them
  // (without a lookup table, the address table names them until it is filled).
  const DWORD lookupRva = descriptor.OriginalFirstThunk ? descriptor.OriginalFirstThunk : descriptor.FirstThunk;
  auto* lookup = reinterpret_cast<IMAGE_THUNK_DATA*>(base + lookupRva);
  auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor.FirstThunk);
  std::size_t count = 0;
  while (lookup[count].u1.AddressOfData) ++count;
  DWORD protection = 0;
  if (!VirtualProtect(slots, count * sizeof(IMAGE_THUNK_DATA), PAGE_READWRITE, &protection)) return false;
  bool complete = true;
  for (std::size_t i = 0; i < count; ++i) {
    const char* function;
    if (IMAGE_SNAP_BY_ORDINAL(lookup[i].u1.Ordinal)) {
      function = MAKEINTRESOURCEA(IMAGE_ORDINAL(lookup[i].u1.Ordinal));
    } else {
      function = reinterpret_cast<const char*>(
          reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + lookup[i].u1.AddressOfData)->Name);
    }
    const FARPROC address = GetProcAddress(module, function);
    if (!address) {
      complete = false;
      continue;
    }
    slots[i].u1.Function = reinterpret_cast<ULONG_PTR>(address);
  }
  VirtualProtect(slots, count * sizeof(IMAGE_THUNK_DATA), protection, &protection);
  return complete;
}

}  // namespace

bool BindDeferredImports(HMODULE image) {
  auto* base = reinterpret_cast<BYTE*>(image);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (!directory.VirtualAddress) return true;
  const IMAGE_SECTION_HEADER* section = SectionOf(nt, directory.VirtualAddress);
  if (!section) return false;
  const DWORD span = directory.VirtualAddress - section->VirtualAddress;
  if (span % sizeof(IMAGE_IMPORT_DESCRIPTOR) != 0) return false;
  const auto* deferred = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + section->VirtualAddress);
  bool complete = true;
  for (DWORD i = 0; i < span / sizeof(IMAGE_IMPORT_DESCRIPTOR); ++i) {
    if (!BindDescriptor(base, deferred[i])) complete = false;
  }
  return complete;
}

}  // namespace ui::platform
