/* The minute scheduler on a fake clock, with settings from a table. */
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <algorithm>

#include <map>
#include <string>
#include <vector>

#include "files.h"
#include "upd.h"

namespace {

struct World {
	time_t now = 0;
	std::map<std::string, std::string> settings;	/* missing: the read fails */
	bool synced = true;
	std::vector<time_t> attempts;			/* the clock at each */
	std::vector<std::string> reads;
};
World *w;

const upd_env_t kEnv = {
	[] { return w->now; },
	[](const char *name, char *value) {
		w->reads.push_back(name);
		auto it = w->settings.find(name);
		if (it == w->settings.end())
			return -1;
		strcpy(value, it->second.c_str());
		return 0;
	},
	[]() -> int { return w->synced; },
	[](upd_soft_t *) { w->attempts.push_back(w->now); },
};

/* Epoch seconds of a UTC time; 2024-01-07 was a Sunday. */
time_t at(int mday, int hour, int min, int sec)
{
	struct tm tm = {};
	tm.tm_year = 124;
	tm.tm_mon = 0;
	tm.tm_mday = mday;
	tm.tm_hour = hour;
	tm.tm_min = min;
	tm.tm_sec = sec;
	return timegm(&tm);
}

class Sched : public testing::Test {
protected:
	static void SetUpTestSuite()
	{
		/* The disparity line goes to the root's syslog mirror. */
		root = new TempDir("kp7upd");
		make_dirs(root->path + "/var/log");
		setenv("KP7_ROOT", root->path.c_str(), 1);
		setenv("TZ", "UTC0", 1);
		tzset();
	}
	static void TearDownTestSuite() { delete root; }

	void SetUp() override
	{
		w = &world;
		memset(&sc, 0, sizeof(sc));
		world.settings = {{"OP_MODE", "1"},          {"AUTO_FIRMUP_ENABLE", "1"},
				  {"AUTO_FIRMUP_URL", "http://h/fw/img.bin"}, {"AUTO_FIRMUP_WEEK", "0x80"},
				  {"AUTO_FIRMUP_HOUR", "10"},  {"AUTO_FIRMUP_MIN", "1"}};
		write_file(root->path + "/var/log/messages", "");
	}

	/* The daemon from `start` on: each wake-up at second 1 of a minute. */
	void run_from(time_t start, int wakeups)
	{
		time_t prev = start;
		world.now = start;
		for (int i = 0; i < wakeups; i++) {
			world.now += upd_sleep_secs(world.now);
			upd_minute(&sc, &prev, &kEnv);
		}
	}

	/* One wake-up at `now` after the previous one at `prev`. */
	void wake(time_t prev, time_t now)
	{
		world.now = now;
		upd_minute(&sc, &prev, &kEnv);
	}

	std::string log() { return read_file(root->path + "/var/log/messages"); }

