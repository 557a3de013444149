/* DHCP_CLIENT: the leases the LAN's DHCP server (udhcpd) has handed out. */
#include "ci.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "be.h"
#include "sys.h"
#include "text.h"

namespace {

constexpr char SERVER[] = "udhcpd";
constexpr char LEASES[] = "/var/lib/misc/udhcpd.leases";
/* Far more leases than a router hands out; a bigger file is read this far. */
constexpr size_t LEASES_MAX = 1 << 20;
constexpr uint32_t LEASE_FOREVER = 0xFFFFFFFF;

/* Offsets in a lease record. */
enum { LEASE_HWADDR = 0, LEASE_IP = 16, LEASE_EXPIRES = 20 };
constexpr size_t HWADDR_SIZE = 16;

bool all_zero(const uint8_t *p, size_t n)
{
	for (size_t i = 0; i < n; i++)
		if (p[i])
			return false;
	return true;
}

/* A pid file outlives its daemon, and its number may by now be another
 * process's: only the server itself gets the signal, whose default
 * action would end any other process. */
bool is_server(int pid)
{
	char id[16], name[256];
	snprintf(id, sizeof(id), "%d", pid);
	ssize_t n = sys_proc_read(id, "comm", name, sizeof(name) - 1);
	if (n > 0) {
		name[n] = '\0';
		name[strcspn(name, "\n")] = '\0';
		if (!strcmp(name, SERVER))
			return true;
	}
	/* started through a link of another name: its argv[0] */
	n = sys_proc_read(id, "cmdline", name, sizeof(name) - 1);
	if (n <= 0)
		return false;
	name[n] = '\0';
	const char *base = strrchr(name, '/');
	return !strcmp(base ? base + 1 : name, SERVER);
}

/* SIGUSR1 makes the server write its current leases to the file. */
void refresh_leases(void)
{
	char path[64];
	snprintf(path, sizeof(path), "%s/%s.pid", "/var/run", SERVER);
	int pid = CiGetPid(path);
	if (pid <= 0 || !is_server(pid))
		return;
	char buf[32];
	SysText cmd(buf);
	cmd.text("kill -SIGUSR1 ").num(pid).put('\n');
	sys_system(cmd.c_str());
}

/* The lease file whole into a buffer of the caller's to free; -1 on failure. */
ssize_t read_leases(uint8_t **data)
{
	struct stat st;
	*data = nullptr;
	if (sys_stat(LEASES, &st) < 0)
		return -1;
	size_t size = st.st_size > (off_t)LEASES_MAX ? LEASES_MAX : (size_t)st.st_size;
	*data = (uint8_t *)malloc(size ? size : 1);
	int fd = *data ? sys_open(LEASES, O_RDONLY) : -1;
	if (fd < 0)
		return -1;
	ssize_t n = sys_read_all(fd, *data, size);
	close(fd);
	return n;
}

}  // namespace

int CiGetPid(const char *path)
{
	struct stat st;
	if (sys_stat(path, &st) < 0)
		return -1;
	FILE *f = sys_fopen(path, "r");
	if (!f) {
		fputs("Read pid file error!\n", stderr);
		return -1;
	}
	char line[100];
	bool got = fgets(line, sizeof(line), f) != nullptr;
	fclose(f);
	if (!got)
		return -1;
	char *end;
	long pid = strtol(line, &end, 10);
	return end == line || pid > INT_MAX || pid < INT_MIN ? -1 : (int)pid;
}

int ci_print_leases(FILE *out, const uint8_t *data, size_t len)
{
	int shown = 0;
	for (size_t off = 0; len - off >= CI_LEASE_SIZE; off += CI_LEASE_SIZE) {
		const uint8_t *lease = data + off;
		uint32_t expires = be32(lease + LEASE_EXPIRES);
		if (expires == 0 || all_zero(lease + LEASE_HWADDR, HWADDR_SIZE))
			continue;
		char ip[16], mac[18], when[12];
		snprintf(when, sizeof(when), "%lu", (unsigned long)expires);
		fprintf(out, "%s\t%s\t%s\n", ci_ip_text(lease + LEASE_IP, ip),
			ci_mac_text(lease + LEASE_HWADDR, mac), expires == LEASE_FOREVER ? "Always" : when);
		shown++;
	}
	return shown;
}

int CiDhcpClient(cui_soft_t *sc, int argc, char **argv)
{
	(void)argc;
	(void)argv;
	refresh_leases();
	sys_usleep(1000);
	uint8_t *data;
	ssize_t len = read_leases(&data);
	if (len < 0) {
		free(data);
		return cui_fail(sc, CI_ERR_DHCPD, "get dhcpd status failed\n");
	}
	puts("IP address\tMac address\t\tLeaseExpire");
	puts("--------------------------------------------------");
	if (ci_print_leases(stdout, data, (size_t)len) == 0)
		puts("---\t---\t---");
	free(data);
	return 0;
}
