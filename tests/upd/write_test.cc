/* The image writer against recorded operations. */
#include <gtest/gtest.h>

#include <string.h>
#include <unistd.h>

#include "fake_ops.h"
#include "fw_image.h"
#include "fw_write.h"

namespace {

using Lines = std::vector<std::string>;

/* The bytes of section `at` (offset, length) of an image. */
Bytes slice(const Bytes &b, size_t at, size_t n)
{
	return Bytes(b.begin() + at, b.begin() + at + n);
}

/* Operations that change the router. */
bool changed_anything(const FakeFlash &f)
{
	for (const char *op : {"run", "say", "write", "kill", "update_flash", "sync", "ignore", "halt"})
		if (f.first(op) >= 0)
			return true;
	return !f.untouched();
}

TEST(FwWrite, FailingImagesChangeNothing)
{
	FwPart bad_web = web(50, 0), bad_cfg = config("6g"), big = rootfs(10), cut = rootfs(100);
	bad_web.sum_delta = 1;
	bad_cfg.sum_delta = 3;
	big.set_len = true;
	big.len = FW_MAX_LEN + 2;
	cut.cut = 50;
	const struct {
		Bytes img;
		const char *status;
	} cases[] = {
		{image({bytes("not an image at all")}), "Invalid file format!"},
		{image({firmware(10, 0), bad_web}), "Image checksum mismatched! len=0x33"},
		{image({firmware(10, 0), web(5, 0), bad_cfg}), "Invalid configuration file!"},
		{image({config("6g"), big}), "Image len exceed max size 0x600000 ! len=0x600002</b><br>"},
		{image({firmware(10, 0), cut}),
		 "Image section runs past the end of the file! offset=0x1c len=0x66 size=0x4e"},
	};
	for (const auto &c : cases) {
		FakeFlash f;
		testing::internal::CaptureStderr();
		Upgrade u = upgrade(c.img);
		EXPECT_EQ(testing::internal::GetCapturedStderr(), std::string(c.status) + "\n");
		EXPECT_EQ(u.rc, 0);
		EXPECT_EQ(u.status, c.status);
		EXPECT_EQ(f.log, Lines()) << c.status;
		EXPECT_EQ(isUpgrade_OK, 0);
	}
}

TEST(FwWrite, DevicesAreCheckedBeforeAnythingChanges)
{
	Bytes img = image({firmware(4000, 0x800), rootfs(100)});
	{
		FakeFlash f;
		f.open_fails[1] = true;
		testing::internal::CaptureStderr();
		Upgrade u = upgrade(img);
		testing::internal::GetCapturedStderr();
		EXPECT_EQ(u.status, "File open failed!");
		EXPECT_FALSE(changed_anything(f));
	}
	{
		FakeFlash f;
		f.dev_size[0] = 0x1000;
		testing::internal::CaptureStderr();
		Upgrade u = upgrade(img);
		testing::internal::GetCapturedStderr();
		EXPECT_EQ(u.status,
			  "Image section does not fit the flash partition! addr=0x800 len=0xfb2 size=0x1000");
		EXPECT_FALSE(changed_anything(f));
		/* Each device is asked once, however many sections go there. */
		EXPECT_EQ(f.only("open"), (Lines{"open /dev/mtdblock0"}));
	}
}

TEST(FwWrite, FirmwareThenRootfsStopsOnceBeforeTheFirstWrite)
{
	FakeFlash f;
	Bytes img = image({firmware(1000, 0x20000), rootfs(5000)});
	Upgrade u = upgrade(img);
	EXPECT_EQ(u.rc, 1);
	EXPECT_EQ(isUpgrade_OK, 1);
	/* The bridge goes down only once the image has passed. */
	EXPECT_EQ(f.first("run"), f.first("run ifconfig br0 down"));
	EXPECT_GT(f.first("run"), f.first("open /dev/mtdblock1"));
	EXPECT_EQ(f.only("say \n   Firmware version up start...").size(), 1u);
	EXPECT_EQ(f.only("run kp7cui -T -os").size(), 1u);
	EXPECT_LT(f.first("run /bin/logger -p 6 'ZT-KP7' 'Firmawre version up start.' &"),
		  f.first("say \n   Firmware"));
	EXPECT_LT(f.first("run kp7cui -T -os"), f.first("write"));
	EXPECT_EQ(f.only("write"), (Lines{"write mtdblock0 at 0x20000: 1018 bytes",
					  "write mtdblock1 at 0x0: 5002 bytes"}));
	EXPECT_EQ(f.only("kill"), (Lines{"kill 1 TSTP", "kill 1 STOP", "kill 2 STOP", "kill 3 STOP",
					 "kill 4 STOP", "kill 5 STOP", "kill 6 STOP", "kill 7 STOP"}));
	/* After the signals this process shields itself, in this order. */
	int k = f.first("kill 7 STOP");
	EXPECT_EQ(Lines(f.log.begin() + k + 1, f.log.begin() + k + 6),
		  (Lines{"sync", "ignore TERM", "setpgrp", "sleep 1", "ignore HUP"}));
	EXPECT_GE(f.first("run killall -9 cfgburn 2> /dev/null"), 0);
	EXPECT_EQ(f.first("run killall -9 romfetch"), -1);
	/* FIRMWARE goes whole to its burn address; ROOTFS without its header. */
	EXPECT_EQ(slice(f.dev[0], 0x20000, 1018), slice(img, 0, 1018));
	EXPECT_EQ(f.dev[1], slice(img, 1018 + 16, 5002));
	EXPECT_EQ(f.first("run /bin/factory.sh"), -1);
	EXPECT_EQ(Lines(f.log.end() - 3, f.log.end()), (Lines{"sleep 1", "run reboot", "halt"}));
}

TEST(FwWrite, WebAloneStopsNothing)
{
	FakeFlash f;
	Bytes img = image({web(300, 0x10000)});
	EXPECT_EQ(upgrade(img).rc, 1);
	EXPECT_EQ(f.only("run"), (Lines{"run ifconfig br0 down 2> /dev/null",
					"run /bin/logger -p 6 'ZT-KP7' 'WEB version up start.' &",
					"run /bin/logger -p 6 'ZT-KP7' 'WEB version up is complete.' &",
					"run reboot"}));
	EXPECT_EQ(f.first("kill"), -1);
	EXPECT_EQ(f.first("say"), -1);
	EXPECT_EQ(slice(f.dev[0], 0x10000, img.size()), img);
	EXPECT_TRUE(f.dev[1].empty());
}

TEST(FwWrite, ConfigSectionsGoToTheStoreByTheirTag)
{
	FakeFlash f;
	isCFG_ONLY = 1;
	Bytes img = image({config("6G", "COMPCS"), bytes("trailing")});
	Upgrade u = upgrade(img);
	isCFG_ONLY = 0;
	EXPECT_EQ(u.rc, 1);
	EXPECT_EQ(u.status, "version up suceed.");
	char want[100];
	snprintf(want, sizeof(want), "update_flash kind 2 variant 1 version 7 length %zu sig COMPCS",
		 img.size() - 8);
	EXPECT_EQ(f.only("update_flash"), Lines{want});
	EXPECT_EQ(f.only("run"), (Lines{"run /bin/factory.sh", "run reboot"}));
	EXPECT_TRUE(f.untouched());
}

TEST(FwWrite, TheOtherUpdaterAndThePidFile)
{
	const int self = getpid();
	/* A pid file holding -1 or 0 would signal every process or our own
	 * group: only a real other process is signalled. */
	for (int pid : {0, -1, 4321, self}) {
		FakeFlash f;
		f.pid_in_file = pid;
		EXPECT_EQ(upgrade(image({firmware(10, 0)}), "cfgburn").rc, 1);
		EXPECT_GE(f.first("run killall -9 romfetch 2> /dev/null"), 0);
		EXPECT_EQ(f.first("run killall -9 cfgburn"), -1);
		int read = f.first("read_pid /var/run/watch_syscheck.pid");
		ASSERT_GE(read, 0);
		bool killed = f.log[read + 1] == "kill 4321 KILL";
		EXPECT_EQ(killed, pid == 4321) << pid;
		EXPECT_EQ(f.first("kill " + std::to_string(self)), -1);
	}
}

TEST(FwWrite, ShortWrites)
{
	for (bool root : {false, true}) {
		FakeFlash f;
		f.short_write = 5;
		Bytes img = image({root ? rootfs(100) : firmware(100, 0)});
		testing::internal::CaptureStderr();
		Upgrade u = upgrade(img);
		testing::internal::GetCapturedStderr();
		EXPECT_EQ(u.rc, 0);
		EXPECT_EQ(u.status, root ? "File write failed. locWrite=16 numLeft=102 numWrite=5 Size=118 bytes."
					 : "File write failed. locWrite=0 numLeft=118 numWrite=5 Size=118 bytes.");
		EXPECT_EQ(f.first("run reboot"), -1);
	}
}

TEST(FwWrite, UpdateConfigIntoFlashWalksWithinTheTotal)
{
	FwPart bad = config("Df", "COMPDS");
	bad.sum_delta = 1;
	const struct {
		Bytes img;
		int kinds, ok, blocks;
	} cases[] = {
		{image({config("Cf"), config("Du", "COMPDS"), bytes("tail")}), 4 | 2, 1, 2},
		{image({config("Hf"), bad}), 1, 0, 1},
		{image({config("6g"), firmware(10, 0)}), 4, 1, 1},
		/* a signature with less than a header after it (a fuzz find) */
		{image({config("Cf"), bytes("COMPCS..")}), 4, 0, 1},
	};
	for (const auto &c : cases) {
		FakeFlash f;
		Bytes img = c.img;
		int kinds = -1, ok = -1;
		int end = updateConfigIntoFlash(img.data(), (int)img.size(), &kinds, &ok);
		EXPECT_EQ(kinds, c.kinds);
		EXPECT_EQ(ok, c.ok);
		EXPECT_EQ(f.only("update_flash").size(), (size_t)c.blocks);
		EXPECT_GT(end, 0);
		EXPECT_LE(end, (int)img.size());
	}
}

}  // namespace
