/*
 * sys_pending.h - platform wrappers syscheck needs that the platform
 * layer is gaining; these go as soon as sys.h has them.
 */
#ifndef KP7_SCK_SYS_PENDING_H
#define KP7_SCK_SYS_PENDING_H

#include <sys/stat.h>
#include <sys/types.h>

#include "sys.h"

int sys_stat(const char *path, struct stat *st);
int sys_kill(pid_t pid, int sig);
int sys_ioctl(int fd, unsigned long req, void *arg);

#endif
