// The DLL search of a hardened process (test_main.cpp hardens this one as
// the programs' entry point does), loading from the system directory, and the
// binding of imports taken from the loader (checked on a copy of the tree's
// uninst.exe, "deferred_probe.exe" beside this test).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "ui/platform/deferred_imports.h"
#include "ui/platform/dll_preload.h"
#include "ui/platform/system_library.h"

namespace {

std::wstring SystemDirectory() {
  wchar_t dir[MAX_PATH];
  const UINT n = GetSystemDirectoryW(dir, MAX_PATH);
  return std::wstring(dir, n);
}

std::wstring ModuleFolder(HMODULE module) {
  wchar_t path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameW(module, path, MAX_PATH);
  std::wstring folder(path, n);
  return folder.substr(0, folder.find_last_of(L"\\/"));
}

bool SameText(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A module loaded by the test, freed with the object.
class LoadedModule {
 public:
  explicit LoadedModule(HMODULE module) : module_(module) {}
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;
  ~LoadedModule() {
    if (module_) FreeLibrary(module_);
  }
  HMODULE get() const { return module_; }

 private:
  HMODULE module_;
};

// A file copied for the test, deleted with the object.
class CopiedFile {
 public:
  CopiedFile(const std::wstring& from, std::wstring to) : path_(std::move(to)) {
    copied_ = CopyFileW(from.c_str(), path_.c_str(), FALSE) != 0;
  }
  CopiedFile(const CopiedFile&) = delete;
  CopiedFile& operator=(const CopiedFile&) = delete;
  ~CopiedFile() {
    DeleteFileW(path_.c_str());
    DeleteFileW((path_ + L".loaded").c_str());
  }
  bool copied() const { return copied_; }
  bool markerLoaded() const { return Exists(path_ + L".loaded"); }
  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
  bool copied_ = false;
};

TEST(DllSearch, PreloadedDllsAreTheSystemDirectorysOwn) {
  const std::wstring system = SystemDirectory();
  std::vector<const wchar_t*> names(ui::platform::kEarlySystemDlls,
                                    ui::platform::kEarlySystemDlls + ui::platform::kEarlySystemDllCount);
  names.insert(names.end(), ui::platform::kLateSystemDlls,
               ui::platform::kLateSystemDlls + ui::platform::kLateSystemDllCount);
  for (const wchar_t* name : names) {
    const HMODULE module = GetModuleHandleW(name);
    if (!Exists(system + L"\\" + name)) {
      EXPECT_EQ(module, nullptr) << "loaded although the system has none: " << testing::PrintToString(name);
      continue;
    }
    ASSERT_NE(module, nullptr) << "not preloaded: " << testing::PrintToString(name);
    EXPECT_TRUE(SameText(ModuleFolder(module), system)) << testing::PrintToString(name);
  }
}

TEST(DllSearch, PlantedCopiesBesideTheProgramAndInTheCurrentFolderAreNotLoaded) {
  const std::wstring here = ModuleFolder(nullptr);
  const std::wstring marker = here + L"\\planting_marker.dll";
  ASSERT_TRUE(Exists(marker));
  wchar_t temp[MAX_PATH];
  ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
  const std::wstring current = std::wstring(temp) + L"qw_planting_cwd";
  CreateDirectoryW(current.c_str(), nullptr);
  wchar_t previous[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(current.c_str()));
  {
    CopiedFile beside(marker, here + L"\\qw_planted_probe.dll");
    CopiedFile inCurrent(marker, current + L"\\qw_planted_probe.dll");
    ASSERT_TRUE(beside.copied() && inCurrent.copied());

    EXPECT_EQ(ui::platform::LoadSystemLibrary(L"qw_planted_probe.dll"), nullptr);
    // The process's own bare-name loads are restricted too.
    LoadedModule bare(LoadLibraryW(L"qw_planted_probe.dll"));
    EXPECT_EQ(bare.get(), nullptr);
    EXPECT_FALSE(beside.markerLoaded());
    EXPECT_FALSE(inCurrent.markerLoaded());

    // The marker does tell when it is loaded.
    LoadedModule named(LoadLibraryW(beside.path().c_str()));
    ASSERT_NE(named.get(), nullptr);
    EXPECT_TRUE(beside.markerLoaded());
  }
  SetCurrentDirectoryW(previous);
  RemoveDirectoryW(current.c_str());
}

TEST(DllSearch, SystemPathFitsOrFails) {
  const std::wstring expected = SystemDirectory() + L"\\gdiplus.dll";
  wchar_t path[MAX_PATH];
  ASSERT_TRUE(ui::platform::SystemPath(L"gdiplus.dll", path, MAX_PATH));
  EXPECT_EQ(std::wstring(path), expected);
  const UINT exact = static_cast<UINT>(expected.size() + 1);
  EXPECT_TRUE(ui::platform::SystemPath(L"gdiplus.dll", path, exact));
  EXPECT_EQ(std::wstring(path), expected);
  EXPECT_FALSE(ui::platform::SystemPath(L"gdiplus.dll", path, exact - 1));
}

// The deferred import descriptors of a mapped image, as the build leaves
// them: from the start of the import section up to the import directory.
struct Deferred {
  const IMAGE_IMPORT_DESCRIPTOR* first = nullptr;
  std::size_t count = 0;
};
Deferred DeferredOf(BYTE* base) {
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const DWORD directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
  const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
  for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
    if (directory >= section->VirtualAddress && directory < section->VirtualAddress + section->Misc.VirtualSize) {
      return {reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + section->VirtualAddress),
              (directory - section->VirtualAddress) / sizeof(IMAGE_IMPORT_DESCRIPTOR)};
    }
  }
  return {};
}

TEST(DeferredImports, EverySlotGetsTheFunctionItNames) {
  // Mapped as an image without the loader binding anything.
  LoadedModule image(LoadLibraryExW((ModuleFolder(nullptr) + L"\\deferred_probe.exe").c_str(), nullptr,
                                    DONT_RESOLVE_DLL_REFERENCES));
  ASSERT_NE(image.get(), nullptr);
  auto* base = reinterpret_cast<BYTE*>(image.get());
  const Deferred deferred = DeferredOf(base);
  ASSERT_GE(deferred.count, 3u);  // advapi32, msvcrt, shell32, user32

  ASSERT_TRUE(ui::platform::BindDeferredImports(image.get()));
  std::size_t checked = 0;
  for (std::size_t d = 0; d < deferred.count; ++d) {
    const IMAGE_IMPORT_DESCRIPTOR& descriptor = deferred.first[d];
    const char* dll = reinterpret_cast<const char*>(base + descriptor.Name);
    const HMODULE module = GetModuleHandleA(dll);
    ASSERT_NE(module, nullptr) << dll;
    auto* lookup = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor.OriginalFirstThunk);
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor.FirstThunk);
    for (std::size_t i = 0; lookup[i].u1.AddressOfData; ++i, ++checked) {
      ASSERT_FALSE(IMAGE_SNAP_BY_ORDINAL(lookup[i].u1.Ordinal));
      const char* name = reinterpret_cast<const char*>(
          reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + lookup[i].u1.AddressOfData)->Name);
      EXPECT_EQ(slots[i].u1.Function, reinterpret_cast<ULONG_PTR>(GetProcAddress(module, name)))
          << dll << "!" << name;
    }
  }
  EXPECT_GT(checked, 20u);
}

}  // namespace
