/* The store across processes, reboots, corruption and power loss. */
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <random>
#include <string>

#include <gtest/gtest.h>

#include "apmib.h"
#include "roots.h"
#include "mibset.h"

namespace {

unsigned get_u32(int id)
{
	unsigned v = 0xdeadbeef;
	EXPECT_NE(0, apmib_get(id, &v)) << id;
	return v;
}

bool set_u32(int id, unsigned v)
{
	return apmib_set(id, &v);
}

std::string messages(const TempRoot &root)
{
	std::vector<unsigned char> m = read_all(root / "var/log/messages");
	return std::string(m.begin(), m.end());
}

/* DHCP_LEASE_TIME and USER_NAME, written together so that a file must
 * hold both of the same round */
constexpr int kNum = 945, kText = 182;

bool set_pair(unsigned n)
{
	char text[31];
	snprintf(text, sizeof(text), "round%u", n);
	return set_u32(kNum, n) && apmib_set(kText, text);
}

void expect_pair_consistent()
{
	char text[31] = "";
	unsigned n = get_u32(kNum);
	EXPECT_TRUE(apmib_get(kText, text));
	char want[31];
	snprintf(want, sizeof(want), "round%u", n);
	EXPECT_STREQ(want, text);
}

unsigned factory_num()
{
	MibSet set;
	mibset_factory(set, CURRENT_SETTING);
	unsigned v = 0;
	mib_slot_to_api(mib_lookup(kNum).rec, set.at(mib_lookup(kNum).rec, 0), &v);
	return v;
}

}  // namespace

TEST(StoreProcesses, ChangesReachLaterProcessesAndFlushSurvivesReboot)
{
	TempRoot root;
	EXPECT_TRUE(in_root(root, [] { EXPECT_TRUE(set_u32(192, 2)); }));
	EXPECT_TRUE(in_root(root, [] {
		EXPECT_EQ(2u, get_u32(192));
		EXPECT_TRUE(set_u32(2, 11));
		EXPECT_TRUE(apmib_update(CURRENT_SETTING));
		EXPECT_TRUE(set_u32(2, 12)); /* never flushed */
	}));
	remove_tree(root / "var/apmib"); /* reboot */
	EXPECT_TRUE(in_root(root, [] {
		EXPECT_EQ(2u, get_u32(192));
		EXPECT_EQ(11u, get_u32(2));
	}));
}

TEST(StoreProcesses, LongRunningReaderSeesOtherWriters)
{
	TempRoot root;
	EXPECT_TRUE(in_root(root, [&] {
		EXPECT_EQ(0u, get_u32(192));
		pid_t pid = fork();
		if (pid == 0) {
			set_u32(192, 5);
			_exit(0);
		}
		waitpid(pid, nullptr, 0);
		EXPECT_EQ(5u, get_u32(192));
	}));
}

TEST(StoreProcesses, ConcurrentWritersLoseNothing)
{
	TempRoot root;
	/* one dword parameter per writer; a lost update shows as a value that
	 * goes back in time */
	static constexpr int kIds[8] = {945, 108, 16034, 16035, 309, 652, 16014, 75};
	constexpr unsigned kRounds = 200;
	EXPECT_TRUE(in_root(root, [&] {
		pid_t pids[8];
		for (int w = 0; w < 8; w++) {
			pids[w] = fork();
			if (pids[w] != 0)
				continue;
			int bad = 0;
			for (unsigned k = 1; k <= kRounds; k++) {
				unsigned v = 0;
				bad += !set_u32(kIds[w], k) || !apmib_get(kIds[w], &v) || v != k;
				if (k % 50 == 0)
					bad += !apmib_update(CURRENT_SETTING);
			}
			_exit(bad ? 1 : 0);
		}
		for (pid_t pid : pids) {
			int status = -1;
			waitpid(pid, &status, 0);
			EXPECT_EQ(0, status);
		}
		for (int id : kIds)
			EXPECT_EQ(kRounds, get_u32(id)) << id;
	}));
	remove_tree(root / "var/apmib");
	EXPECT_TRUE(in_root(root, [&] {
		for (int id : kIds)
			EXPECT_EQ(kRounds, get_u32(id)) << "flushed " << id;
	}));
}

