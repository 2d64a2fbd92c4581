#pragma once
// The drive selector's list. Linux has no drive letters: the "drives" are the file-system root
// and the mounted volumes of real file systems, read from the kernel's mount table. Pseudo file
// systems (proc, sysfs, cgroup, ...) and the system's own mount areas (/proc, /sys, /dev, /run,
// /snap) are left out, as is every mount point that is not a folder (bind-mounted files).
#include <string>
#include <string_view>
#include <vector>

namespace gliffo::drives {

enum class DriveKind { Removable, Fixed, Network, CdRom, RamDisk };

// One line of /proc/self/mountinfo, with the kernel's octal escapes (\040 for a blank, ...)
// decoded.
struct MountEntry {
  std::string MountPoint;
  std::string FileSystemType;
  std::string Source;  // the device, the remote share ("//server/share", "host:/export") or a tag
  unsigned Major = 0;
  unsigned Minor = 0;
};

// Parses the text of /proc/self/mountinfo; malformed lines are skipped.
std::vector<MountEntry> ParseMountInfo(std::string_view text);

struct Volume {
  std::string MountPoint;  // the volume's root folder
  DriveKind Kind = DriveKind::Fixed;
  std::string Text;  // what the selector shows
};

// What the volume list needs to know about the machine beyond the mount table. The system
// probe reads /sys/dev/block and /dev/disk/by-label; tests give their own answers.
class VolumeProbe {
 public:
  virtual ~VolumeProbe() = default;
  virtual bool IsFolder(const std::string& path) const = 0;
  // The mount's block device (or, for a partition, the disk it belongs to) says it is removable.
  virtual bool IsRemovableDevice(const MountEntry& mount) const = 0;
  // The file system's label as stored on the device; empty when it has none.
  virtual std::string VolumeLabel(const MountEntry& mount) const = 0;
};

const VolumeProbe& SystemVolumeProbe();

// The drive kind of a mount, or false for mounts that are not listed at all.
bool ClassifyMount(const MountEntry& mount, const VolumeProbe& probe, DriveKind& kind);

// The selector's entries, sorted by mount point (so "/" comes first). "/" is always listed,
// even when the root is an overlay or missing from the table. Of several mounts on one mount
// point only the last, the one that is visible, counts.
// Entry texts: removable volumes show the mount point; fixed, CD-ROM and RAM-disk volumes show
// "<mount point>: <label>" with the label as LabelText gives it (an unlabelled volume shows the
// mount point, a colon and a blank); network volumes show "<mount point>: <remote name>" with
// the mount source lower-cased, or the label form when there is no source.
std::vector<Volume> BuildVolumeList(const std::vector<MountEntry>& mounts, const VolumeProbe& probe);

// The volumes of this machine, from /proc/self/mountinfo.
std::vector<Volume> MountedVolumes();

// A volume label as the selector shows it: lower-cased, then the first character upper-cased
// (letters a to z only): "SYSTEM DISK" becomes "System disk".
std::string LabelText(std::string_view label);

// The index of the volume holding an absolute folder path: the one with the longest mount point
// that is the folder itself or one of its ancestors; -1 when none does.
int VolumeIndexOf(const std::vector<Volume>& volumes, std::string_view folder);

// The icon each kind shows, as a freedesktop icon name, so the window can take it from the
// icon theme and draw its own when the theme lacks it.
const char* DriveKindIconId(DriveKind kind);

}  // namespace gliffo::drives
