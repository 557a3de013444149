/*
 * The text backup's failures that no sandbox run can bring about: a store
 * that cannot tell its layout version (the store read is wrapped at link
 * time), and a dump that vanishes before the replay opens it.  Each with
 * its code, message, syslog line and the files it leaves.
 */
#include <gtest/gtest.h>

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <syslog.h>
#include <unistd.h>

#include <string>

#include "apmib.h"
#include "sys.h"
#include "roots.h"
#include "sandbox.h"
#include "textconf.h"

namespace {

bool fail_version_read;

/* The sandbox root, fixed before main(): the platform layer reads
 * KP7_ROOT once per process. */
struct Root : TempRoot {
	Root()
	{
		set_test_root(path);
		make_dirs(path + TEXTCONF_DIR);
	}
};
Root root;

/* The syslog mirror's lines since the last call, without time and pid. */
std::string new_log_lines()
{
	std::string all = read_file(root / "/var/log/messages", ""), out;
	unlink((root / "/var/log/messages").c_str());
	size_t pos = 0;
	while (pos < all.size()) {
		size_t end = all.find('\n', pos);
		std::string line = all.substr(pos, end - pos);
		pos = end == std::string::npos ? all.size() : end + 1;
		size_t fac = line.find(" daemon."), colon = line.find("]: ");
		if (fac != std::string::npos && colon != std::string::npos)
			out += line.substr(fac + 1, line.find(' ', fac + 1) - fac - 1) + " " +
			       line.substr(colon + 3) + "\n";
	}
	return out;
}

struct TextBackupStore : ::testing::Test {
	cui_soft_t *sc = cui_sc;
	void SetUp() override
	{
		memset(sc, 0, sizeof(*sc));
		sys_openlog("textconfig", 0, LOG_DAEMON);
		new_log_lines();
	}
	void TearDown() override
	{
		sys_closelog();
		fail_version_read = false;
	}
};

}  // namespace

/* Every call of apmib_get in the code under test comes here (--wrap). */
extern "C" int __real_apmib_get(int id, void *value);
extern "C" int __wrap_apmib_get(int id, void *value);
int __wrap_apmib_get(int id, void *value)
{
	if (id == MIB_VER && fail_version_read) {
		errno = EIO;
		return 0;
	}
	return __real_apmib_get(id, value);
}

TEST_F(TextBackupStore, SaveWithoutVersion)
{
	write_file(root / TEXTCONF_DIR "/cur_ver", "5");
	fail_version_read = true;
	EXPECT_EQ(cui_conf_text_save(sc, 0, nullptr), 10);
	EXPECT_STREQ(sc->msg, "ERROR 10: can't get MIB_VER errno 5\n");
	EXPECT_EQ(new_log_lines(), "daemon.notice save current setting as text file by cui command\n"
				   "daemon.err can't get MIB_VER\n");
	/* nothing was started, and an older backup keeps its claim */
	EXPECT_EQ(read_file(root / TEXTCONF_DIR "/cur_ver"), "5");
}

TEST_F(TextBackupStore, LoadWithoutVersion)
{
	write_file(root / TEXTCONF_DIR "/cur_ver", "5");
	write_file(root / TEXTCONF_DIR "/cur.txt", "OP_MODE 0 1\n");
	fail_version_read = true;
	EXPECT_EQ(cui_text_conf_load(sc, 0, nullptr), 11);
	EXPECT_STREQ(sc->msg, "ERROR 11: can't get MIB_VER errno 5\n");
	EXPECT_EQ(new_log_lines(), "daemon.err  can't get MIB_VER\n");
	EXPECT_EQ(read_file(root / TEXTCONF_DIR "/cur_ver"), "5");
	EXPECT_EQ(read_file(root / TEXTCONF_DIR "/cur.txt"), "OP_MODE 0 1\n");
}

TEST_F(TextBackupStore, ReplayOfAMissingDump)
{
	unlink((root / TEXTCONF_DIR "/cur.txt").c_str());
	unlink((root / TEXTCONF_DIR "/def.txt").c_str());
	EXPECT_EQ(cui_load_text_config_area(sc, 1), 11);
	EXPECT_STREQ(sc->msg, "ERROR 11: can't open text saved current config file "
			      "/var/mnt/text_conf/cur.txt errno 2\n");
	EXPECT_EQ(new_log_lines(),
		  "daemon.err can't open text saved current config file /var/mnt/text_conf/cur.txt\n");
	/* any area but 1 is the default set */
	EXPECT_EQ(cui_load_text_config_area(sc, 7), 11);
	EXPECT_STREQ(sc->msg, "ERROR 11: can't open text saved default config file "
			      "/var/mnt/text_conf/def.txt errno 2\n");
}
