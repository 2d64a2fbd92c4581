/* The strip jobs done the way a program built on stb_image would do them, as a peer of
 * gliffo-tool in bench/strips/run.sh (which compiles it with cc -O2).
 *   stb_peer gather DIR OUT.bmp SIZE   the SIZE-high files of DIR, name order, side by side
 *   stb_peer combine OUT.bmp IN...     the files side by side, at the first one's height
 *   stb_peer to4bit IN.bmp OUT.bmp     nearest of the 16 system colours, as a 4-bit BMP
 *   stb_peer decode IN OUT.ppm         the picture as a binary PPM
 *   stb_peer gatherpng DIR OUT.bmp SIZE  gather of *.bmp and *.png, alpha below 128 magenta
 *   stb_peer split STRIP OUTDIR        each glyph as NAME_NNNN.png, its bottom-left colour
 *                                      transparent
 * Strips are written with stbi_write_bmp, which only knows 24 bits per pixel. */
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_ONLY_BMP
#define STBI_ONLY_PNG
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include <dirent.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

static const unsigned char palette[16][3] = {
    {0, 0, 0},     {128, 0, 0},     {0, 128, 0},   {128, 128, 0}, {0, 0, 128},   {128, 0, 128},
    {0, 128, 128}, {128, 128, 128}, {192, 192, 192}, {255, 0, 0},  {0, 255, 0},   {255, 255, 0},
    {0, 0, 255},   {255, 0, 255},   {0, 255, 255}, {255, 255, 255}};

static int fail(const char *what, const char *why) {
  fprintf(stderr, "stb_peer: %s: %s\n", what, why);
  return 1;
}

static int by_name(const void *a, const void *b) { return strcasecmp(*(char *const *)a, *(char *const *)b); }

/* Loads every file, keeps those of the height (0: the first file's) whose width is a multiple of
 * the given one, and writes them side by side. */
/* Four channels to three, a pixel of alpha below 128 magenta. */
static unsigned char *keyed(unsigned char *p, int w, int h) {
  if (!p) return p;
  const size_t n = (size_t)w * (size_t)h;
  for (size_t i = 0; i < n; ++i) {
    const unsigned char *s = p + 4 * i;
    unsigned char *d = p + 3 * i;
    if (s[3] < 128) d[0] = 255, d[1] = 0, d[2] = 255;
    else d[0] = s[0], d[1] = s[1], d[2] = s[2];
  }
  return p;
}

static int key_alpha = 0;

static int join(char **files, int count, int height, int multiple, const char *out) {
  unsigned char **pixels = calloc((size_t)count, sizeof *pixels);
  int *widths = calloc((size_t)count, sizeof *widths);
  long total = 0;
  for (int i = 0; i < count; ++i) {
    int w, h, n;
    unsigned char *p = stbi_load(files[i], &w, &h, &n, key_alpha ? 4 : 3);
    if (key_alpha) keyed(p, w, h);
    if (!p) return fail(files[i], stbi_failure_reason());
    if (height == 0) height = h;
    if (h != height || w % multiple != 0) {
      stbi_image_free(p);
      continue;
    }
    pixels[i] = p;
    widths[i] = w;
    total += w;
  }
  if (total == 0) return fail(out, "no pictures of the height");
  unsigned char *strip = malloc((size_t)total * (size_t)height * 3);
  long left = 0;
  for (int i = 0; i < count; ++i) {
    if (!pixels[i]) continue;
    for (int y = 0; y < height; ++y)
      memcpy(strip + ((size_t)y * (size_t)total + (size_t)left) * 3, pixels[i] + (size_t)y * (size_t)widths[i] * 3,
             (size_t)widths[i] * 3);
    left += widths[i];
    stbi_image_free(pixels[i]);
  }
  if (!stbi_write_bmp(out, (int)total, height, 3, strip)) return fail(out, "cannot write");
  free(strip);
  free(pixels);
  free(widths);
  return 0;
}

static int has_ending(const char *name, size_t len, const char *ending) {
  return len >= 4 && strcasecmp(name + len - 4, ending) == 0;
}

static int gather(const char *folder, const char *out, int size) {
  DIR *dir = opendir(folder);
  if (!dir) return fail(folder, "cannot list");
  size_t count = 0, room = 1024;
  char **files = malloc(room * sizeof *files);
  for (struct dirent *e; (e = readdir(dir)) != NULL;) {
    const size_t len = strlen(e->d_name);
    if (e->d_name[0] == '.' || !(has_ending(e->d_name, len, ".bmp") || (key_alpha && has_ending(e->d_name, len, ".png"))))
      continue;
    if (count == room) files = realloc(files, (room *= 2) * sizeof *files);
    files[count] = malloc(strlen(folder) + len + 2);
    sprintf(files[count++], "%s/%s", folder, e->d_name);
  }
  closedir(dir);
  qsort(files, count, sizeof *files, by_name);
  return join(files, (int)count, size, size, out);
}

/* Written by hand: stb_image_write has no 4-bit writer, and a 24-bit file would be six times
 * the bytes of what the other tools write for this job. */
