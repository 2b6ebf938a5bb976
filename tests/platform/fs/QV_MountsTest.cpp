#include "platform/fs/QV_Mounts.h"

#include "platform/fs/QV_FileNames.h"

#include "support/QV_TestSupport.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <unistd.h>

#include <algorithm>

namespace {

TMountEntry Mount(const QString& point, const QString& type, const QString& source, const QString& options = "rw")
{
    TMountEntry m;
    m.MountPoint = point;
    m.FsType = type;
    m.Source = source;
    m.Options = options;
    return m;
}

// A sysfs stand-in: /dev/block/<major>:<minor> links into a device tree with the
// disks' "removable" flags.
class FakeSysfs {
public:
    FakeSysfs()
    {
        Disk("devices/pci0/ata1/host0/block/sda", "8:0", "8:1", "0");
        Disk("devices/pci0/usb2/2-1/host4/block/sdb", "8:16", "8:17", "0");
        Disk("devices/pci0/ata2/host1/block/sdc", "8:32", "8:33", "1");
        Disk("devices/pci0/mmc_host/mmc0/block/mmcblk0", "179:0", "179:1", "0");
    }
    QString Root() const { return dir_.Path(); }

private:
    void Disk(const QString& disk, const char* diskNumbers, const char* partNumbers, const QByteArray& removable)
    {
        const QString partition = disk + "/" + disk.section('/', -1) + "1";
        dir_.WriteFile(disk + "/removable", removable + "\n");
        dir_.WriteFile(partition + "/partition", "1\n");
        dir_.MakeDir("dev/block");
        Link("../../" + disk, QString("dev/block/") + diskNumbers);
        Link("../../" + partition, QString("dev/block/") + partNumbers);
    }
    void Link(const QString& target, const QString& link)
    {
        ::symlink(EncodeFileName(target).constData(), EncodeFileName(dir_.Sub(link)).constData());
    }
    TTestDir dir_;
};

} // namespace

TEST(ParseMountInfo, ReadsFieldsAndUndoesEscapes)
{
    const QByteArray text = "22 28 0:21 / /proc rw,relatime - proc proc rw\n"
                            "28 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda rw,discard\n"
                            "40 28 8:17 /sub /media/u/My\\040Disk\\134x rw shared:5 master:2 - vfat /dev/sdb1 rw\n"
                            "41 28 0:50 / /mnt/odd\\777 rw - tmpfs tmpfs\n"
                            "\n";
    const std::vector<TMountEntry> mounts = ParseMountInfo(text);
    ASSERT_EQ(mounts.size(), 4u);
    EXPECT_EQ(mounts[0].MountPoint, "/proc");
    EXPECT_EQ(mounts[0].FsType, "proc");
    EXPECT_EQ(mounts[1].MountPoint, "/");
    EXPECT_EQ(mounts[1].Major, 254u);
    EXPECT_EQ(mounts[1].Options, "rw,relatime shared:1");
    EXPECT_EQ(mounts[1].SuperOptions, "rw,discard");
    const TMountEntry& usb = mounts[2];
    EXPECT_EQ(usb.MountId, 40);
    EXPECT_EQ(usb.ParentId, 28);
    EXPECT_EQ(usb.Major, 8u);
    EXPECT_EQ(usb.Minor, 17u);
    EXPECT_EQ(usb.Root, "/sub");
    EXPECT_EQ(usb.MountPoint, "/media/u/My Disk\\x");
    EXPECT_EQ(usb.Source, "/dev/sdb1");
    EXPECT_EQ(mounts[3].MountPoint, "/mnt/odd\\777"); // not a byte: kept as written
    EXPECT_EQ(mounts[3].SuperOptions, "");
}

TEST(ParseMountInfo, SkipsMalformedLines)
{
    const char* lines[] = {
        "",
        "22 28 0:21 / /proc rw,relatime proc proc rw",     // no separator
        "22 28 0:21 / /proc rw,relatime - proc",            // separator without type and source
        "x 28 0:21 / /proc rw - proc proc rw",              // id not a number
        "22 28 021 / /proc rw - proc proc rw",              // no major:minor
        "22 28 0:21 / relative rw - proc proc rw",          // mount point not absolute
        "22 28 0:21 / /a\\ rw - - proc rw",                 // trailing backslash, "-" as type
        "99999999999 28 0:21 / /proc rw - proc proc rw",    // id out of range
    };
    size_t parsed = 0;
    for (const char* line : lines) parsed += ParseMountInfo(line).size();
    EXPECT_EQ(parsed, 1u); // only the line with "-" as its type has every field
    const std::vector<TMountEntry> odd = ParseMountInfo("22 28 0:21 / /a\\ rw - - proc rw");
    ASSERT_EQ(odd.size(), 1u);
    EXPECT_EQ(odd[0].MountPoint, "/a\\");
}

