#include "platform/drives/volumes.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace gliffo::drives {
namespace {

// A laptop with a container root, a USB stick, a labelled data disk, a DVD, shares and the usual
// kernel plumbing; one mount point hides another and one line is garbage.
constexpr const char* kSampleMountInfo =
    "22 27 0:21 / /proc rw,relatime - proc proc rw\n"
    "23 27 0:22 / /sys rw,relatime - sysfs sysfs rw\n"
    "24 27 0:6 / /dev rw,relatime - devtmpfs devtmpfs rw,size=12334760k\n"
    "25 24 0:23 / /dev/shm rw,relatime - tmpfs tmpfs rw\n"
    "27 1 0:50 / / rw,relatime master:1 - overlay overlay rw,lowerdir=/x\n"
    "31 23 0:28 / /sys/fs/cgroup rw,relatime - cgroup2 cgroup2 rw\n"
    "40 27 8:2 / /home rw,relatime shared:2 - ext4 /dev/sda2 rw\n"
    "41 27 8:17 / /media/ann/STICK rw,nosuid - vfat /dev/sdb1 rw\n"
    "42 27 8:33 / /mnt/backup\\040disk rw - ext4 /dev/sdc1 rw\n"
    "43 27 11:0 / /mnt/dvd ro - iso9660 /dev/sr0 ro\n"
    "44 27 0:60 / /mnt/share rw - cifs //FileServer/Public rw\n"
    "45 27 0:61 / /mnt/nfs rw - nfs4 nas:/Export/Home rw\n"
    "46 27 0:62 / /scratch rw - tmpfs tmpfs rw\n"
    "47 27 0:63 / /run/user/1000 rw - tmpfs tmpfs rw\n"
    "48 27 8:49 / /data rw - xfs /dev/sdd1 rw\n"
    "49 27 8:50 / /data rw - xfs /dev/sdd2 rw\n"
    "50 27 8:2 /ann/etc-hosts /etc/hosts rw - ext4 /dev/sda2 rw\n"
    "51 27 0:70 / /run/media/ann/CAMERA rw - exfat /dev/sde1 rw\n"
    "52 27 0:71 / /mnt/ssh rw - fuse.sshfs Ann@Host:/srv rw\n"
    "garbage line\n"
    "53 27 x:y / /broken rw - ext4 /dev/sdx rw\n";

class FakeProbe : public VolumeProbe {
 public:
  std::set<std::string> NotFolders{"/etc/hosts"};
  std::set<std::pair<unsigned, unsigned>> Removable{{8, 17}};
  std::map<std::pair<unsigned, unsigned>, std::string> Labels{
      {{8, 2}, "HOME"}, {{8, 33}, "BACKUP DISK"}, {{11, 0}, "MY_DVD"}, {{8, 17}, "STICK"}, {{8, 50}, "data2"}};

