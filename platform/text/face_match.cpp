#include "platform/text/face_match.h"

#include <fontconfig/fontconfig.h>

#include <cctype>
#include <memory>

#include "platform/errors.h"
#include "platform/late_library.h"
#include "platform/strings.h"

namespace gliffo::text {

namespace {

// fontconfig is opened on the first font asked for, not at start.
const TLateLibrary Fontconfig("libfontconfig.so.1", "Fonts");
GLIFFO_LATE(Fontconfig, FcConfigDestroy);
GLIFFO_LATE(Fontconfig, FcConfigSubstitute);
GLIFFO_LATE(Fontconfig, FcDefaultSubstitute);
GLIFFO_LATE(Fontconfig, FcFontMatch);
GLIFFO_LATE(Fontconfig, FcInitLoadConfigAndFonts);
GLIFFO_LATE(Fontconfig, FcPatternAddBool);
GLIFFO_LATE(Fontconfig, FcPatternAddInteger);
GLIFFO_LATE(Fontconfig, FcPatternAddString);
GLIFFO_LATE(Fontconfig, FcPatternCreate);
GLIFFO_LATE(Fontconfig, FcPatternDestroy);
GLIFFO_LATE(Fontconfig, FcPatternGetDouble);
GLIFFO_LATE(Fontconfig, FcPatternGetInteger);
GLIFFO_LATE(Fontconfig, FcPatternGetString);
GLIFFO_LATE(Fontconfig, FcWeightFromOpenType);

struct PatternDeleter {
  void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using PatternPtr = std::unique_ptr<FcPattern, PatternDeleter>;

bool EqualsIgnoringCase(const std::string& a, const char* b) {
  std::size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return i == a.size() && b[i] == '\0';
}

double NumberOf(FcPattern* p, const char* object, double fallback) {
  int i = 0;
  if (FcPatternGetInteger(p, object, 0, &i) == FcResultMatch) return i;
  double d = 0;
  if (FcPatternGetDouble(p, object, 0, &d) == FcResultMatch) return d;
  return fallback;
}

struct ConfigDeleter {
  void operator()(FcConfig* c) const { FcConfigDestroy(c); }
};

// Our own configuration rather than the library's process-wide one: it is released at exit
// (so leak checkers stay quiet) and never disturbs a window toolkit that uses the global one.
FcConfig* Config() {
  static const std::unique_ptr<FcConfig, ConfigDeleter> config(FcInitLoadConfigAndFonts());
  if (!config) throw EOutOfResources(texts::OutOfSystemResources);
  return config.get();
}

}  // namespace

std::string PlatformFaceName(const std::string& name) {
  return EqualsIgnoringCase(name, "Default") ? std::string("MS Sans Serif") : name;
}

FaceMatch MatchFace(const std::string& name, int weight, bool italic, Pitch pitch) {
  FcConfig* config = Config();
  PatternPtr pattern(FcPatternCreate());
  if (!pattern) throw EOutOfResources(texts::OutOfSystemResources);
  const std::string face = PlatformFaceName(name);
  if (!face.empty()) FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(face.c_str()));
  // The mapper weighs the name above the pitch: an installed family wins, and the pitch only
  // decides what stands in for a name that is not installed.
  if (pitch == Pitch::Fixed) FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>("monospace"));
  FcPatternAddInteger(pattern.get(), FC_WEIGHT, FcWeightFromOpenType(weight));
  FcPatternAddInteger(pattern.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  // Outline faces can be drawn at any height; bitmap-only faces are a last resort.
  FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
  FcConfigSubstitute(config, pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());

  FcResult result = FcResultNoMatch;
  PatternPtr match(FcFontMatch(config, pattern.get(), &result));
  FcChar8* file = nullptr;
  if (!match || FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch || file == nullptr) {
    throw EOutOfResources(texts::OutOfSystemResources);
  }
  FaceMatch m;
  m.File = reinterpret_cast<const char*>(file);
  int index = 0;
  if (FcPatternGetInteger(match.get(), FC_INDEX, 0, &index) == FcResultMatch) m.Index = index;
  FcChar8* family = nullptr;
  if (FcPatternGetString(match.get(), FC_FAMILY, 0, &family) == FcResultMatch && family) {
    m.Family = reinterpret_cast<const char*>(family);
  }
  m.Bold = NumberOf(match.get(), FC_WEIGHT, FC_WEIGHT_REGULAR) >= FC_WEIGHT_DEMIBOLD;
  m.Italic = NumberOf(match.get(), FC_SLANT, FC_SLANT_ROMAN) != FC_SLANT_ROMAN;
  return m;
}

}  // namespace gliffo::text
