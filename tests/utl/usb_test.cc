/* USB modem recognition, USB storage detection, the USB memory mount. */
#include <gtest/gtest.h>

#include <stdio.h>
#include <unistd.h>

#include <string>

#include "sandbox.h"
#include "sys.h"
#include "utl.h"
#include "utl_int.h"

namespace {

const std::string MODESWITCH = "/etc/usb_modeswitch.d";

/* A usb_modeswitch configuration for the test's scope. */
struct ModeswitchFile {
	std::string path;
	explicit ModeswitchFile(const std::string &name) : path(in_root(MODESWITCH + "/" + name))
	{
		write_file(path, "TargetVendor=0x12d1\n");
	}
	~ModeswitchFile() { unlink(path.c_str()); }
};

TEST(UtlUsb3g, VendorAndProductPattern)
{
	ModeswitchFile a("12d1:1f01"), b("19d2:0031.cfg"), c("x-0af0:0006");
	EXPECT_EQ(utl_is_usb3g_device("12d1", "1f01"), 1);
	EXPECT_EQ(utl_is_usb3g_device("19d2", "31"), 1);  /* right-aligned: 19d2:0031 */
	EXPECT_EQ(utl_is_usb3g_device("af0", "6"), 1);    /* substring: 0af0:0006 */
	EXPECT_EQ(utl_is_usb3g_device("12D1", "1F01"), 0); /* case counts */
	EXPECT_EQ(utl_is_usb3g_device("12d1", "1f02"), 0);
	EXPECT_EQ(utl_is_usb3g_device("1f01", "12d1"), 0);
	/* Lengths outside 1 to 4 are refused before the directory is read. */
	ModeswitchFile d("012d1:1f01");
	EXPECT_EQ(utl_is_usb3g_device("012d1", "1f01"), 0);
	EXPECT_EQ(utl_is_usb3g_device("", "1f01"), 0);
	EXPECT_EQ(utl_is_usb3g_device("12d1", "01f01"), 0);
	EXPECT_EQ(utl_is_usb3g_device("12d1", ""), 0);
}

TEST(UtlUsb3g, NoConfigurationDirectory)
{
	ModeswitchFile a("12d1:1f01");
	std::string dir = in_root(MODESWITCH), moved = dir + ".away";
	ASSERT_EQ(rename(dir.c_str(), moved.c_str()), 0);
	EXPECT_EQ(utl_is_usb3g_device("12d1", "1f01"), 0);
	ASSERT_EQ(rename(moved.c_str(), dir.c_str()), 0);
	EXPECT_EQ(utl_is_usb3g_device("12d1", "1f01"), 1);
}

const char HUB[] =
	"T:  Bus=01 Lev=00 Prnt=00 Port=00 Cnt=00 Dev#=  1 Spd=480 MxCh= 1\n"
	"P:  Vendor=1d6b ProdID=0002 Rev= 2.06\n"
	"C:* #Ifs= 1 Cfg#= 1 Atr=e0 MxPwr=  0mA\n"
	"I:* If#= 0 Alt= 0 #EPs= 1 Cls=09(hub  ) Sub=00 Prot=00 Driver=hub\n";

std::string device(const char *vendor, const char *product, const char *iface_mark,
		   const char *driver)
{
	return std::string("T:  Bus=01 Lev=01 Prnt=01 Port=00 Cnt=01 Dev#=  2 Spd=480 MxCh= 0\n") +
	       "P:  Vendor=" + vendor + " ProdID=" + product + " Rev= 1.00\n" +
	       "I" + iface_mark + " If#= 0 Alt= 0 #EPs= 2 Cls=08(stor.) Sub=06 Prot=50 Driver=" +
	       driver + "\n";
}

int storage_with(const std::string &devices)
{
	write_file(in_root("/proc/bus/usb/devices"), devices);
	return utl_check_usb_storage();
}

TEST(UtlUsbStorage, DeviceList)
{
	ModeswitchFile modem("12d1:1446");
	EXPECT_EQ(storage_with(HUB), 0);
	EXPECT_EQ(storage_with(HUB + device("0781", "5567", ":*", "usb-storage")), 1);
	EXPECT_EQ(storage_with(HUB + device("12d1", "1446", ":*", "usb-storage")), 2);
	/* An inactive interface, another driver: no storage. */
	EXPECT_EQ(storage_with(HUB + device("12d1", "1446", ": ", "usb-storage")), 0);
	EXPECT_EQ(storage_with(HUB + device("12d1", "1446", ":*", "option")), 0);
	/* The interface belongs to the device named last. */
	EXPECT_EQ(storage_with(device("0781", "5567", ":*", "option") +
			       device("12d1", "1446", ":*", "usb-storage")),
		  2);
	EXPECT_EQ(storage_with(device("12d1", "1446", ":*", "option") +
			       device("0781", "5567", ":*", "usb-storage")),
		  1);
	/* The first storage interface decides. */
	EXPECT_EQ(storage_with(device("0781", "5567", ":*", "usb-storage") +
			       device("12d1", "1446", ":*", "usb-storage")),
		  1);
	/* A device line without numbers clears the last ones. */
	EXPECT_EQ(storage_with(device("12d1", "1446", ":*", "option") + "P:  Vendor= ProdID=\n" +
			       "I:* Driver=usb-storage\n"),
		  1);
	/* Overlong numbers are not taken for short ones. */
	ModeswitchFile longer("2d14:1446");
	EXPECT_EQ(storage_with(device("12d14", "1446", ":*", "usb-storage")), 1);
	unlink(in_root("/proc/bus/usb/devices").c_str());
	EXPECT_EQ(utl_check_usb_storage(), 0);
	write_file(in_root("/proc/bus/usb/devices"), HUB);
}

/* The parser alone on odd lines (the fuzz driver tries many more). */
int scan(const std::string &text)
{
	FILE *f = fmemopen((void *)text.data(), text.size(), "r");
	int kind = utl_usb_scan(f);
	fclose(f);
	return kind;
}

TEST(UtlUsbStorage, OddLines)
{
	ModeswitchFile modem("12d1:1446");
	EXPECT_EQ(scan("I:*\tDriver=usb-storage"), 1); /* no device line, no newline */
	EXPECT_EQ(scan("I:* Driver=usb-storage2\n"), 0);
	EXPECT_EQ(scan("P: Vendor=12d1 ProdID=1446\nI:*Driver=usb-storage\n"), 0);
	/* A NUL byte ends what is seen of its line. */
	EXPECT_EQ(scan(std::string("P: Vendor=12d1\0 ProdID=1446\nI:* Driver=usb-storage\n", 50)), 1);
	/* A long line is read in pieces; a piece may look like a line of its own. */
	EXPECT_EQ(scan(std::string(511, 'x') + "I:* Driver=usb-storage\n"), 1);
}

/* mount and umount as scripts: they record their calls and fail as long
 * as the count file says, and "mount" without arguments lists mounts. */
std::string mount_script(bool listed)
{
	return std::string("#!/bin/bash\n") +
	       "echo \"${0##*/} $*\" >>/var/log/mounts\n"
	       "if [ $# -eq 0 ]; then " +
	       (listed ? "echo '/dev/sda1 on /var/usbmem type vfat (rw)'; " : "") +
	       "exit 0; fi\n"
	       "n=$(cat /tmp/fail_${0##*/} 2>/dev/null || echo 0)\n"
	       "[ \"$n\" -gt 0 ] || exit 0\n"
	       "echo $((n - 1)) >/tmp/fail_${0##*/}\n"
	       "exit 32\n";
}

std::string mount_calls(void)
{
	std::string s = read_file(in_root("/var/log/mounts"), "");
	unlink(in_root("/var/log/mounts").c_str());
	return s;
}

void fail_next(const char *prog, int times)
{
	write_file(in_root(std::string("/tmp/fail_") + prog), std::to_string(times));
}

TEST(UtlUsbmem, MountsThroughTheShell)
{
	utl_sc->flags = 0;
	size_t mark = commands_mark();
	utl_mount_usbmem();
	EXPECT_EQ(utl_sc->flags, UTL_F_USB_MOUNTED);
	EXPECT_EQ(commands_since(mark), "/bin/mkdir -p /var/usbmem\n"
					"/bin/mount | grep /var/usbmem\n"
					"/bin/mount -t vfat /dev/sda1 /var/usbmem\n");
	EXPECT_TRUE(exists(in_root("/var/usbmem")));

	/* Nothing listed as mounted: the bit stays, nothing is unmounted. */
	mark = commands_mark();
	utl_umount_usbmem();
	EXPECT_EQ(utl_sc->flags, UTL_F_USB_MOUNTED);
	EXPECT_EQ(commands_since(mark), "/bin/mount | grep /var/usbmem\n");
	utl_sc->flags = 0;
}

TEST(UtlUsbmem, RetriesAndGivesUp)
{
	RootScript mount("/bin/mount", mount_script(true)), umount("/bin/umount", mount_script(true));
	mount_calls();
	utl_sc->flags = 0;

	/* Already mounted: unmounted first; the third mount works. */
	fail_next("mount", 2);
	utl_mount_usbmem();
	EXPECT_EQ(utl_sc->flags, UTL_F_USB_MOUNTED);
	EXPECT_EQ(mount_calls(), "mount \n"
				 "umount -f /var/usbmem\n"
				 "mount -t vfat /dev/sda1 /var/usbmem\n"
				 "mount -t vfat /dev/sda1 /var/usbmem\n"
				 "mount -t vfat /dev/sda1 /var/usbmem\n");

	/* Unmount works on the second try and clears the bit. */
	fail_next("umount", 1);
	utl_umount_usbmem();
	EXPECT_EQ(utl_sc->flags, 0);
	EXPECT_EQ(mount_calls(), "mount \numount -f /var/usbmem\numount -f /var/usbmem\n");

	/* Not ours: nothing at all. */
	utl_umount_usbmem();
	EXPECT_EQ(mount_calls(), "");

	/* Twenty failures: given up, the bit clear. */
	fail_next("mount", 100);
	time_t start = sys_time();
	utl_mount_usbmem();
	EXPECT_GE(sys_time() - start, 19); /* one second apart */
	EXPECT_EQ(utl_sc->flags, 0);
	std::string calls = mount_calls();
	size_t tries = 0;
	for (size_t p = 0; (p = calls.find("mount -t vfat", p)) != std::string::npos; p++)
		tries++;
	EXPECT_EQ(tries, 20u);

	/* Held, then unmounting fails twenty times: the bit stays. */
	fail_next("mount", 0);
	utl_mount_usbmem();
	fail_next("umount", 100);
	mount_calls();
	utl_umount_usbmem();
	EXPECT_EQ(utl_sc->flags, UTL_F_USB_MOUNTED);
	calls = mount_calls();
	tries = 0;
	for (size_t p = 0; (p = calls.find("umount -f", p)) != std::string::npos; p++)
		tries++;
	EXPECT_EQ(tries, 20u);
	utl_sc->flags = 0;
	unlink(in_root("/tmp/fail_mount").c_str());
	unlink(in_root("/tmp/fail_umount").c_str());
}

}  // namespace