  bool IsFolder(const std::string& path) const override { return NotFolders.count(path) == 0; }
  bool IsRemovableDevice(const MountEntry& mount) const override { return Removable.count({mount.Major, mount.Minor}) > 0; }
  std::string VolumeLabel(const MountEntry& mount) const override {
    auto found = Labels.find({mount.Major, mount.Minor});
    return found == Labels.end() ? std::string() : found->second;
  }
};

TEST(MountTable, ParsesFieldsAndDecodesEscapes) {
  auto mounts = ParseMountInfo(kSampleMountInfo);
  ASSERT_EQ(mounts.size(), 19u);  // the two malformed lines are dropped
  EXPECT_EQ(mounts[4].MountPoint, "/");
  EXPECT_EQ(mounts[4].FileSystemType, "overlay");
  EXPECT_EQ(mounts[6].MountPoint, "/home");
  EXPECT_EQ(mounts[6].Source, "/dev/sda2");
  EXPECT_EQ(mounts[6].Major, 8u);
  EXPECT_EQ(mounts[6].Minor, 2u);
  EXPECT_EQ(mounts[8].MountPoint, "/mnt/backup disk");
  EXPECT_TRUE(ParseMountInfo("").empty());
  EXPECT_TRUE(ParseMountInfo("1 2 3:4 / / rw\n").empty());  // no separator before the type
}

TEST(VolumeList, ListsRealVolumesWithTheirKindsAndTexts) {
  FakeProbe probe;
  auto volumes = BuildVolumeList(ParseMountInfo(kSampleMountInfo), probe);
  std::vector<std::tuple<std::string, DriveKind, std::string>> got;
  for (const auto& v : volumes) got.emplace_back(v.MountPoint, v.Kind, v.Text);
  std::vector<std::tuple<std::string, DriveKind, std::string>> expected{
      {"/", DriveKind::Fixed, "/: "},
      {"/data", DriveKind::Fixed, "/data: Data2"},  // the later of two mounts on one point
      {"/home", DriveKind::Fixed, "/home: Home"},
      {"/media/ann/STICK", DriveKind::Removable, "/media/ann/STICK"},
      {"/mnt/backup disk", DriveKind::Fixed, "/mnt/backup disk: Backup disk"},
      {"/mnt/dvd", DriveKind::CdRom, "/mnt/dvd: My_dvd"},
      {"/mnt/nfs", DriveKind::Network, "/mnt/nfs: nas:/export/home"},
      {"/mnt/share", DriveKind::Network, "/mnt/share: //fileserver/public"},
      {"/mnt/ssh", DriveKind::Network, "/mnt/ssh: ann@host:/srv"},
      {"/run/media/ann/CAMERA", DriveKind::Removable, "/run/media/ann/CAMERA"},
      {"/scratch", DriveKind::RamDisk, "/scratch: "},
  };
  EXPECT_EQ(got, expected);
}

TEST(VolumeList, RemovableByDeviceFlagOutsideMediaFolders) {
  FakeProbe probe;
  probe.Removable.insert({8, 49});
  auto volumes = BuildVolumeList(ParseMountInfo("1 0 8:49 / /mnt/usb rw - ext4 /dev/sdd1 rw\n"), probe);
  ASSERT_EQ(volumes.size(), 2u);  // the root is always there
  EXPECT_EQ(volumes[0].MountPoint, "/");
  EXPECT_EQ(volumes[1].Kind, DriveKind::Removable);
  EXPECT_EQ(volumes[1].Text, "/mnt/usb");
}

TEST(VolumeList, NetworkVolumeWithoutSourceFallsBackToTheLabel) {
  FakeProbe probe;
  auto volumes = BuildVolumeList(ParseMountInfo("1 0 0:9 / /net rw - nfs none rw\n"), probe);
  ASSERT_EQ(volumes.size(), 2u);
  EXPECT_EQ(volumes[1].Text, "/net: ");
}

TEST(VolumeList, LabelsAreLowerCasedWithAnUpperFirstLetter) {
  EXPECT_EQ(LabelText("SYSTEM DISK"), "System disk");
  EXPECT_EQ(LabelText("system"), "System");
  EXPECT_EQ(LabelText("1ST DISK"), "1st disk");
  EXPECT_EQ(LabelText(""), "");
}

TEST(VolumeList, TheVolumeHoldingAFolderHasTheLongestMountPoint) {
  FakeProbe probe;
  auto volumes = BuildVolumeList(ParseMountInfo(kSampleMountInfo), probe);
  auto mountOf = [&](const char* folder) {
    int index = VolumeIndexOf(volumes, folder);
    return index < 0 ? std::string("-") : volumes[index].MountPoint;
  };
  EXPECT_EQ(mountOf("/"), "/");
  EXPECT_EQ(mountOf("/home"), "/home");
  EXPECT_EQ(mountOf("/home/ann/icons"), "/home");
  EXPECT_EQ(mountOf("/homeland"), "/");  // a mount point holds its own folders only
  EXPECT_EQ(mountOf("/mnt/backup disk/x"), "/mnt/backup disk");
  EXPECT_EQ(mountOf("/mnt"), "/");
  EXPECT_EQ(mountOf("relative"), "-");
}

TEST(VolumeList, EachKindHasItsOwnIcon) {
  std::set<std::string> icons;
  for (auto kind : {DriveKind::Removable, DriveKind::Fixed, DriveKind::Network, DriveKind::CdRom, DriveKind::RamDisk})
    icons.insert(DriveKindIconId(kind));
  EXPECT_EQ(icons.size(), 5u);
}

TEST(VolumeList, ThisMachineListsItsRoot) {
  auto volumes = MountedVolumes();
  ASSERT_FALSE(volumes.empty());
  EXPECT_EQ(volumes[0].MountPoint, "/");
  EXPECT_EQ(VolumeIndexOf(volumes, "/proc/self"), 0);  // /proc itself is not a volume
}

}  // namespace
}  // namespace gliffo::drives
