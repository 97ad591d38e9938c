// PNG output of a surface: 8-bit RGB through libpng.
#include <png.h>

#include <cstdio>
#include <vector>

#include "surface.h"

namespace plat::detail {
namespace {

// Kept free of C++ objects with destructors: libpng reports errors by longjmp.
bool WriteRgb(std::FILE* f, int width, int height, const unsigned char* rgb) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) {
    png_write_row(png, rgb + static_cast<size_t>(y) * static_cast<size_t>(width) * 3);
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool SaveSurfacePng(const Surface& surface, const char* path) {
  if (!path || !*path) return false;
  int w = 0, h = 0;
  const std::vector<uint32_t> px = surface.Snapshot(&w, &h);
  if (w <= 0 || h <= 0) return false;  // PNG has no empty images
  std::vector<unsigned char> rgb(px.size() * 3);
  for (size_t i = 0; i < px.size(); ++i) {
    rgb[3 * i] = static_cast<unsigned char>(px[i] >> 16);
    rgb[3 * i + 1] = static_cast<unsigned char>(px[i] >> 8);
    rgb[3 * i + 2] = static_cast<unsigned char>(px[i]);
  }
  std::FILE* f = std::fopen(path, "wb");
  if (!f) return false;
  bool ok = WriteRgb(f, w, h, rgb.data());
  ok = std::fclose(f) == 0 && ok;
  if (!ok) std::remove(path);
  return ok;
}

}  // namespace plat::detail
