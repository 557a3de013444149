/* WLAN_SITE_SURVEY: a scan on wlan0, its bounded waits, and the networks
 * it found. */
#include "ci.h"

#include <stdlib.h>
#include <string.h>

#include "be.h"
#include "sys.h"

namespace {

constexpr char SURVEY_IF[] = "wlan0";

/* The driver may be busy: this many scan requests, a second apart; then
 * this many polls, a second apart, for the scan to end. */
constexpr int SCAN_REQUESTS = 7, SCAN_POLLS = 22;

/* Offsets in a network record of the scan result. */
enum {
	NET_BSSID = 0, NET_SSID = 6, NET_SSID_LEN = 44, NET_SECURITY = 96, NET_CAPABILITY = 106,
	NET_CHANNEL = 108, NET_RSSI = 126, NET_TYPE = 128,
};
constexpr unsigned CAP_ADHOC = 0x0002, CAP_PRIVACY = 0x0010;
constexpr size_t SSID_MAX = 32;

constexpr struct {
	uint8_t type;
	char text[10];
} SURVEY_BANDS[] = {
	{1, " (B)"}, {2, " (G)"}, {3, " (B+G)"}, {4, " (A)"},
	{8, " (N)"}, {10, " (G+N)"}, {11, " (B+G+N)"}, {12, " (A+N)"},
};

bool scan_started(void)
{
	for (int request = 1;; request++) {
		int status;
		if (CigetWlSiteSurveyRequest(SURVEY_IF, &status) < 0)
			return false;
		if (status == 0)
			return true;
		if (request == SCAN_REQUESTS)
			return false;
		sys_sleep(1);
	}
}

bool scan_finished(void)
{
	for (int poll = 1;; poll++) {
		uint8_t status = 1;
		if (CigetWlSiteSurveyResult(SURVEY_IF, &status) < 0)
			return false;
		if (status != CI_SCAN_RUNNING)
			return true;
		if (poll == SCAN_POLLS)
			return false;
		sys_sleep(1);
	}
}

/* A network's name as one column: a neighbour chooses it, so a control
 * character (a line feed above all) must not break the report's lines. */
void ssid_text(const uint8_t *rec, char *text)
{
	size_t len = be16(rec + NET_SSID_LEN);
	if (len > SSID_MAX)
		len = SSID_MAX;
	memcpy(text, rec + NET_SSID, len);
	text[len] = '\0';
	for (size_t i = 0; i < len; i++) {
		uint8_t c = (uint8_t)text[i];
		if ((c && c < 0x20) || c == 0x7F)
			text[i] = '?';
	}
}

const char *band_text(uint8_t type, char *buf, size_t size)
{
	for (const auto &b : SURVEY_BANDS)
		if (b.type == type)
			return b.text;
	snprintf(buf, size, " -%d-", type);
	return buf;
}

/* "-PSK", "-1X" or nothing, by a key management nibble. */
const char *key_management(unsigned nibble)
{
	return nibble == 4 ? "-PSK" : nibble == 2 ? "-1X" : "";
}

const char *security_text(const uint8_t *rec, char *buf, size_t size)
{
	if (!(be16(rec + NET_CAPABILITY) & CAP_PRIVACY))
		return "Disabled";
	uint32_t sec = be32(rec + NET_SECURITY);
	if (sec == 0)
		return "WEP";
	unsigned wpa = sec & 0xFFFF, wpa2 = sec >> 16;
	snprintf(buf, size, "%s%s%s%s%s", wpa ? "WPA" : "", wpa ? key_management(wpa >> 12) : "",
		 wpa && wpa2 ? "/" : "", wpa2 ? "WPA2" : "", wpa2 ? key_management(wpa2 >> 12) : "");
	return buf;
}

void print_network(const uint8_t *rec)
{
	char ssid[SSID_MAX + 1], bssid[18], band[12], security[24];
	ssid_text(rec, ssid);
	printf("%-30s %-17s %-2u%-8s %s %-16s %u\n", ssid, ci_mac_text(rec + NET_BSSID, bssid),
	       rec[NET_CHANNEL], band_text(rec[NET_TYPE], band, sizeof(band)),
	       be16(rec + NET_CAPABILITY) & CAP_ADHOC ? "Ad-hoc" : "AP    ",
	       security_text(rec, security, sizeof(security)), rec[NET_RSSI]);
}

}  // namespace

int CiWlanSiteSurvey(cui_soft_t *sc, int argc, char **argv)
{
	(void)argc;
	(void)argv;
	if (!scan_started() || !scan_finished())
		return cui_fail(sc, CI_ERR_WLAN, "get wlan status failed\n");
	uint8_t *result = (uint8_t *)calloc(1, CI_SCAN_SIZE);
	if (!result)
		return cui_fail(sc, CI_ERR_MEMORY, "memory allocate failed\n");
	int rc = 0, mode;
	uint8_t bss[CI_BSS_SIZE];
	if (CigetWlSiteSurveyResult(SURVEY_IF, result) < 0) {
		rc = cui_fail(sc, CI_ERR_WLAN, "get wlan status failed\n");
	} else if (!ci_mib(CI_MIB_WLAN_MODE, &mode)) {
		printf("Get MIB_WLAN_MODE MIB failed!");
		rc = cui_fail(sc, CI_ERR_MIB, "get MIB failed\n");
	} else if (CigetWlBssInfo(SURVEY_IF, bss) < 0) {
		printf("Get bssinfo failed!");
		rc = cui_fail(sc, CI_ERR_WLAN, "get wlan status failed\n");
	} else {
		puts("SSID                           BSSID                Channel Mode   Encription       Rssi");
		puts("----------------------------------------------------------------------------------------");
		/* a count beyond the records the result holds is the driver's
		 * mistake: never read past them */
		unsigned count = result[0] == CI_SCAN_RUNNING ? 0 : result[0];
		for (unsigned i = 0; i < count && i < CI_SCAN_MAX; i++)
			print_network(result + 4 + i * CI_SCAN_REC);
	}
	free(result);
	return rc;
}
