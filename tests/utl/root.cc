/* Every test of this binary runs the library in one router root with the
 * machine's real wget in it: the one it was started in ("kp7box run", see
 * in_sandbox.sh), else a fresh one of its own.  Sanitizer builds need the
 * former: only there do the root's programs find a /proc. */
#include <gtest/gtest.h>

#include <stdlib.h>

#include "sandbox.h"

namespace {

class SandboxRoot : public testing::Environment {
public:
	void SetUp() override
	{
		/* wget must talk to the test's server, not to a proxy. */
		for (const char *proxy : {"http_proxy", "HTTP_PROXY", "https_proxy", "all_proxy", "ALL_PROXY"})
			unsetenv(proxy);
		/* A sanitizer build's programs in the root (flash) cannot check
		 * their leaks at exit: the leak checker looks for /proc/PID/task,
		 * which the root has not.  Their own tests check them; this
		 * process has read its options already and keeps its checks. */
		const char *asan = getenv("ASAN_OPTIONS");
		std::string opts = asan && *asan ? std::string(asan) + ":" : "";
		setenv("ASAN_OPTIONS", (opts + "detect_leaks=0").c_str(), 1);
		const char *given = getenv("KP7_ROOT");
		if (given && *given) {
			set_test_root(given);
			return;
		}
		dir = new TempDir("kp7utl");
		std::string root = *dir / "root";
		ASSERT_TRUE(host_sh(std::string(KP7_BIN_DIR) + "/kp7box create " + root + " >/dev/null"));
		ASSERT_TRUE(host_sh(std::string(KP7_TEST_DIR) + "/install_wget.sh " + root));
		set_test_root(root);
	}
	void TearDown() override { delete dir; }

private:
	TempDir *dir = nullptr;
};

testing::Environment *const sandbox_root = testing::AddGlobalTestEnvironment(new SandboxRoot);

}  // namespace
