/*
 * ping and wget in a sandbox root.
 *
 * "kp7box add-tool DIR ping wget" puts the machine's real tools in the
 * root's /bin/.sandbox/tools; then the stand-in records the call and runs
 * the real one (its process name stays ping or wget).  Without them, or
 * when the test chose an answer (NAME.out, NAME.err, NAME.status), the
 * stand-in only records and answers.
 *
 * Kept off every network but the sandbox's own:
 *   - the root resolves names from its /etc/hosts only (nsswitch.conf
 *     "hosts: files"), so no name ever reaches a DNS server;
 *   - proxy settings are dropped, and HOME is the root's "/";
 *   - in a network of kp7box's making (its loopback marked) every address
 *     is the namespace's own; anywhere else (KP7_SHARE_NET=1) only
 *     loopback may be reached: an argument naming any other address (a
 *     URL, a dotted address, a name the root's hosts file maps elsewhere)
 *     is refused, and wget follows no redirection.
 */
#include <arpa/inet.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#include <string>
#include <vector>

#include "sandbox.h"
#include "standin.h"

namespace {

constexpr const char kTools[] = "/bin/.sandbox/tools/";
constexpr const char *kProxyVars[] = {
	"http_proxy", "https_proxy", "ftp_proxy", "all_proxy", "no_proxy",
	"HTTP_PROXY", "HTTPS_PROXY", "FTP_PROXY", "ALL_PROXY", "NO_PROXY",
};

bool is_loopback(const std::string &addr)
{
	struct in_addr a;
	if (inet_pton(AF_INET, addr.c_str(), &a) == 1)
		return (ntohl(a.s_addr) >> 24) == 127;
	return addr == "::1";
}

bool dotted_quad(const std::string &host)
{
	struct in_addr a;
	return inet_pton(AF_INET, host.c_str(), &a) == 1;
}

/* What the root's hosts file makes of a name; "" if nothing. */
std::string hosts_lookup(const Standin &s, const std::string &name)
{
	FILE *f = fopen(standin_path(s, "/etc/hosts").c_str(), "r");
	if (!f)
		return "";
	char line[1024];
	std::string found;
	while (found.empty() && fgets(line, sizeof(line), f)) {
		line[strcspn(line, "#")] = '\0';
		char *save = nullptr;
		char *addr = strtok_r(line, " \t\n", &save);
		for (char *w = addr ? strtok_r(nullptr, " \t\n", &save) : nullptr; w;
		     w = strtok_r(nullptr, " \t\n", &save))
			if (name == w)
				found = addr;
	}
	fclose(f);
	return found;
}

/* The host a word names: after "scheme://" (and any "user@"), else the
 * word's own start, up to a port, path or query. */
std::string host_of(const std::string &word, bool *url)
{
	size_t at = word.find("://");
	*url = at != std::string::npos;
	std::string rest = *url ? word.substr(at + 3) : word;
	rest = rest.substr(0, rest.find_first_of("/?#"));
	size_t user = rest.rfind('@');
	if (user != std::string::npos)
		rest = rest.substr(user + 1);
	if (!rest.empty() && rest[0] == '[')
		return rest.substr(1, rest.find(']') - 1);
	return rest.substr(0, rest.find(':'));
}

/* Whether one word may go out with a shared network. */
bool word_allowed(const Standin &s, const std::string &word)
{
	bool url;
	std::string host = host_of(word, &url);
	if (host.find(':') != std::string::npos)  /* an IPv6 address */
		return is_loopback(host);
	if (dotted_quad(host))
		return is_loopback(host);
	std::string mapped = hosts_lookup(s, host);
	if (!mapped.empty())
		return is_loopback(mapped);
	/* a name the hosts file lacks resolves to nothing */
	return true;
}

/* Every argument, and every value after an "=" in it. */
bool args_allowed(const Standin &s)
{
	for (int i = 1; i < s.argc; i++) {
		std::string arg = s.argv[i];
		for (size_t from = 0; from != std::string::npos;) {
			std::string word = arg.substr(from);
			if (word[0] != '-' && !word_allowed(s, word)) {
				fprintf(stderr, "%s: %s: only loopback is reachable from the sandbox's shared network\n",
					s.name, word.c_str());
				return false;
			}
			size_t eq = arg.find('=', from);
			from = eq == std::string::npos ? eq : eq + 1;
		}
	}
	return true;
}

[[noreturn]] void exec_tool(const Standin &s, const std::string &tool, bool shared)
{
	for (const char *var : kProxyVars)
		unsetenv(var);
	setenv("HOME", "/", 1);
	std::vector<char *> argv(s.argv, s.argv + s.argc);
	std::string no_redirect = "--max-redirect=0";
	if (shared && !strcmp(s.name, "wget"))
		argv.insert(argv.begin() + 1, &no_redirect[0]);
	argv.push_back(nullptr);
	execv(tool.c_str(), argv.data());
	fprintf(stderr, "%s: cannot run %s\n", s.name, tool.c_str());
	_exit(127);
}

}  // namespace

int nettool_main(const Standin &s)
{
	std::string tool = standin_path(s, kTools) + s.name;
	if (access(tool.c_str(), X_OK) != 0 || standin_answered(s))
		return standin_answer(s);
	standin_record(s);
	bool shared = !sandbox_in_own_net();
	if (shared && !args_allowed(s))
		return strcmp(s.name, "wget") ? 2 : 4;
	exec_tool(s, tool, shared);
}
