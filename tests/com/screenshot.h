// Pictures of what the virtual display shows, as 24-bit BMP files (turned
// into PNG by bmp_to_png.py), so that a person can look at the windows.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tavo::testing {

// A part of the screen as a 24-bit BMP.
inline bool ScreenshotOf(RECT r, const std::wstring& path) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFOHEADER header{sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  const DWORD stride = static_cast<DWORD>((w * 3 + 3) & ~3);
  std::vector<BYTE> pixels(stride * static_cast<DWORD>(h));
  GetDIBits(memory, bitmap, 0, static_cast<UINT>(h), pixels.data(), reinterpret_cast<BITMAPINFO*>(&header),
            DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  BITMAPFILEHEADER file{0x4D42, 0, 0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return false;
  DWORD written;
  WriteFile(out, &file, sizeof(file), &written, nullptr);
  WriteFile(out, &header, sizeof(header), &written, nullptr);
  WriteFile(out, pixels.data(), static_cast<DWORD>(pixels.size()), &written, nullptr);
  CloseHandle(out);
  return true;
}

}  // namespace tavo::testing
