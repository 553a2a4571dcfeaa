#include "win32/window_picture.hpp"

#include <stdexcept>

#include "win32/gdi_handles.hpp"

namespace brackwyn::win32 {

RgbImage CaptureClientArea(HWND window) {
  RECT client{};
  ::GetClientRect(window, &client);
  const int width = client.right, height = client.bottom;
  if (width <= 0 || height <= 0)
    throw std::runtime_error("the window has no area to picture");
  WindowDc screen(window);
  MemoryDc copy(screen.get());
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  Bitmap bitmap(::CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (bitmap.get() == nullptr)
    throw std::runtime_error("not enough memory for the window's picture");
  HGDIOBJ previous = ::SelectObject(copy.get(), bitmap.get());
  bool copied = ::BitBlt(copy.get(), 0, 0, width, height, screen.get(), 0, 0, SRCCOPY) != 0;
  ::GdiFlush();
  ::SelectObject(copy.get(), previous);
  if (!copied)
    throw std::runtime_error("Windows could not copy the window's picture");

  RgbImage image(width, height);
  const auto* in = static_cast<const std::uint8_t*>(bits);
  std::uint8_t* out = image.pixels.data();
  for (std::size_t i = 0, count = std::size_t{1} * width * height; i < count; ++i) {
    out[3 * i] = in[4 * i + 2];
    out[3 * i + 1] = in[4 * i + 1];
    out[3 * i + 2] = in[4 * i];
  }
  return image;
}

}  // namespace brackwyn::win32
