/*
 * store.cc - the settings store behind apmib.h.
 *
 * Where the settings live (router paths; the platform layer takes them
 * under KP7_ROOT):
 *   /flash/apmib/cur.mib, def.mib, hw.mib  flash copies of the current,
 *                                          default and hardware sets
 *   /var/apmib/cur.mib, def.mib            working copies (RAM: a reboot
 *                                          loses them, and with them every
 *                                          change not yet written to flash)
 *   /var/apmib/lock                        flock()ed around every change
 *   /etc/mib_version                       decimal layout version, when the
 *                                          firmware sets one
 * The file format is described in mibset.h: a checked header, records of
 * (number, network, length, bytes), a CRC-32 at the end.
 *
 * A set is read from its working copy, else its flash copy, else it is the
 * factory set; a copy that fails its checks is passed over with a warning
 * in syslog.  Reads take no lock and write nothing: files are only ever
 * replaced whole by rename, so a reader sees an old or a new file.  Every
 * change re-reads the set under the lock, changes it and replaces the
 * file before unlocking, so concurrent writers lose nothing.  The hardware
 * set has no working copy: changes to it go straight to flash.
 *
 * In a sandbox root, DIR/var/sandbox/apmib.unreadable (parameter numbers,
 * blank- or line-separated) makes those parameters fail every read, as a
 * store with a damaged entry would: the tests reach the programs' paths
 * for a setting that cannot be read.
 */
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <syslog.h>
#include <unistd.h>

#include "apmib.h"
#include "mibstore.h"
#include "sys.h"

int wlan_idx;
int vwlan_idx;

