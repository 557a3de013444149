/* Every test of this binary runs the library in one fresh router root,
 * made by the sandbox tool, with the machine's real wget in it. */
#include <gtest/gtest.h>

#include "helpers.h"

namespace {

class SandboxRoot : public testing::Environment {
public:
	void SetUp() override
	{
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
