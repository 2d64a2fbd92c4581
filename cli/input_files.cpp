// Inputs of the jobs judged by their headers before anything is loaded; "-" and pipes as
// inputs and outputs.
#include <sys/stat.h>

#include <exception>
#include <limits>
#include <map>
#include <memory>
#include <sstream>

#include "cli/commands.h"
#include "cli/output.h"
#include "glyphs/file_runs.h"
#include "glyphs/icon_set.h"
#include "formats/image_formats.h"
#include "glyphs/strings.h"
#include "platform/errors.h"
#include "platform/files/file_io.h"
#include "platform/raster/pixels.h"

namespace gliffo::cli {

namespace {

constexpr const char* FileIsEmpty = "the file is empty";
constexpr const char* StandardStream = "-";
const std::string StandardOutputName = "/proc/self/fd/1";

// What every pipe of a job may hold together: one picture of the largest size at 32 bits and
// its headers, so piped inputs stay within a job's memory budget however many there are.
constexpr std::uint64_t PipeBudget = static_cast<std::uint64_t>(raster::MaxPicturePixels) * 4 + 65536;

// Pipes read whole, by the name they were given; they stand as regular files for the job.
struct HeldInputs {
  std::map<std::string, std::unique_ptr<files::TInputFile>> ByName;
  std::uint64_t Bytes = 0;
};
HeldInputs& Held() {
  static HeldInputs held;
  return held;
}

}  // namespace

std::string CellStripPath(const std::string& fileName) { return CellStripFile(fileName); }

std::string InputPath(const std::string& name) {
  const std::string fileName = CellStripPath(name);
  HeldInputs& held = Held();
  if (const auto found = held.ByName.find(fileName); found != held.ByName.end()) return found->second->ReopenName();
  // Most inputs are plain files, known as such without opening them; anything else (or a file
  // that cannot be looked at) is opened below, which also says what is wrong with it.
  struct stat info {};
  if (fileName != StandardStream && ::stat(fileName.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return fileName;
  const std::uint64_t left = PipeBudget - held.Bytes;
  std::unique_ptr<files::TInputFile> file =
      AboutFile(fileName, [&] {
        return fileName == StandardStream ? files::TInputFile::StandardInput(left)
                                          : std::make_unique<files::TInputFile>(fileName, left);
      });
  // A named regular file is loaded by its name; standard input, whatever it is, by the
  // descriptor this object keeps open.
  if (!file->HeldWhole() && fileName != StandardStream) return fileName;
  if (file->HeldWhole()) held.Bytes += file->RegularSize().value_or(0);
  std::string path = file->ReopenName();
  held.ByName.emplace(fileName, std::move(file));
  return path;
}

std::string OutputPath(const std::string& fileName) {
  // The open descriptor itself, so a redirection that appends goes on appending.
  return fileName == StandardStream ? StandardOutputName : fileName;
}

std::string ShownName(const std::string& fileName) {
  if (fileName == StandardOutputName) return StandardStream;
  for (const auto& [name, file] : Held().ByName)
    if (file->ReopenName() == fileName) return name;
  return fileName;
}

TOutput& Out() {
  static TOutput out(stdout);
  return out;
}

TOutput& Err() {
  static TOutput err(stderr);
  return err;
}

TOutput& ReportStream(const std::string& output) { return output == StandardStream ? Err() : Out(); }

InputHeader ReadInputHeader(const std::string& fileName, const TDecodeOptions& options) {
  const std::string path = InputPath(fileName);
  return AboutFile(fileName, [&] {
    const files::TInputFile file(path);
    const TFileHead head = ReadFileHead(file);
    InputHeader input;
    input.Path = path;
    input.FileSize = head.FileSize;
    if (!head.Format) return input;
    input.Empty = false;
    input.Format = head.Format;
    input.Header = head.Format->ReadHeader(head.Bytes, head.FileSize, options);
    return input;
  });
}

void DescribeInput(const std::string& fileName) {
  const std::string path = InputPath(fileName);
  const TFileHead head = AboutFile(fileName, [&] { return ReadFileHead(files::TInputFile(path)); });
  if (!head.Format) ThrowEmptyInput(fileName);
  // The format describes into a string stream; lines it gave before an error are printed too.
  std::ostringstream lines;
  try {
    AboutFile(fileName, [&] { head.Format->Describe(head.Bytes, head.FileSize, lines); });
  } catch (...) {
    Out() << lines.str();
    throw;
  }
  Out() << lines.str();
}

void ThrowEmptyInput(const std::string& fileName) { ThrowAboutFile(fileName, EInvalidGraphic(FileIsEmpty)); }

void WarnIfShort(const std::string& fileName, std::uint64_t missingBytes) {
  if (missingBytes > 0)
    Err() << "gliffo-tool: " << fileName << ": warning: the file ends " << missingBytes
          << " bytes before its last pixel; the missing pixels load as zeros\n";
}


InputHeader CheckInput(const std::string& fileName, const TDecodeOptions& options, bool refuseEmpty) {
  const InputHeader input = ReadInputHeader(fileName, options);
  if (input.Empty && refuseEmpty) ThrowEmptyInput(fileName);
  WarnIfShort(fileName, input.Header.MissingBytes);
  return input;
}

std::vector<InputHeader> CheckInputs(const std::vector<std::string>& fileNames, const TDecodeOptions& options,
                                     bool refuseEmpty) {
  // Pipes are read whole here, one after another (a name that cannot be opened keeps its error
  // for its turn); the headers are then read on every core, and judged in order.
  std::vector<std::exception_ptr> opened(fileNames.size());
  for (std::size_t i = 0; i < fileNames.size(); ++i) {
    try {
      InputPath(fileNames[i]);
    } catch (...) {
      opened[i] = std::current_exception();
    }
  }
  std::vector<InputHeader> inputs(fileNames.size());
  const std::vector<std::exception_ptr> errors = ReadFilesOnCores(fileNames.size(), [&](std::size_t i) {
    if (opened[i]) std::rethrow_exception(opened[i]);
    inputs[i] = ReadInputHeader(fileNames[i], options);
  });
  for (std::size_t i = 0; i < fileNames.size(); ++i) {
    if (errors[i]) std::rethrow_exception(errors[i]);
    if (inputs[i].Empty && refuseEmpty) ThrowEmptyInput(fileNames[i]);
    WarnIfShort(fileNames[i], inputs[i].Header.MissingBytes);
  }
  return inputs;
}

}  // namespace gliffo::cli