namespace {

struct SetFiles {
	int kind;
	const char *label;
	const char *work; /* null: changes go to flash directly */
	const char *flash;
};

constexpr SetFiles SET_FILES[] = {
	{HW_SETTING, "hardware", nullptr, "/flash/apmib/hw.mib"},
	{DEFAULT_SETTING, "default", "/var/apmib/def.mib", "/flash/apmib/def.mib"},
	{CURRENT_SETTING, "current", "/var/apmib/cur.mib", "/flash/apmib/cur.mib"},
};
constexpr const char *WORK_DIR = "/var/apmib";
constexpr const char *FLASH_DIR = "/flash/apmib";
constexpr const char *LOCK_FILE = "/var/apmib/lock";

/* Identity of a file as last seen; a replaced file has another inode. */
struct Stamp {
	bool exists;
	dev_t dev;
	ino_t ino;
	off_t size;
	struct timespec mtime;
};

/* Plain data only: zeroed at start, nothing to construct or destroy. */
struct Cache {
	bool valid;
	bool from_work; /* the set came from the working copy */
	Stamp work, flash;
	MibSet set;
};

Cache caches[sizeof(SET_FILES) / sizeof(SET_FILES[0])];

/* Settings files are read whole into this one buffer: every program is
 * single-threaded and a file is parsed before the next one is read. */
uint8_t file_buf[MIB_FILE_MAX + 1];

int set_index(int kind)
{
	for (size_t i = 0; i < sizeof(SET_FILES) / sizeof(SET_FILES[0]); i++)
		if (SET_FILES[i].kind == kind)
			return (int)i;
	return -1;
}

Stamp stamp_of(const char *path)
{
	Stamp s = {};
	struct stat st;
	if (!path || sys_stat(path, &st) < 0)
		return s;
	s.exists = true;
	s.dev = st.st_dev;
	s.ino = st.st_ino;
	s.size = st.st_size;
	s.mtime = st.st_mtim;
	return s;
}

bool same(const Stamp &a, const Stamp &b)
{
	return a.exists == b.exists && a.dev == b.dev && a.ino == b.ino && a.size == b.size &&
	       a.mtime.tv_sec == b.mtime.tv_sec && a.mtime.tv_nsec == b.mtime.tv_nsec;
}

/* 1 loaded, 0 no such file, -1 present but not a good file of this set. */
int load_file(const char *path, int kind, MibSet &set)
{
	ssize_t n = sys_read_file(path, file_buf, sizeof(file_buf));
	if (n < 0 && errno == ENOENT)
		return 0;
	if (n < 0 || n > MIB_FILE_MAX)
		return -1;
	if (mibset_parse(file_buf, (size_t)n, set, nullptr) < 0 || set.kind != kind)
		return -1;
	return 1;
}

MibSet &load(int idx, bool force)
{
	const SetFiles &f = SET_FILES[idx];
	Cache &c = caches[idx];
	Stamp w = stamp_of(f.work);
	/* a set read from its working copy does not depend on the flash copy */
	if (!force && c.valid && c.from_work && same(w, c.work))
		return c.set;
	Stamp fl = stamp_of(f.flash);
	if (!force && c.valid && same(w, c.work) && same(fl, c.flash))
		return c.set;
	c.work = w;
	c.flash = fl;
	c.valid = true;
	int rw = f.work ? load_file(f.work, f.kind, c.set) : 0;
	c.from_work = rw > 0;
	if (rw > 0)
		return c.set;
	int rf = load_file(f.flash, f.kind, c.set);
	if (rf <= 0)
		mibset_factory(c.set, f.kind);
	if (rw < 0)
		sys_syslog(LOG_WARNING, "apmib: %s working copy corrupt, using %s", f.label,
			   rf > 0 ? "flash copy" : "factory defaults");
	if (rf < 0)
		sys_syslog(LOG_WARNING, "apmib: %s flash copy corrupt, using factory defaults", f.label);
	return c.set;
}

/* One writer at a time, across processes. */
struct StoreLock {
	int fd = -1;
	StoreLock()
	{
		if (sys_mkdir_p(WORK_DIR, 0755) < 0)
			return;
		fd = sys_open(LOCK_FILE, O_RDWR | O_CREAT, 0644);
		while (fd >= 0 && sys_flock(fd, LOCK_EX) < 0) {
			if (errno != EINTR) {
				close(fd);
				fd = -1;
			}
		}
	}
	~StoreLock()
	{
		if (fd >= 0)
			close(fd); /* releases the lock */
	}
	bool ok() const { return fd >= 0; }
};

int write_file(const char *path, const uint8_t *data, size_t len)
{
	bool in_ram = strncmp(path, WORK_DIR, strlen(WORK_DIR)) == 0;
	if (sys_mkdir_p(in_ram ? WORK_DIR : FLASH_DIR, 0755) < 0)
		return -1;
	/* working copies live in RAM: a power cut loses them, fsync or not */
	return in_ram ? sys_write_volatile(path, data, len, 0644) : sys_write_atomic(path, data, len, 0644);
}

int write_set(int idx, const MibSet &set, bool to_flash)
{
	const SetFiles &f = SET_FILES[idx];
	uint8_t out[MIB_LAYOUT.file_max];
	size_t len = mibset_write(set, mib_layout_version(), out);
	caches[idx].valid = false;
	return write_file(to_flash || !f.work ? f.flash : f.work, out, len);
}

/* The network a per-network parameter refers to now, or -1. */
int net_of(const MibRec *rec)
{
	if (!(rec->flags & MIB_F_WLAN))
		return 0;
	if (wlan_idx != 0 || vwlan_idx < 0 || vwlan_idx > 1)
		return -1;
	return vwlan_idx;
}

int home_set(const MibRec *rec, int kind)
{
	return set_index(rec->flags & MIB_F_HW ? HW_SETTING : kind);
}

namespace {

/* The parameters a sandbox's test made unreadable, read once. */
bool sandbox_unreadable(int id)
{
	static int ids[32], count = -1;
	if (count < 0) {
		count = 0;
		char text[256];
		ssize_t n = sys_sandboxed() ? sys_read_file("/var/sandbox/apmib.unreadable", text,
							    sizeof(text) - 1)
					    : -1;
		text[n > 0 ? n : 0] = '\0';
		for (char *p = text, *end; count < 32; p = end) {
			long v = strtol(p, &end, 0);
			if (end == p)
				break;
			ids[count++] = (int)v;
		}
	}
	for (int i = 0; i < count; i++)
		if (ids[i] == id)
			return true;
	return false;
}

}  // namespace

int mib_read(int kind, int id, void *buf)
{
	if (sandbox_unreadable(id))
		return 0;
	MibRef ref = mib_lookup(id);
	const MibRec *rec = ref.rec;
	if (!rec || !buf)
		return 0;
	int net = net_of(rec);
	if (net < 0)
		return 0;
	if (rec->id == MIB_VER) {
		uint32_t v = mib_layout_version();
		memcpy(buf, &v, sizeof(v));
		return 1;
	}
	MibView slot = load(home_set(rec, kind), false).at(rec, net);
	uint32_t count = rec->flags & MIB_F_LIST ? (uint32_t)(slot.size / rec->size) : 0;
	unsigned n = *(const uint8_t *)buf;
	switch (ref.role) {
	case MIB_VALUE:
		mib_slot_to_api(rec, slot, buf);
		return 1;
	case MIB_COUNT:
		memcpy(buf, &count, sizeof(count));
		return 1;
	case MIB_READ:
		if (n < 1 || n > count)
			return 0;
		memcpy(buf, slot.data + (n - 1) * rec->size, rec->size);
		return 1;
	default:
		return 0;
	}
}

bool change_list(MibSet &set, const MibRec *rec, MibRole role, const uint8_t *p)
{
	switch (role) {
	case MIB_ADD:
		return mibset_list_add(set, rec, p);
	case MIB_DEL:
		return mibset_list_del(set, rec, p);
	case MIB_DELALL:
		mibset_list_clear(set, rec);
		return true;
	default:
		return false;
	}
}

bool change(MibSet &set, const MibRec *rec, int net, MibRole role, const void *buf)
{
	if (role == MIB_VALUE)
		return mib_slot_from_api(rec, buf, set.value(rec, net)) == 0;
	return (rec->flags & MIB_F_LIST) && change_list(set, rec, role, (const uint8_t *)buf);
}

int mib_write(int kind, int id, void *buf)
{
	MibRef ref = mib_lookup(id);
	const MibRec *rec = ref.rec;
	if (!rec || (rec->flags & MIB_F_RO) || (!buf && ref.role != MIB_DELALL))
		return 0;
	int net = net_of(rec);
	if (net < 0)
		return 0;
	int idx = home_set(rec, kind);
	StoreLock lock;
	if (!lock.ok())
		return 0;
	MibSet &set = load(idx, true);
	if (!change(set, rec, net, ref.role, buf))
		return 0;
	return write_set(idx, set, false) == 0;
}

}  // namespace

