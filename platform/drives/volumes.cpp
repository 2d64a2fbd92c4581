#include "platform/drives/volumes.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <fstream>
#include <sstream>

namespace gliffo::drives {

namespace {

// The kernel writes blanks, tabs, newlines and backslashes in mount paths as \ooo.
std::string DecodeOctalEscapes(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size()) {
      bool octal = true;
      int value = 0;
      for (size_t k = 1; k <= 3; ++k) {
        if (field[i + k] < '0' || field[i + k] > '7') {
          octal = false;
          break;
        }
        value = value * 8 + (field[i + k] - '0');
      }
      if (octal && value < 256) {
        out.push_back(static_cast<char>(value));
        i += 3;
        continue;
      }
    }
    out.push_back(field[i]);
  }
  return out;
}

std::vector<std::string_view> SplitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) fields.push_back(line.substr(start, i - start));
  }
  return fields;
}

bool ParseUnsigned(std::string_view text, unsigned& value) {
  if (text.empty() || text.size() > 9) return false;
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  return true;
}

bool IsUnder(std::string_view path, std::string_view folder) {
  return path == folder || (path.size() > folder.size() && path.substr(0, folder.size()) == folder &&
                            path[folder.size()] == '/');
}

// Kernel and desktop plumbing that is mounted like a file system but holds no user files.
constexpr std::array kPseudoFileSystems = {
    "proc",       "sysfs",       "cgroup",     "cgroup2",    "devpts",          "devtmpfs",  "securityfs",
    "debugfs",    "tracefs",     "mqueue",     "pstore",     "bpf",             "autofs",    "fusectl",
    "configfs",   "binfmt_misc", "hugetlbfs",  "efivarfs",   "rpc_pipefs",      "nsfs",      "selinuxfs",
    "nfsd",       "rootfs",      "fuse.portal", "fuse.gvfsd-fuse", "fuse.lxcfs", "fuse.snapfuse"};

constexpr std::array kNetworkFileSystems = {"nfs",          "nfs4",          "cifs",        "smb3",       "smbfs",
                                            "ncpfs",        "sshfs",         "fuse.sshfs",  "9p",         "davfs",
                                            "fuse.davfs2",  "fuse.davfs",    "afs",         "ceph",       "glusterfs",
                                            "fuse.glusterfs", "fuse.rclone", "fuse.s3fs",   "coda",       "lustre"};

constexpr std::array kCdRomFileSystems = {"iso9660", "udf"};
constexpr std::array kRamDiskFileSystems = {"tmpfs", "ramfs"};

// The system's own mount areas: runtime state, devices and packaged read-only images.
constexpr std::array kSystemAreas = {"/proc", "/sys", "/dev", "/run", "/snap"};
constexpr std::array kMediaFolders = {"/media", "/run/media"};

template <size_t N>
bool Contains(const std::array<const char*, N>& set, std::string_view value) {
  return std::any_of(set.begin(), set.end(), [&](const char* item) { return value == item; });
}

std::string LowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

bool MountedUnderMediaFolder(std::string_view mountPoint) {
  return std::any_of(kMediaFolders.begin(), kMediaFolders.end(),
                     [&](const char* folder) { return IsUnder(mountPoint, folder) && mountPoint != folder; });
}

// udev names the links in /dev/disk/by-label with unsafe bytes written as \xNN.
std::string DecodeUdevName(std::string_view name) {
  std::string out;
  for (size_t i = 0; i < name.size(); ++i) {
    if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x' && std::isxdigit(static_cast<unsigned char>(name[i + 2])) &&
        std::isxdigit(static_cast<unsigned char>(name[i + 3]))) {
      out.push_back(static_cast<char>(std::stoi(std::string(name.substr(i + 2, 2)), nullptr, 16)));
      i += 3;
      continue;
    }
    out.push_back(name[i]);
  }
  return out;
}