static int to4bit(const char *in, const char *out) {
  int w, h, n;
  unsigned char *p = stbi_load(in, &w, &h, &n, 3);
  if (!p) return fail(in, stbi_failure_reason());
  const size_t stride = (((size_t)w * 4 + 31) / 32) * 4;
  const size_t bits = stride * (size_t)h;
  const size_t offset = 14 + 40 + 64;
  unsigned char head[14 + 40 + 64] = {'B', 'M'};
  const unsigned long fields[][2] = {{2, offset + bits}, {10, offset}, {14, 40}, {18, (unsigned long)w},
                                     {22, (unsigned long)h}, {34, bits}, {46, 16}};
  for (size_t f = 0; f < sizeof fields / sizeof fields[0]; ++f)
    for (int b = 0; b < 4; ++b) head[fields[f][0] + b] = (unsigned char)(fields[f][1] >> (8 * b));
  head[26] = 1;
  head[28] = 4;
  for (int c = 0; c < 16; ++c) {
    head[54 + 4 * c] = palette[c][2];
    head[55 + 4 * c] = palette[c][1];
    head[56 + 4 * c] = palette[c][0];
  }
  unsigned char *data = calloc(bits, 1);
  for (int y = 0; y < h; ++y) {
    unsigned char *row = data + (size_t)(h - 1 - y) * stride;
    for (int x = 0; x < w; ++x) {
      const unsigned char *c = p + ((size_t)y * (size_t)w + (size_t)x) * 3;
      int best = 0, bestDistance = 1 << 30;
      for (int i = 0; i < 16; ++i) {
        const int dr = c[0] - palette[i][0], dg = c[1] - palette[i][1], db = c[2] - palette[i][2];
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) bestDistance = d, best = i;
      }
      row[x / 2] |= (unsigned char)(x % 2 ? best : best << 4);
    }
  }
  FILE *f = fopen(out, "wb");
  if (!f || fwrite(head, 1, offset, f) != offset || fwrite(data, 1, bits, f) != bits || fclose(f) != 0)
    return fail(out, "cannot write");
  stbi_image_free(p);
  free(data);
  return 0;
}

static int decode(const char *in, const char *out) {
  int w, h, n;
  unsigned char *p = stbi_load(in, &w, &h, &n, 3);
  if (!p) return fail(in, stbi_failure_reason());
  FILE *f = fopen(out, "wb");
  const size_t bytes = (size_t)w * (size_t)h * 3;
  if (!f || fprintf(f, "P6\n%d %d\n255\n", w, h) < 0 || fwrite(p, 1, bytes, f) != bytes || fclose(f) != 0)
    return fail(out, "cannot write");
  stbi_image_free(p);
  return 0;
}

static int split(const char *in, const char *folder) {
  int w, h, n;
  unsigned char *p = stbi_load(in, &w, &h, &n, 4);
  if (!p) return fail(in, stbi_failure_reason());
  const char *slash = strrchr(in, '/');
  char base[256];
  snprintf(base, sizeof base, "%s", slash ? slash + 1 : in);
  char *dot = strrchr(base, '.');
  if (dot && dot != base) *dot = 0;
  unsigned char *glyph = malloc((size_t)h * (size_t)h * 4);
  char *name = malloc(strlen(folder) + strlen(base) + 32);
  for (int g = 0; g < w / h; ++g) {
    for (int y = 0; y < h; ++y) memcpy(glyph + (size_t)y * h * 4, p + ((size_t)y * w + (size_t)g * h) * 4, (size_t)h * 4);
    unsigned char key[4];
    memcpy(key, glyph + (size_t)(h - 1) * h * 4, 4);
    for (int i = 0; i < h * h; ++i)
      if (memcmp(glyph + 4 * i, key, 3) == 0) glyph[4 * i + 3] = 0;
    sprintf(name, "%s/%s_%04d.png", folder, base, g);
    if (!stbi_write_png(name, h, h, 4, glyph, h * 4)) return fail(name, "cannot write");
  }
  free(name);
  free(glyph);
  stbi_image_free(p);
  return 0;
}

int main(int argc, char **argv) {
  if (argc == 5 && strcmp(argv[1], "gatherpng") == 0) {
    key_alpha = 1;
    return gather(argv[2], argv[3], atoi(argv[4]));
  }
  if (argc == 4 && strcmp(argv[1], "split") == 0) return split(argv[2], argv[3]);
  if (argc == 5 && strcmp(argv[1], "gather") == 0) return gather(argv[2], argv[3], atoi(argv[4]));
  if (argc >= 4 && strcmp(argv[1], "combine") == 0) return join(argv + 3, argc - 3, 0, 1, argv[2]);
  if (argc == 4 && strcmp(argv[1], "to4bit") == 0) return to4bit(argv[2], argv[3]);
  if (argc == 4 && strcmp(argv[1], "decode") == 0) return decode(argv[2], argv[3]);
  fprintf(stderr, "usage: stb_peer gather DIR OUT SIZE | combine OUT IN... | to4bit IN OUT | decode IN OUT\n");
  return 2;
}
