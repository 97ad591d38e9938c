// Prints the colour of one pixel of a PNG as RRGGBB: png_probe FILE X Y. Exit 1 when the file
// cannot be read or the point lies outside the image.
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: png_probe FILE X Y\n");
    return 2;
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, argv[1])) {
    std::fprintf(stderr, "png_probe: %s: %s\n", argv[1], image.message);
    return 1;
  }
  image.format = PNG_FORMAT_RGB;
  std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) {
    std::fprintf(stderr, "png_probe: %s: %s\n", argv[1], image.message);
    return 1;
  }
  const long x = std::strtol(argv[2], nullptr, 10);
  const long y = std::strtol(argv[3], nullptr, 10);
  if (x < 0 || y < 0 || x >= static_cast<long>(image.width) || y >= static_cast<long>(image.height)) {
    std::fprintf(stderr, "png_probe: (%ld, %ld) lies outside the %ux%u image\n", x, y, image.width, image.height);
    return 1;
  }
  const png_byte* p = &rgb[(static_cast<size_t>(y) * image.width + static_cast<size_t>(x)) * 3];
  std::printf("%02x%02x%02x\n", p[0], p[1], p[2]);
  return 0;
}
