// Every name the platform stores or looks up: the identifiers of the type
// library, the interfaces and the classes, the programmatic identifiers and
// the registry paths. The identifiers never change, since registered copies
// and workbooks that carry the form rely on them; tavo.idl repeats the first
// three.
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

// The add-in the spreadsheet application loads at start-up.
// {F52A0509-7579-4E39-A377-0F0A41F72235}
inline constexpr GUID kAddInClassId = {0xF52A0509, 0x7579, 0x4E39, {0xA3, 0x77, 0x0F, 0x0A, 0x41, 0xF7, 0x22, 0x35}};
inline constexpr const wchar_t* kAddInClassIdText = L"{F52A0509-7579-4E39-A377-0F0A41F72235}";
inline constexpr const wchar_t* kAddInProgId = L"tavo.addin";
// Where the spreadsheet application finds the current user's add-ins: one
// key per add-in, named by its programmatic identifier.
inline constexpr const wchar_t* kAddInsKey = L"Software\\Microsoft\\Office\\Excel\\Addins";
// The part of kAddInsKey that is the platform's own and never removed.
inline constexpr const wchar_t* kAddInsKeyRoot = L"Software\\Microsoft";
// The ribbon the application asks an add-in about for a workbook window.
inline constexpr const wchar_t* kWorkbookRibbonId = L"Microsoft.Excel.Workbook";
// The other desktop spreadsheet many schools use looks for COM add-ins in
// the same key, but loads only those its spreadsheet's allow-list names (a
// value named by the programmatic identifier). It keeps its settings for
// the current user below kWpsOfficeKey once installed.
inline constexpr const wchar_t* kWpsOfficeKey = L"Software\\Kingsoft\\Office";
inline constexpr const wchar_t* kWpsAllowedAddInsKey = L"Software\\Kingsoft\\Office\\ET\\AddinsWL";
// Load at start-up (1) and loaded now (2).
inline constexpr DWORD kLoadAtStartUp = 3;

// The platform's add-in interfaces, described by the application's own type
// libraries; their identifiers are fixed by the platform.
// {B65AD801-ABAF-11D0-BB8B-00A0C90F2744}
inline constexpr GUID kExtensibilityId = {0xB65AD801, 0xABAF, 0x11D0, {0xBB, 0x8B, 0x00, 0xA0, 0xC9, 0x0F, 0x27, 0x44}};
// {000C0396-0000-0000-C000-000000000046}
inline constexpr GUID kRibbonExtensibilityId = {0x000C0396, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

}  // namespace tavo::component
