/* Sockets: the interface requests of the daemons go through one here. */
#include "sys.h"

#include <sys/socket.h>

int sys_socket(int domain, int type, int protocol)
{
	return socket(domain, type | SOCK_CLOEXEC, protocol);
}