	static TempDir *root;
	World world;
	upd_soft_t sc;
};

TempDir *Sched::root;

TEST_F(Sched, WakesAtSecondOne)
{
	EXPECT_EQ(upd_sleep_secs(at(7, 10, 0, 30)), 31u);
	EXPECT_EQ(upd_sleep_secs(at(7, 10, 0, 0)), 61u);
	EXPECT_EQ(upd_sleep_secs(at(7, 10, 0, 1)), 60u);
	EXPECT_EQ(upd_sleep_secs(at(7, 10, 0, 59)), 2u);
}

TEST_F(Sched, StartedHalfAMinuteBeforeFindsTheMinuteDue)
{
	run_from(at(7, 10, 0, 30), 3);
	EXPECT_EQ(world.attempts, std::vector<time_t>{at(7, 10, 1, 1)});
	EXPECT_STREQ(sc.version_url, "http://h/fw/img.ver");
}

TEST_F(Sched, WeekMasks)
{
	/* Seven days from Sunday the 7th at 10:01 (Saturday is the 13th). */
	const struct {
		const char *mask;
		std::vector<int> days;
	} cases[] = {
		{"0x80", {7, 8, 9, 10, 11, 12, 13}}, {"0x40", {7}}, {"0x01", {13}},
		{"0x22", {8, 12}}, {"0", {}}, {"0x180", {7, 8, 9, 10, 11, 12, 13}},
	};
	for (const auto &c : cases) {
		world.settings["AUTO_FIRMUP_WEEK"] = c.mask;
		world.attempts.clear();
		std::vector<time_t> want;
		for (int day = 7; day <= 13; day++) {
			wake(at(day, 10, 0, 1), at(day, 10, 1, 1));
			if (std::find(c.days.begin(), c.days.end(), day) != c.days.end())
				want.push_back(at(day, 10, 1, 1));
		}
		EXPECT_EQ(world.attempts, want) << c.mask;
	}
}

TEST_F(Sched, LateWakeUpsLookAtEverySkippedMinuteOnce)
{
	/* 10:01 lies two minutes back: still found, once. */
	wake(at(7, 9, 58, 1), at(7, 10, 3, 1));
	EXPECT_EQ(world.attempts.size(), 1u);
	/* The next wake-up starts after the previous one: not again. */
	wake(at(7, 10, 3, 1), at(7, 10, 4, 1));
	EXPECT_EQ(world.attempts.size(), 1u);
	/* An hour late exactly is not a disparity yet. */
	wake(at(7, 9, 1, 0), at(7, 10, 1, 0));
	EXPECT_EQ(world.attempts.size(), 2u);
	/* A minute that was the previous wake-up's is not looked at again. */
	wake(at(7, 10, 1, 0), at(7, 10, 1, 59));
	EXPECT_EQ(world.attempts.size(), 2u);
}

TEST_F(Sched, ClockJumpsOfMoreThanAnHour)
{
	wake(at(7, 9, 0, 0), at(7, 10, 1, 1));
	wake(at(7, 12, 0, 0), at(7, 10, 1, 1));
	EXPECT_TRUE(world.attempts.empty());
	std::string l = log();
	EXPECT_NE(l.find("time diparity of 61 minutes detected\n"), std::string::npos) << l;
	EXPECT_NE(l.find("time diparity of -118 minutes detected\n"), std::string::npos) << l;
	/* No minute to look at: a clock that stood still or went back. */
	wake(at(7, 10, 2, 0), at(7, 10, 1, 1));
	wake(at(7, 10, 1, 1), at(7, 10, 1, 1));
	EXPECT_TRUE(world.attempts.empty());
}

TEST_F(Sched, NothingBeforeTheClockIsSet)
{
	world.synced = false;
	run_from(at(7, 10, 0, 30), 3);
	EXPECT_TRUE(world.attempts.empty());
	/* The wake-ups moved prev on: once synced, no disparity follows. */
	world.synced = true;
	time_t prev = at(7, 10, 3, 1);
	world.now = at(7, 10, 4, 1);
	upd_minute(&sc, &prev, &kEnv);
	EXPECT_EQ(log().find("diparity"), std::string::npos);
}

TEST_F(Sched, DisabledKeepsTheTimeOfTheLastLook)
{
	world.settings["AUTO_FIRMUP_ENABLE"] = "0";
	time_t prev = at(7, 8, 0, 1);
	for (time_t t = at(7, 9, 0, 1); t <= at(7, 9, 30, 1); t += 600) {
		world.now = t;
		upd_minute(&sc, &prev, &kEnv);
	}
	EXPECT_EQ(prev, at(7, 8, 0, 1));
	/* Re-enabled more than an hour later: a disparity, not an attempt. */
	world.settings["AUTO_FIRMUP_ENABLE"] = "1";
	world.now = at(7, 10, 1, 1);
	upd_minute(&sc, &prev, &kEnv);
	EXPECT_TRUE(world.attempts.empty());
	EXPECT_NE(log().find("time diparity of 121 minutes detected"), std::string::npos);
	EXPECT_EQ(prev, at(7, 10, 1, 1));
}

TEST_F(Sched, SettingsReadsAndFailures)
{
	world.settings["AUTO_FIRMUP_HOUR"] = "300";	/* low byte: 44 */
	world.settings["OP_MODE"] = "010";		/* octal */
	upd_read_settings(&sc, &kEnv);
	EXPECT_EQ(world.reads, (std::vector<std::string>{"OP_MODE", "AUTO_FIRMUP_ENABLE", "AUTO_FIRMUP_URL",
							 "AUTO_FIRMUP_WEEK", "AUTO_FIRMUP_HOUR",
							 "AUTO_FIRMUP_MIN"}));
	EXPECT_EQ(sc.hour, 44);
	EXPECT_EQ(sc.op_mode, 8);
	EXPECT_EQ(sc.week_mask, 0x80);
	/* Failed reads keep what was read before; without the enable flag the
	 * rest is not even asked. */
	world.settings.erase("AUTO_FIRMUP_URL");
	world.settings["AUTO_FIRMUP_WEEK"] = "1";
	upd_read_settings(&sc, &kEnv);
	EXPECT_STREQ(sc.image_url, "http://h/fw/img.bin");
	EXPECT_EQ(sc.week_mask, 1);
	world.settings.erase("AUTO_FIRMUP_ENABLE");
	world.settings["AUTO_FIRMUP_WEEK"] = "2";
	world.reads.clear();
	upd_read_settings(&sc, &kEnv);
	EXPECT_EQ(world.reads, (std::vector<std::string>{"OP_MODE", "AUTO_FIRMUP_ENABLE"}));
	EXPECT_EQ(sc.week_mask, 1);
	EXPECT_EQ(sc.auto_enable, 1);
}

TEST_F(Sched, VersionUrls)
{
	const struct {
		std::string image, version;
	} cases[] = {
		{"http://h/fw/img.bin", "http://h/fw/img.ver"},
		{"http://updates.example/firmware", "http://updates.ver"},
		{"nodots", ""},
		{"", ""},
		{"http://h/a.", "http://h/a.ver"},
		{std::string(251, 'a') + ".", std::string(251, 'a') + ".ver"},
		/* no room for "ver" after the dot */
		{std::string(252, 'a') + ".", ""},
		{std::string(254, 'a') + ".", ""},
	};
	for (const auto &c : cases) {
		char out[UPD_URL_SIZE];
		memset(out, 'z', sizeof(out));
		upd_version_url(c.image.c_str(), out);
		EXPECT_EQ(out, c.version) << c.image;
	}
	/* A URL setting longer than 255 characters is cut. */
	world.settings["AUTO_FIRMUP_URL"] = std::string(300, 'u') + ".bin";
	upd_read_settings(&sc, &kEnv);
	EXPECT_EQ(std::string(sc.image_url), std::string(255, 'u'));
	EXPECT_STREQ(sc.version_url, "");
}

TEST_F(Sched, VersionTexts)
{
	const struct {
		const char *line, *text;
	} cases[] = {
		{"v2.02.50(ZT001)\n", "v2.02.50(ZT001)"},
		{"v2.02.50(ZT001) newest build\n", "v2.02.50(ZT001)"},
		{" v2.02.50(ZT001)\n", " v2.02.50(ZT001)"},
		{"\t \n", "\t \n"},
		{"", ""},
	};
	for (const auto &c : cases) {
		char buf[512];
		strcpy(buf, c.line);
		EXPECT_STREQ(upd_version_text(buf), c.text) << c.line;
	}
}

}  // namespace