uint32_t mib_layout_version(void)
{
	static uint32_t version;
	static bool known;
	if (known)
		return version;
	char text[32] = {0};
	ssize_t n = sys_read_file("/etc/mib_version", text, sizeof(text) - 1);
	char *end = nullptr;
	unsigned long v = n > 0 ? strtoul(text, &end, 10) : 0;
	bool good = n > 0 && end != text && text[0] >= '0' && text[0] <= '9' &&
		    strspn(end, " \t\r\n") == strlen(end) && v <= 0xffffffffu;
	version = good ? (uint32_t)v : MIB_LAYOUT_VERSION;
	known = true;
	return version;
}

int mib_read_file(const char *path, std::vector<uint8_t> &out)
{
	out.resize(MIB_FILE_MAX + 1);
	ssize_t n = sys_read_file(path, out.data(), out.size());
	if (n < 0 || n > MIB_FILE_MAX) {
		out.clear();
		return -1;
	}
	out.resize(n);
	return 0;
}

int mib_export(int kind, std::vector<uint8_t> &out)
{
	int idx = set_index(kind);
	if (idx < 0)
		return -1;
	mibset_serialize(load(idx, false), mib_layout_version(), out);
	return 0;
}

int mib_install(int kind, const uint8_t *data, size_t len, const char **why)
{
	MibSet set;
	if (mibset_parse(data, len, set, nullptr) < 0)
		return *why = "not an intact settings file", -1;
	int target = kind ? kind : set.kind;
	int idx = set_index(target);
	if (idx < 0)
		return *why = "no such settings set", -1;
	if ((set.kind == HW_SETTING) != (target == HW_SETTING))
		return *why = "the file holds another kind of settings", -1;
	StoreLock lock;
	if (!lock.ok())
		return *why = "store is not accessible", -1;
	int rc;
	if (set.kind == target) {
		rc = write_file(SET_FILES[idx].flash, data, len);
	} else {
		set.kind = target;
		rc = write_set(idx, set, true);
	}
	caches[idx].valid = false;
	if (rc < 0)
		return *why = "flash write failed", -1;
	if (SET_FILES[idx].work && sys_unlink(SET_FILES[idx].work) < 0 && errno != ENOENT)
		return *why = "working copy could not be dropped", -1;
	return 0;
}

int mib_reset(void)
{
	StoreLock lock;
	if (!lock.ok())
		return -1;
	for (int kind : {CURRENT_SETTING, DEFAULT_SETTING}) {
		int idx = set_index(kind);
		MibSet set;
		mibset_factory(set, kind);
		if (write_set(idx, set, true) < 0)
			return -1;
		if (sys_unlink(SET_FILES[idx].work) < 0 && errno != ENOENT)
			return -1;
	}
	return 0;
}

int apmib_init(void)
{
	return 1;
}

int apmib_get(int id, void *value)
{
	return mib_read(CURRENT_SETTING, id, value);
}

int apmib_getDef(int id, void *value)
{
	return mib_read(DEFAULT_SETTING, id, value);
}

int apmib_set(int id, void *value)
{
	return mib_write(CURRENT_SETTING, id, value);
}

int apmib_setDef(int id, void *value)
{
	return mib_write(DEFAULT_SETTING, id, value);
}

int apmib_update(int which)
{
	int idx = set_index(which);
	if (idx < 0)
		return 0;
	StoreLock lock;
	if (!lock.ok())
		return 0;
	return write_set(idx, load(idx, true), true) == 0;
}

int get_mibtype(int id, int *type, int *size)
{
	MibRef ref = mib_lookup(id);
	if (!ref.rec || !type || !size)
		return -1;
	bool count = ref.role == MIB_COUNT;
	*type = count ? (int)BYTE_T : (int)ref.rec->type;
	*size = count ? 1 : ref.rec->size;
	return 0;
}
