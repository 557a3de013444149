/*
 * The checkers of the value kind OTHER: each takes the value text and
 * writes the store's form only when it accepts.  Numbers are read whole,
 * signed as the router's 32-bit strtol() reads them, except the fixed
 * rate, which is read unsigned, and the carrier, which takes the dump's
 * unsigned form too.
 */
#include "cs.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "cs_int.h"

namespace {

void put_u32(void *out, uint32_t v)
{
	memcpy(out, &v, sizeof(v));
}

template <size_t N>
bool one_of(int32_t n, const int32_t (&allowed)[N])
{
	for (int32_t a : allowed)
		if (n == a)
			return true;
	return false;
}

/* A whole-text signed number from `allowed`, written as 32 bits. */
template <size_t N>
int accept_number(const char *v, void *out, const int32_t (&allowed)[N])
{
	int32_t n;
	if (!cui_parse_int(v, &n) || !one_of(n, allowed))
		return -1;
	put_u32(out, (uint32_t)n);
	return 0;
}

/* Minutes from `allowed`, written as the decimal text of the seconds. */
template <size_t N>
int accept_minutes(const char *v, void *out, const int32_t (&allowed)[N])
{
	int32_t n;
	if (!cui_parse_int(v, &n) || !one_of(n, allowed))
		return -1;
	char text[16];
	int len = snprintf(text, sizeof(text), "%d", n * 60);
	memcpy(out, text, (size_t)len + 1);
	return 0;
}

}  // namespace

int CsChkWlanBand(const char *v, void *out)
{
	static constexpr int32_t ALLOWED[] = {1, 2, 3, 8, 10, 11};
	return accept_number(v, out, ALLOWED);
}

int CsChkWLanFixRate(const char *v, void *out)
{
	uint32_t n;
	if (!cs_whole_u32(v, &n) || n > (1u << 27))
		return -1;
	put_u32(out, n);
	return 0;
}

int CsChkWlanEncrypt(const char *v, void *out)
{
	static constexpr int32_t ALLOWED[] = {0, 1, 2, 4, 6};
	return accept_number(v, out, ALLOWED);
}

int CsChkDhcp(const char *v, void *out)
{
	static constexpr int32_t ALLOWED[] = {0, 2};
	return accept_number(v, out, ALLOWED);
}

int CsChkWanDhcp(const char *v, void *out)
{
	static constexpr int32_t ALLOWED[] = {0, 1, 3, 16};
	return accept_number(v, out, ALLOWED);
}

/* Any number.  The store keeps 32 bits, which the dump prints unsigned:
 * a number from 2^31 to 2^32-1 stands for those bits, so that -5 and the
 * 4294967291 it is dumped as are the same value again. */
int CsChkUsb3gCarrierSelect(const char *v, void *out)
{
	int32_t n;
	if (!cui_parse_int(v, &n))
		return -1;
	long long wide = strtoll(v, nullptr, 0);
	put_u32(out, wide > INT32_MAX && wide <= (long long)UINT32_MAX ? (uint32_t)wide : (uint32_t)n);
	return 0;
}

int CsChkUsb3gIdleTime(const char *v, void *out)
{
	static constexpr int32_t ALLOWED[] = {1, 5, 10, 30, 60};
	return accept_minutes(v, out, ALLOWED);
}

int CsChkKp7PingMonInterval(const char *v, void *out)
{
	static constexpr int32_t ALLOWED[] = {1, 5, 15, 30, 45, 60};
	return accept_minutes(v, out, ALLOWED);
}

int CsChkTimeZone(const char *v, void *out)
{
	int32_t n;
	if (!cui_parse_int(v, &n) || n < 0 || n >= CS_TIMEZONE_COUNT)
		return -1;
	const cs_timezoneval_t &tz = CS_TIMEZONEVAL[(size_t)n];
	cui_trace("%s idx %d val %s %s\n", "CsChkTimeZone", (int)n, tz.value, cs_text(tz.desc));
	memcpy(out, tz.value, strlen(tz.value) + 1);
	return 0;
}

int CsChkScrlogEnabled(const char *v, void *out)
{
	static constexpr int32_t ALLOWED[] = {0, 3};
	return accept_number(v, out, ALLOWED);
}

int CsChkQosRuleMode(const char *v, void *out)
{
	static constexpr int32_t ALLOWED[] = {5, 6, 9, 10};
	return accept_number(v, out, ALLOWED);
}

int CsChkTimeZoneFromVal(const char *value)
{
	for (const cs_timezoneval_t &tz : CS_TIMEZONEVAL)
		if (value && !strcmp(tz.value, value))
			return tz.zone;
	return -1;
}

namespace {

/* By the numbers of cs.h, which the tables' rows hold. */
constexpr cs_checker_t *const CS_CHECKERS[] = {
	nullptr,
	CsChkWlanBand,
	CsChkWLanFixRate,
	CsChkWlanEncrypt,
	CsChkDhcp,
	CsChkWanDhcp,
	CsChkUsb3gCarrierSelect,
	CsChkUsb3gIdleTime,
	CsChkKp7PingMonInterval,
	CsChkTimeZone,
	CsChkScrlogEnabled,
	CsChkQosRuleMode,
};
static_assert(sizeof(CS_CHECKERS) / sizeof(CS_CHECKERS[0]) == CS_CHK_COUNT, "a checker per number");

}  // namespace

cs_checker_t *cs_checker(const cs_comm_c2m_t *rec)
{
	return rec->checker < CS_CHK_COUNT ? CS_CHECKERS[rec->checker] : nullptr;
}