bool ReadFlagFile(const std::string& path, bool& flag) {
  std::ifstream in(path);
  char c = 0;
  if (!(in >> c)) return false;
  flag = c == '1';
  return true;
}

// The block device behind a mount. The table's own numbers are anonymous for some file systems
// (btrfs, and FUSE ones such as ntfs-3g), so a source naming a device node counts first.
bool BlockDevice(const MountEntry& mount, unsigned& major, unsigned& minor) {
  struct stat info {};
  if (mount.Source.rfind("/dev/", 0) == 0 && ::stat(mount.Source.c_str(), &info) == 0 && S_ISBLK(info.st_mode)) {
    major = ::major(info.st_rdev);
    minor = ::minor(info.st_rdev);
    return true;
  }
  major = mount.Major;
  minor = mount.Minor;
  return major != 0;  // major 0: no block device behind it
}

class SystemProbe : public VolumeProbe {
 public:
  bool IsFolder(const std::string& path) const override {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
  }

  bool IsRemovableDevice(const MountEntry& mount) const override {
    unsigned major = 0, minor = 0;
    if (!BlockDevice(mount, major, minor)) return false;
    std::string device = "/sys/dev/block/" + std::to_string(major) + ":" + std::to_string(minor);
    bool removable = false;
    if (ReadFlagFile(device + "/removable", removable)) return removable;
    // A partition has no flag of its own; its disk, the parent in sysfs, has it.
    if (ReadFlagFile(device + "/../removable", removable)) return removable;
    return false;
  }

  std::string VolumeLabel(const MountEntry& mount) const override {
    unsigned major = 0, minor = 0;
    if (!BlockDevice(mount, major, minor)) return {};
    const std::string folder = "/dev/disk/by-label";
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return {};
    std::string label;
    while (dirent* entry = ::readdir(dir)) {
      std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      struct stat info {};
      if (::stat((folder + "/" + name).c_str(), &info) != 0 || !S_ISBLK(info.st_mode)) continue;
      if (::major(info.st_rdev) == major && ::minor(info.st_rdev) == minor) {
        label = DecodeUdevName(name);
        break;
      }
    }
    ::closedir(dir);
    return label;
  }
};

}  // namespace

std::vector<MountEntry> ParseMountInfo(std::string_view text) {
  std::vector<MountEntry> mounts;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;

    // id parent major:minor root mount-point options [optional...] - type source super-options
    auto fields = SplitFields(line);
    if (fields.size() < 7) continue;
    auto dash = std::find(fields.begin() + 6, fields.end(), std::string_view("-"));
    if (dash == fields.end() || fields.end() - dash < 3) continue;
    std::string_view device = fields[2];
    size_t colon = device.find(':');
    MountEntry mount;
    if (colon == std::string_view::npos || !ParseUnsigned(device.substr(0, colon), mount.Major) ||
        !ParseUnsigned(device.substr(colon + 1), mount.Minor))
      continue;
    mount.MountPoint = DecodeOctalEscapes(fields[4]);
    if (mount.MountPoint.empty() || mount.MountPoint[0] != '/') continue;
    mount.FileSystemType = DecodeOctalEscapes(dash[1]);
    mount.Source = DecodeOctalEscapes(dash[2]);
    mounts.push_back(std::move(mount));
  }
  return mounts;
}

bool ClassifyMount(const MountEntry& mount, const VolumeProbe& probe, DriveKind& kind) {
  const std::string& type = mount.FileSystemType;
  const bool isRoot = mount.MountPoint == "/";
  if (!isRoot) {
    if (Contains(kPseudoFileSystems, type) || type == "overlay") return false;
    bool inSystemArea = std::any_of(kSystemAreas.begin(), kSystemAreas.end(),
                                    [&](const char* area) { return IsUnder(mount.MountPoint, area); });
    if (inSystemArea && !MountedUnderMediaFolder(mount.MountPoint)) return false;
  }
  if (Contains(kNetworkFileSystems, type)) {
    kind = DriveKind::Network;
  } else if (Contains(kCdRomFileSystems, type)) {
    kind = DriveKind::CdRom;
  } else if (Contains(kRamDiskFileSystems, type)) {
    kind = DriveKind::RamDisk;
  } else if (!isRoot && (MountedUnderMediaFolder(mount.MountPoint) || probe.IsRemovableDevice(mount))) {
    kind = DriveKind::Removable;
  } else {
    kind = DriveKind::Fixed;
  }
  return true;
}

