#pragma once
// Texts the platform stand-ins show to the user. Each text lives here once, so tests compare
// against the same constant the program uses.
namespace gliffo::texts {

inline constexpr const char* OutOfSystemResources = "Out of system resources";
inline constexpr const char* CanvasDoesNotAllowDrawing = "Canvas does not allow drawing";

// Input/output errors of the folder browser, by system error class.
inline constexpr const char* FileNotFound = "File not found";
inline constexpr const char* InvalidFilename = "Invalid filename";
inline constexpr const char* TooManyOpenFiles = "Too many open files";
inline constexpr const char* FileAccessDenied = "File access denied";
inline constexpr const char* IoErrorPattern = "I/O error %d";

// Reading and writing whole files.
inline constexpr const char* CannotOpenFile = "Cannot open file %s";
inline constexpr const char* CannotCreateFile = "Cannot create file %s";
inline constexpr const char* StreamReadError = "Stream read error";
inline constexpr const char* StreamWriteError = "Stream write error";

// Profile (settings) files.
inline constexpr const char* UnableToWriteTo = "Unable to write to %s";

}  // namespace gliffo::texts
