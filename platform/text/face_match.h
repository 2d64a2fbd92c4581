#pragma once
// Face-name matching: the stand-in for the platform font mapper's choice of a face file. Every
// name resolves to some installed face, as the mapper never refuses a name it does not know.
#include <string>

namespace gliffo::text {

// Pitch request of a font: the platform's values 0 (default), 1 (fixed), 2 (variable).
enum class Pitch { Default = 0, Fixed = 1, Variable = 2 };

struct FaceMatch {
  std::string File;    // path of the face file
  int Index = 0;       // face index inside the file (collections)
  std::string Family;  // family name of the chosen face
  bool Bold = false;   // the chosen face is itself bold (no emboldening needed)
  bool Italic = false; // the chosen face is itself italic or oblique (no slant needed)
};

// The face name the mapper is asked for: "Default" in any letter case stands for "MS Sans Serif".
std::string PlatformFaceName(const std::string& name);

// Finds the installed face that best answers the name, weight (400 regular, 700 bold) and slant.
// A fixed pitch makes a monospaced face the fallback for names that are not installed.
// Raises EOutOfResources when no face exists at all.
FaceMatch MatchFace(const std::string& name, int weight, bool italic, Pitch pitch);

}  // namespace gliffo::text
