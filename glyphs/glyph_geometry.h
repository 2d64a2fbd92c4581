#pragma once
// The editor's drawing surface and the cells a glyph pixel takes on it. The glyph list sizes
// the editor's pen by the same rule the editor draws with, so both read it from here.
namespace gliffo {

// The surface is this many pixels square, whatever the glyph size or the screen.
inline constexpr int SurfaceSize = 256;

// Surface pixels per glyph pixel: SurfaceSize div the glyph size, at least 1 (a glyph larger
// than the surface gets one-pixel cells rather than none). Glyph sizes are at least 1.
constexpr int CellScaleFor(int glyphSize) { return glyphSize > SurfaceSize ? 1 : SurfaceSize / glyphSize; }

}  // namespace gliffo