TEST(StoreProcesses, DamagedFilesAreNeverTakenAsSettings)
{
	std::mt19937 rng(20240607);
	for (int c = 0; c < 100; c++) {
		TempRoot root;
		/* flash holds round 1, the working copy round 2 */
		EXPECT_TRUE(in_root(root, [] {
			set_pair(1);
			apmib_update(CURRENT_SETTING);
			set_pair(2);
		}));
		bool damage_flash = c % 4 == 3;
		std::string victim = root / (damage_flash ? "flash/apmib/cur.mib" : "var/apmib/cur.mib");
		if (damage_flash)
			remove_tree(root / "var/apmib");
		std::vector<unsigned char> f = read_all(victim);
		ASSERT_GT(f.size(), 20u);
		if (c % 2 == 0) {
			f.resize(rng() % f.size());
		} else {
			for (int k = 1 + rng() % 4; k > 0; k--)
				f[rng() % f.size()] ^= (unsigned char)(1 + rng() % 255);
		}
		write_all(victim, f);
		EXPECT_TRUE(in_root(root, [&] {
			unsigned n = get_u32(kNum);
			if (damage_flash) {
				EXPECT_EQ(factory_num(), n) << "case " << c;
			} else {
				EXPECT_EQ(1u, n) << "case " << c;
				expect_pair_consistent();
			}
		})) << "case " << c;
		std::string log = messages(root);
		EXPECT_NE(std::string::npos, log.find(damage_flash ? "current flash copy corrupt, using factory defaults"
								   : "current working copy corrupt, using flash copy"))
			<< "case " << c << " log: " << log;
	}
}

TEST(StoreProcesses, RecordsThatRunPastTheirFileAreRefused)
{
	/* damage that a CRC cannot see: lengths inside a checksummed file */
	TempRoot root;
	std::vector<unsigned char> good;
	EXPECT_TRUE(in_root(root, [] { set_pair(3); }));
	good = read_all(root / "var/apmib/cur.mib");
	std::mt19937 rng(7);
	for (int c = 0; c < 500; c++) {
		std::vector<unsigned char> f = good;
		size_t at = 16 + rng() % (f.size() - 20);
		f[at] = (unsigned char)rng();
		if (c % 3 == 0)
			f.resize(16 + rng() % (f.size() - 16));
		uint32_t body = (uint32_t)(f.size() - 16);
		f[12] = body >> 24, f[13] = body >> 16, f[14] = body >> 8, f[15] = (unsigned char)body;
		uint32_t crc = mib_crc32(f.data(), f.size());
		f.insert(f.end(), {(unsigned char)(crc >> 24), (unsigned char)(crc >> 16),
				   (unsigned char)(crc >> 8), (unsigned char)crc});
		MibSet set;
		if (mibset_parse(f.data(), f.size(), set, nullptr) == 0) {
			/* whatever loads keeps every value within its record */
			for (size_t i = 0; i < MIB_PARAM_COUNT; i++) {
				const MibRec *rec = &MIB_PARAMS[i];
				const std::vector<uint8_t> &v = set.at(rec, 0);
				if (rec->flags & MIB_F_LIST) {
					EXPECT_LE(v.size(), (size_t)rec->cap * rec->size) << rec->name;
				} else if (mib_in_set(rec, CURRENT_SETTING) && !(rec->flags & MIB_F_RO)) {
					EXPECT_EQ(rec->size, v.size()) << rec->name;
				}
			}
		}
	}
}

TEST(StoreProcesses, KilledFlushLeavesOldOrNewSettings)
{
	std::mt19937 rng(424242);
	for (int run = 0; run < 50; run++) {
		TempRoot root;
		EXPECT_TRUE(in_root(root, [&] {
			set_pair(0);
			apmib_update(CURRENT_SETTING);
			pid_t pid = fork();
			if (pid == 0) {
				for (unsigned n = 1;; n++) {
					set_pair(n);
					apmib_update(CURRENT_SETTING);
				}
			}
			struct timespec ts = {0, (long)(1000000 + rng() % 30000000)};
			nanosleep(&ts, nullptr);
			kill(pid, SIGKILL);
			waitpid(pid, nullptr, 0);
		}));
		remove_tree(root / "var/apmib");
		EXPECT_TRUE(in_root(root, [&] { expect_pair_consistent(); })) << "run " << run;
		EXPECT_EQ(std::string::npos, messages(root).find("corrupt")) << "run " << run;
	}
}