TEST(Mounts, ShowsWhatAUserWouldCallADrive)
{
    const struct {
        TMountEntry mount;
        bool shown;
    } cases[] = {
        {Mount("/", "ext4", "/dev/vda"), true},
        {Mount("/", "overlay", "overlay"), true},
        {Mount("/proc", "proc", "proc"), false},
        {Mount("/sys/fs/cgroup", "tmpfs", "tmpfs"), false},
        {Mount("/dev/shm", "tmpfs", "tmpfs"), false},
        {Mount("/boot/efi", "vfat", "/dev/sda1"), false},
        {Mount("/home", "ext4", "/dev/sda3"), false},
        {Mount("/run/user/1000", "tmpfs", "tmpfs"), false},
        {Mount("/run/user/1000/gvfs", "fuse.gvfsd-fuse", "gvfsd-fuse"), false},
        {Mount("/run/media/anna/STICK", "vfat", "/dev/sdb1"), true},
        {Mount("/run/media/bob/STICK", "vfat", "/dev/sdb1"), false},
        {Mount("/run/media/anna", "tmpfs", "tmpfs"), false},
        {Mount("/media/cdrom", "iso9660", "/dev/sr0"), true},
        {Mount("/mnt/data", "ext4", "/dev/sdc1"), true},
        {Mount("/mnt", "ext4", "/dev/sdc1"), false},
        {Mount("/home/anna/remote", "fuse.sshfs", "anna@host:/"), true},
        {Mount("/home/anna/.cache/doc", "fuse.portal", "portal"), false},
        {Mount("/home/anna/.hidden/disk", "ext4", "/dev/sdd1"), false},
        {Mount("/home/annabel/disk", "ext4", "/dev/sdd1"), false},
        {Mount("/snap/core/123", "squashfs", "/dev/loop3"), false},
        {Mount("/media/snapshot", "squashfs", "/dev/loop4"), false},
        {Mount("/srv/share", "nfs4", "host:/share", "rw,x-gvfs-show"), true},
        {Mount("/media/x", "ext4", "/dev/sde1", "rw,x-gvfs-hide"), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShouldDisplayMount(c.mount, "anna", "/home/anna/"), c.shown) << c.mount.MountPoint.toStdString();
}

TEST(Mounts, TellsDriveKinds)
{
    const FakeSysfs sysfs;
    auto block = [](const char* point, const char* source, unsigned major, unsigned minor) {
        TMountEntry m = Mount(point, "ext4", source);
        m.Major = major;
        m.Minor = minor;
        return m;
    };
    const struct {
        TMountEntry mount;
        TDriveType type;
    } cases[] = {
        {block("/", "/dev/sda1", 8, 1), TDriveType::dtFixed},
        {block("/media/usb", "/dev/sdb1", 8, 17), TDriveType::dtRemovable},      // USB bus, removable 0
        {block("/media/card", "/dev/sdc1", 8, 33), TDriveType::dtRemovable},     // removable media flag
        {block("/media/whole", "/dev/sdc", 8, 32), TDriveType::dtRemovable},     // the disk itself
        {block("/media/sd", "/dev/mmcblk0p1", 179, 1), TDriveType::dtRemovable}, // MMC bus
        {block("/media/gone", "/dev/sdz1", 65, 1), TDriveType::dtFixed},         // no sysfs entry
        {Mount("/media/dvd", "iso9660", "/dev/sr0"), TDriveType::dtCdrom},
        {Mount("/media/bd", "udf", "/dev/sr1"), TDriveType::dtCdrom},
        {Mount("/media/floppy", "vfat", "/dev/fd0"), TDriveType::dtRemovable},
        {Mount("/mnt/ram", "tmpfs", "tmpfs"), TDriveType::dtRamdisk},
        {Mount("/mnt/nfs", "nfs4", "server:/export"), TDriveType::dtRemote},
        {Mount("/mnt/smb", "cifs", "//server/share"), TDriveType::dtRemote},
        {Mount("/mnt/ssh", "fuse.sshfs", "me@host:/"), TDriveType::dtRemote},
        {Mount("/mnt/dav", "davfs", "https://host/dav"), TDriveType::dtRemote},
        {Mount("/mnt/zip", "fuse.fuse-zip", "a.zip"), TDriveType::dtFixed},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DriveTypeOf(c.mount, sysfs.Root()), c.type) << c.mount.MountPoint.toStdString();

    EXPECT_EQ(FloppyIndexOf(Mount("/media/a", "vfat", "/dev/fd0")), 0);
    EXPECT_EQ(FloppyIndexOf(Mount("/media/b", "vfat", "/dev/fd1")), 1);
    EXPECT_EQ(FloppyIndexOf(Mount("/media/c", "vfat", "/dev/fd2")), -1);
    EXPECT_TRUE(MountCanHang(Mount("/mnt/nfs", "nfs", "s:/e")));
    EXPECT_TRUE(MountCanHang(Mount("/mnt/zip", "fuse.fuse-zip", "a.zip")));
    EXPECT_FALSE(MountCanHang(Mount("/", "ext4", "/dev/sda1")));
}

TEST(Mounts, ListsVisibleDrivesByTypeThenPath)
{
    const FakeSysfs sysfs;
    const QByteArray table = "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
                             "2 1 0:5 / /proc rw - proc proc rw\n"
                             "3 1 0:40 / /mnt/nfs rw - nfs4 server:/e rw\n"
                             "4 1 8:17 / /media/u/disk10 rw - vfat /dev/sdb1 rw\n"
                             "5 1 8:33 / /media/u/disk2 rw - vfat /dev/sdc1 rw\n"
                             "6 1 0:41 / /mnt/ram rw - tmpfs tmpfs rw\n"
                             "7 1 8:2 / /mnt/data rw - ext4 /dev/sda2 rw\n"
                             "8 1 0:42 / /media/dvd rw - iso9660 /dev/sr0 ro\n"
                             "9 7 0:43 / /mnt/data rw - tmpfs tmpfs rw\n"; // mounted over /mnt/data
    const std::vector<TDrive> drives = VisibleDrives(ParseMountInfo(table), "u", "/home/u", sysfs.Root());
    QStringList points;
    for (const TDrive& d : drives) points << d.RootPath();
    EXPECT_EQ(points, (QStringList{"/", "/media/u/disk2/", "/media/u/disk10/", "/media/dvd/", "/mnt/data/",
                                   "/mnt/ram/", "/mnt/nfs/"}));
    EXPECT_EQ(drives[4].Type, TDriveType::dtRamdisk); // the topmost mount of /mnt/data
}

TEST(Mounts, FindsTheMountHoldingAPath)
{
    const std::vector<TMountEntry> mounts = ParseMountInfo("1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
                                                           "2 1 8:2 / /media/a rw - ext4 /dev/sda2 rw\n"
                                                           "3 1 8:3 / /media/a rw - ext4 /dev/sda3 rw\n"
                                                           "4 2 8:4 / /media/a/b rw - ext4 /dev/sda4 rw\n");
    const struct {
        QString path;
        QString source; // empty: no mount
    } cases[] = {
        {"/", "/dev/sda1"},
        {"/etc/passwd", "/dev/sda1"},
        {"/media/ab", "/dev/sda1"},
        {"/media/a", "/dev/sda3"}, // the later of two on one point
        {"/media/a/", "/dev/sda3"},
        {"/media/a/x", "/dev/sda3"},
        {"/media/a/b/c", "/dev/sda4"},
        {"relative/a", ""},
        {"", ""},
        {"QDrive:\\", ""},
    };
    for (const auto& c : cases) {
        TMountEntry mount;
        const bool found = MountOfPath(mounts, c.path, mount);
        EXPECT_EQ(found, !c.source.isEmpty()) << c.path.toStdString();
        if (found) {
            EXPECT_EQ(mount.Source, c.source) << c.path.toStdString();
        }
    }
}

TEST(Mounts, ReadsLabelsFromLabelLinks)
{
    TTestDir dir;
    dir.WriteFile("dev/sdb1", "");
    dir.WriteFile("dev/sdc1", "");
    dir.MakeDir("by-label");
    ::symlink("../dev/sdb1", EncodeFileName(dir.Sub("by-label/My\\x20Disk")).constData());
    EXPECT_EQ(LabelOfDevice(dir.Sub("dev/sdb1"), dir.Sub("by-label")), "My Disk");
    EXPECT_EQ(LabelOfDevice(dir.Sub("dev/sdc1"), dir.Sub("by-label")), "");
    EXPECT_EQ(LabelOfDevice(dir.Sub("dev/none"), dir.Sub("by-label")), "");

    const struct {
        QByteArray escaped;
        QString label;
    } cases[] = {
        {"plain", "plain"},
        {"a\\x20b\\x2fc", "a b/c"},
        {"\\xc3\\xa4", QString::fromUtf8("ä")},
        {"bad\\xZZ", "bad\\xZZ"},
        {"end\\x2", "end\\x2"},
        {"\\xff", DecodeFileName(QByteArray("\xff"))},
    };
    for (const auto& c : cases) EXPECT_EQ(UnescapeLabel(c.escaped), c.label) << c.escaped.constData();
}

TEST(Mounts, ReadsTheLiveTable)
{
    TMountEntry root;
    ASSERT_TRUE(CurrentMountOf("/", root));
    EXPECT_EQ(root.MountPoint, "/");
    EXPECT_FALSE(CurrentMounts().empty());
    const std::vector<TDrive> drives = VisibleDrives();
    ASSERT_FALSE(drives.empty());
    EXPECT_TRUE(std::any_of(drives.begin(), drives.end(), [](const TDrive& d) { return d.RootPath() == "/"; }));
    TVolumeSpace space;
    ASSERT_TRUE(QueryVolumeSpace("/", space));
    EXPECT_GT(space.Total, 0);
    EXPECT_GE(space.Total, space.Free);
    EXPECT_FALSE(QueryVolumeSpace("/no/such/folder", space));
}