std::string LabelText(std::string_view label) {
  std::string text = LowerAscii(label);
  if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
  return text;
}

std::vector<Volume> BuildVolumeList(const std::vector<MountEntry>& mounts, const VolumeProbe& probe) {
  // A later mount on the same point hides the earlier one.
  std::vector<const MountEntry*> visible;
  for (const MountEntry& mount : mounts) {
    auto same = std::find_if(visible.begin(), visible.end(),
                             [&](const MountEntry* seen) { return seen->MountPoint == mount.MountPoint; });
    if (same != visible.end()) {
      *same = &mount;
    } else {
      visible.push_back(&mount);
    }
  }

  std::vector<Volume> volumes;
  bool haveRoot = false;
  for (const MountEntry* mount : visible) {
    DriveKind kind;
    if (!ClassifyMount(*mount, probe, kind)) continue;
    if (mount->MountPoint != "/" && !probe.IsFolder(mount->MountPoint)) continue;
    Volume volume;
    volume.MountPoint = mount->MountPoint;
    volume.Kind = kind;
    if (kind == DriveKind::Removable) {
      // Like a floppy drive, a removable volume is not asked for its label.
      volume.Text = mount->MountPoint;
    } else if (kind == DriveKind::Network && !mount->Source.empty() && mount->Source != "none") {
      volume.Text = mount->MountPoint + ": " + LowerAscii(mount->Source);
    } else {
      volume.Text = mount->MountPoint + ": " + LabelText(probe.VolumeLabel(*mount));
    }
    haveRoot = haveRoot || volume.MountPoint == "/";
    volumes.push_back(std::move(volume));
  }
  if (!haveRoot) volumes.push_back(Volume{"/", DriveKind::Fixed, "/: "});
  std::sort(volumes.begin(), volumes.end(),
            [](const Volume& a, const Volume& b) { return a.MountPoint < b.MountPoint; });
  return volumes;
}

const VolumeProbe& SystemVolumeProbe() {
  static const SystemProbe probe;
  return probe;
}

std::vector<Volume> MountedVolumes() {
  std::ifstream in("/proc/self/mountinfo");
  std::stringstream text;
  text << in.rdbuf();
  return BuildVolumeList(ParseMountInfo(text.str()), SystemVolumeProbe());
}

int VolumeIndexOf(const std::vector<Volume>& volumes, std::string_view folder) {
  int best = -1;
  size_t bestLength = 0;
  for (size_t i = 0; i < volumes.size(); ++i) {
    const std::string& mountPoint = volumes[i].MountPoint;
    bool holds = mountPoint == "/" ? !folder.empty() && folder[0] == '/' : IsUnder(folder, mountPoint);
    if (holds && (best < 0 || mountPoint.size() > bestLength)) {
      best = static_cast<int>(i);
      bestLength = mountPoint.size();
    }
  }
  return best;
}

const char* DriveKindIconId(DriveKind kind) {
  switch (kind) {
    case DriveKind::Removable:
      return "drive-removable-media";
    case DriveKind::Fixed:
      return "drive-harddisk";
    case DriveKind::Network:
      return "folder-remote";
    case DriveKind::CdRom:
      return "media-optical";
    case DriveKind::RamDisk:
      return "media-flash";
  }
  return "drive-harddisk";
}

}  // namespace gliffo::drives
