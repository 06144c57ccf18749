// The built ZOR.exe as a file: what a user copies must be large-address-aware,
// ask for version 6 of the common controls, carry its version, and need
// nothing beyond Windows' own DLLs.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "e2e/zor_driver.h"

namespace {

using e2e::ZorExe;

std::vector<char> ReadFile(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The file offset of a relative virtual address, or 0 outside every section.
size_t FileOffset(const IMAGE_NT_HEADERS32* nt, DWORD rva) {
  const IMAGE_SECTION_HEADER* s = IMAGE_FIRST_SECTION(nt);
  for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++s)
    if (rva >= s->VirtualAddress && rva < s->VirtualAddress + s->SizeOfRawData)
      return rva - s->VirtualAddress + s->PointerToRawData;
  return 0;
}

std::wstring VersionString(const std::vector<BYTE>& info, const wchar_t* block,
                           const wchar_t* name) {
  void* value = nullptr;
  UINT units = 0;
  std::wstring path = std::wstring(L"\\StringFileInfo\\") + block + L"\\" + name;
  if (!VerQueryValueW(info.data(), path.c_str(), &value, &units) || !value) return L"";
  return static_cast<const wchar_t*>(value);
}

TEST(Executable, IsLargeAddressAwareAndImportsOnlySystemDlls) {
  std::vector<char> file = ReadFile(ZorExe());
  std::printf("ZOR.exe: %zu bytes\n", file.size());
  ::testing::Test::RecordProperty("bytes", static_cast<int>(file.size()));
  ASSERT_GT(file.size(), sizeof(IMAGE_DOS_HEADER));
  const IMAGE_DOS_HEADER* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(file.data());
  ASSERT_EQ(dos->e_magic, IMAGE_DOS_SIGNATURE);
  ASSERT_LT(static_cast<size_t>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS32), file.size());
  const IMAGE_NT_HEADERS32* nt =
      reinterpret_cast<const IMAGE_NT_HEADERS32*>(file.data() + dos->e_lfanew);
  ASSERT_EQ(nt->Signature, IMAGE_NT_SIGNATURE);
  EXPECT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
  EXPECT_NE(nt->FileHeader.Characteristics & IMAGE_FILE_LARGE_ADDRESS_AWARE, 0);
  EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);

  const std::set<std::string> system = {"KERNEL32.DLL", "USER32.DLL",   "GDI32.DLL", "COMCTL32.DLL",
                                        "SHELL32.DLL",  "ADVAPI32.DLL", "PSAPI.DLL", "MSVCRT.DLL"};
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  size_t at = FileOffset(nt, dir.VirtualAddress);
  ASSERT_NE(at, 0u);
  int count = 0;
  for (;; at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
    ASSERT_LE(at + sizeof(IMAGE_IMPORT_DESCRIPTOR), file.size());
    const IMAGE_IMPORT_DESCRIPTOR* d =
        reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(file.data() + at);
    if (!d->Name) break;
    size_t name = FileOffset(nt, d->Name);
    ASSERT_NE(name, 0u);
    std::string dll(file.data() + name, strnlen(file.data() + name, file.size() - name));
    std::transform(dll.begin(), dll.end(), dll.begin(), ::toupper);
    EXPECT_TRUE(system.count(dll)) << "imports " << dll;
    ++count;
  }
  EXPECT_GE(count, 5);  // at least kernel, user, GDI, shell and registry
}

TEST(Executable, CarriesItsManifestAndVersion) {
  std::wstring path = ZorExe();
  HMODULE image = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(image, nullptr);
  HRSRC found = FindResourceW(image, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  ASSERT_NE(found, nullptr) << "no manifest resource 1";
  const char* bytes = static_cast<const char*>(LockResource(LoadResource(image, found)));
  std::string manifest(bytes, SizeofResource(image, found));
  FreeLibrary(image);
  // The dependency's identity names the common controls at version 6.
  size_t name = manifest.find("name=\"Microsoft.Windows.Common-Controls\"");
  ASSERT_NE(name, std::string::npos) << manifest;
  size_t open = manifest.rfind('<', name), close = manifest.find('>', name);
  std::string identity = manifest.substr(open, close - open);
  EXPECT_EQ(identity.find("<assemblyIdentity"), 0u) << identity;
  EXPECT_NE(identity.find("version=\"6.0.0.0\""), std::string::npos) << identity;
  EXPECT_LT(manifest.find("<dependentAssembly>"), open);

  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
  ASSERT_GT(size, 0u);
  std::vector<BYTE> info(size);
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, info.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT bytesOut = 0;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &bytesOut));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010002u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010002u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0u);

  // The texts live under the language and code page the translation names.
  WORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &bytesOut));
  ASSERT_GE(bytesOut, 4u);
  wchar_t block[16];
  swprintf(block, 16, L"%04x%04x", translation[0], translation[1]);
  EXPECT_EQ(VersionString(info, block, L"FileVersion"), L"1.2.0.0");
  EXPECT_EQ(VersionString(info, block, L"ProductVersion"), L"1.2.0.0");
  EXPECT_EQ(VersionString(info, block, L"FileDescription"), L"Simple Process Viewer");
}

}  // namespace
