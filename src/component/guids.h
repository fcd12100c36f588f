// The identifiers of the type library, the interface and the class; they
// match tavo.idl and never change, since registered copies rely on them.
#pragma once

#include <windows.h>

namespace tavo::component {

// {13EE383E-99A5-4547-930E-1C982D231A40}
inline constexpr GUID kLibraryId = {0x13EE383E, 0x99A5, 0x4547, {0x93, 0x0E, 0x1C, 0x98, 0x2D, 0x23, 0x1A, 0x40}};
// {4F3F4FC8-B3B3-4707-9F12-E026426416E3}
inline constexpr GUID kInterfaceId = {0x4F3F4FC8, 0xB3B3, 0x4707, {0x9F, 0x12, 0xE0, 0x26, 0x42, 0x64, 0x16, 0xE3}};
// {15ED84E2-3561-42C7-890B-E4BC81E2A8F7}
inline constexpr GUID kClassId = {0x15ED84E2, 0x3561, 0x42C7, {0x89, 0x0B, 0xE4, 0xBC, 0x81, 0xE2, 0xA8, 0xF7}};

inline constexpr const wchar_t* kProgId = L"tavo.zupo";
inline constexpr const wchar_t* kClassIdText = L"{15ED84E2-3561-42C7-890B-E4BC81E2A8F7}";
inline constexpr const wchar_t* kLibraryIdText = L"{13EE383E-99A5-4547-930E-1C982D231A40}";
inline constexpr DISPID kMyFunClick = 1;

}  // namespace tavo::component
